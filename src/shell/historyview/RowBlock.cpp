#include "shell/historyview/RowBlock.h"

#include "shell/historyview/HistoryFolder.h"

bool ReadRowBlock(IHistoryFolder& folder, TRowBlock& block) {
    if (block.Bytes.size() < block.Length)
        block.Bytes.resize(block.Length);
    std::size_t read = 0;
    return folder.ReadFile(block.File, block.Offset, block.Bytes.data(), block.Length, read) &&
           read == block.Length;
}
