#include "client_tests.h"

#include "harness/viewer_run.h"
#include "harness/wait.h"

#include <fstream>
#include <iterator>

namespace e2e {

bool NullViewer::Start(const std::string& recordFile, const std::string& options) {
    Close();
    recordFile_ = recordFile;
    if (!process_.Start("\"" + OwnFolder() + "null-viewer.exe\" \"" + recordFile + "\" " + options))
        return false;
    // Several viewers may briefly coexist while an old one closes: only our own window counts.
    WaitFor(
        [this] {
            window_ = FindViewerWindow(process_.Id());
            return window_ != nullptr || !process_.Running();
        },
        10000);
    if (window_ == nullptr)
        Kill();
    return window_ != nullptr;
}

void NullViewer::Close() {
    if (process_.Running()) {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        process_.Wait(5000);
    }
    Kill();
}

void NullViewer::Kill() {
    process_.Terminate();
    window_ = nullptr;
}

std::vector<std::string> NullViewer::Records() const {
    // The viewer keeps the file open for writing: a reader must share it.
    std::ifstream file(recordFile_, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1)
        records.push_back(content.substr(start, end - start));
    return records;
}

} // namespace e2e
