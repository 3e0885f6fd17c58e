// Long runs of pane operations (prints of any length, clears, loads, the
// user's edits, Cut and Paste) against a plain model of the capacity and append rules:
// the pane's text must equal the model after every step, and its control after every Sync.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "ReferencePane.h"
#include "common/ViewerError.h"
#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryPane.h"
#include "pane/MessagePane.h"
#include "pane/PaneBuffer.h"

namespace {
const char* const LoadedFile = "C:\\loaded.txt";

struct TBufferedPane {
    TBufferedPane() {
        // The control notifies every change, as the edit control's EN_CHANGE does.
        Control.OnChange = [this] { Buffer.ControlChanged(); };
    }
    TBufferedPane(const TBufferedPane&) = delete;
    TBufferedPane& operator=(const TBufferedPane&) = delete;

    TMemoryPane Control;
    TPaneBuffer Buffer{Control};
    TMemoryFileSystem Files;
    TMessagePane Pane{Buffer, Files};
};

std::string LoadError(TMessagePane& pane) {
    try {
        pane.DoLoadFromFile(LoadedFile);
    } catch (const TViewerError& error) {
        return error.what();
    }
    return std::string();
}

void Expect(const std::string& actual, const TReferencePane& model, const char* what, int step) {
    if (actual == model.Text)
        return;
    std::string::size_type at = 0;
    while (at < actual.size() && at < model.Text.size() && actual[at] == model.Text[at])
        ++at;
    Check(false, what,
          "step " + std::to_string(step) + ": length " + std::to_string(actual.size()) + ", model " +
              std::to_string(model.Text.size()) + ", first difference at " + std::to_string(at));
}

void SyncAndCompare(TBufferedPane& buffered, const TReferencePane& model, int step) {
    Expect(buffered.Buffer.Text(), model, "the buffer's text equals the model", step);
    buffered.Buffer.Sync();
    Expect(buffered.Control.Text(), model, "after Sync the control equals the model", step);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    TReferencePane model;
    TBufferedPane buffered;

    for (int step = 0; !input.Empty(); ++step) {
        switch (input.Byte() % 10) {
        case 0:
        case 1:
        case 2:
        case 3: {
            // A line's text never holds a zero byte: the region's text ends at one, and every other
            // source keeps them out. The control, like the edit control, takes text up to a zero byte.
            std::string message = input.Text(4094);
            message.erase(std::find(message.begin(), message.end(), '\0'), message.end());
            model.Print(message);
            buffered.Pane.DoPrint(message);
            break;
        }
        case 4:
            model.Text.clear();
            buffered.Pane.DoClear();
            break;
        case 5: {
            // Long patterned files reach the capacity; short ones carry any bytes.
            const std::uint8_t mode = input.Byte();
            const std::string bytes = mode & 1 ? input.Text(40000) : input.Bytes(input.Byte());
            const int state = (mode >> 1) & 3; // 0 and 1 readable, 2 missing, 3 held open elsewhere
            std::string expectedError;
            for (TMemoryFileSystem* files : {&buffered.Files}) {
                files->Files.erase(LoadedFile);
                files->Locked.clear();
                if (state != 2)
                    files->Files[LoadedFile] = bytes;
                if (state == 3)
                    files->Locked.insert(LoadedFile);
            }
            if (state == 3) {
                expectedError = std::string("Cannot open file ") + LoadedFile;
            } else if (state != 2) {
                const std::string text = ReferencePaneText(bytes);
                if (text.size() > buffered.Control.Capacity)
                    expectedError = "Text exceeds memo capacity";
                else
                    model.Text = text;
            }
            Check(LoadError(buffered.Pane) == expectedError, "load over the buffer", Hex(bytes));
            break;
        }
        case 6: {
            // The user edits the control; the window brings the control in
            // step before any input reaches it.
            SyncAndCompare(buffered, model, step);
            const std::size_t start = input.Word() % (model.Text.size() + 1);
            const std::size_t length = input.Word();
            std::string text = input.Text(512);
            text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
            model.Select(start, length);
            model.ReplaceSelection(text);
            buffered.Control.Select(start, length);
            buffered.Control.ReplaceSelection(text.c_str());
            break;
        }
        case 7: {
            // A control that takes less; zero stands for no limit.
            const std::size_t capacity = input.Word() * std::size_t{2};
            buffered.Control.Capacity = capacity ? capacity : std::size_t(-1);
            break;
        }
        case 8:
            SyncAndCompare(buffered, model, step);
            break;
        default: {
            // Cut or Paste from the menu, on the selection the user made in the control.
            SyncAndCompare(buffered, model, step);
            const bool cut = input.Byte() & 1;
            const std::size_t start = input.Word() % (model.Text.size() + 1);
            const std::size_t length = input.Word();
            model.Select(start, length);
            buffered.Control.Select(start, length);
            if (cut) {
                model.Cut();
                buffered.Buffer.CutToClipboard();
            } else {
                model.ReplaceSelection(model.Clipboard);
                buffered.Buffer.PasteFromClipboard();
            }
            break;
        }
        }
        Expect(buffered.Buffer.Text(), model, "the pane's text equals the model", step);
    }
    SyncAndCompare(buffered, model, -1);
    return 0;
}
