#include "shell/historyview/HistoryExport.h"

#include "common/Utf8.h"
#include "shell/historyview/HistoryLine.h"
#include "shell/historyview/HistoryModel.h"

void AppendExportedRow(std::string_view line, std::string& out) {
    const THistoryFields fields = SplitHistoryLine(WithoutLineBreak(line));
    AppendValidUtf8(fields.Time, out);
    out.push_back('\t');
    AppendValidUtf8(fields.Origin, out);
    out.push_back('\t');
    AppendValidUtf8(fields.Text, out);
    out.append("\r\n");
}

// The filter as it is now goes with the export: it picks the rows between first and last itself.
THistoryExport::THistoryExport(THistoryModel& model, std::uint32_t first, std::uint32_t last)
    : FModel(model), FFilter(model.Filter()) {
    std::uint64_t firstRow, lastRow;
    if (first <= last && model.ShownRow(first, firstRow) && model.ShownRow(last, lastRow)) {
        FNext = firstRow;
        FLast = lastRow;
    }
}

THistoryExport::TState THistoryExport::Step(IHistorySink& sink) {
    if (FNext > FLast)
        return TState::Done;
    if (!FModel.PlanRows(FNext, FLast, FBlock))
        return TState::RowsGone;
    if (!ReadRowBlock(FModel.Folder(), FBlock))
        return TState::ReadFailed;
    if (FFilter)
        FFilter->Apply(FBlock, FShown);
    else
        FShown.assign(FBlock.Rows.size(), 1);
    FBytes.clear();
    for (std::size_t i = 0; i < FBlock.Rows.size(); ++i) {
        if (FShown[i] == 0)
            continue;
        const TRowBlock::TRow& row = FBlock.Rows[i];
        AppendExportedRow(std::string_view(FBlock.Bytes.data() + row.Begin, row.End - row.Begin), FBytes);
        ++FRowsWritten;
    }
    if (!FBytes.empty() && !sink.Write(FBytes.data(), FBytes.size()))
        return TState::WriteFailed;
    FNext += FBlock.Rows.size();
    return FNext > FLast ? TState::Done : TState::Writing;
}
