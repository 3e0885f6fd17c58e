#include "platform/Win32Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/AboutBox.h"

namespace {
// The filter's parts are separated by zero bytes and end with two.
const char FileFilter[] = "Textdateien (*.txt)\0*.txt\0Alle Dateien (*.*)\0*.*\0";
const DWORD FileNameCapacity = 32 * 1024;

using TFileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The common dialogs' library pulls a good part of the shell in with it;
// loaded on first use, it stays out of every start of the viewer.
TFileDialogFunction FileDialogFunction(bool forSaving) {
    static const HMODULE library = ::LoadLibraryA("comdlg32.dll");
    if (!library)
        return nullptr;
    return reinterpret_cast<TFileDialogFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(library, forSaving ? "GetSaveFileNameA" : "GetOpenFileNameA")));
}

void MakeFolderCurrent(const std::string& fileName) {
    const std::string::size_type separator = fileName.find_last_of("\\/");
    if (separator == std::string::npos)
        return;
    // Keep the separator of a drive's root ("C:\"), which is part of its name.
    const bool root = separator == 2 && fileName[1] == ':';
    ::SetCurrentDirectoryA(fileName.substr(0, root ? separator + 1 : separator).c_str());
}
} // namespace

bool TWin32Dialogs::ChooseFile(bool forSaving, std::string& fileName) {
    std::vector<char> buffer(FileNameCapacity);
    fileName.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = FOwner;
    dialog.lpstrFilter = FileFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = FileNameCapacity;
    dialog.lpstrTitle = forSaving ? "Save" : "Open";
    dialog.lpstrDefExt = "txt";
    // No behaviour options: no overwrite or creation questions, and a name
    // that does not exist is accepted.
    dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING;

    const TFileDialogFunction show = FileDialogFunction(forSaving);
    const BOOL confirmed = show && show(&dialog);
    if (!confirmed)
        return false;
    fileName = buffer.data();
    // File names without a folder in later client commands are resolved
    // against the folder chosen here. Not every dialog does this itself.
    MakeFolderCurrent(fileName);
    return true;
}

bool TWin32Dialogs::ChooseFileToOpen(std::string& fileName) {
    return ChooseFile(false, fileName);
}

bool TWin32Dialogs::ChooseFileToSave(std::string& fileName) {
    return ChooseFile(true, fileName);
}

void TWin32Dialogs::ShowAbout() {
    ShowAboutBox(FOwner);
}

bool TWin32Dialogs::ClipboardHasText() const {
    return ::IsClipboardFormatAvailable(CF_TEXT) != FALSE;
}
