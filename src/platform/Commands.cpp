#include "platform/Commands.h"

#include <cctype>
#include <cstring>

#include "resource.h"

namespace {
using K = TControlKind;
using B = TCheckBoxId;
const TToolbarControl NoControl{K::None, -1, nullptr, 0, 0, 0, 0, 0, B::cbFloat};
const TCommand Separator{NoCommand, nullptr, nullptr, 0, 0, NoControl, nullptr, nullptr, nullptr};
} // namespace

namespace {
const TCommand Commands[] = {
    {cmdClear,
     "&Clear",
     "Ctrl+Del",
     FCONTROL,
     VK_DELETE,
     {K::ImageButton, 0, "&Clear", 2, 3, 47, 49, IDB_CLEAR, B::cbFloat},
     &TfrmDebug::pbClearClick,
     nullptr,
     nullptr},
    Separator, // N1
    {cmdCut, "C&ut", "Ctrl+X", FCONTROL, 'X', NoControl, &TfrmDebug::mnuCutClick, nullptr,
     &TPopupMenuState::mnuCutEnabled},
    {cmdCopy, "C&opy", "Ctrl+C", FCONTROL, 'C', NoControl, &TfrmDebug::mnuCopyClick, nullptr,
     &TPopupMenuState::mnuCopyEnabled},
    {cmdPaste, "P&aste", "Ctrl+V", FCONTROL, 'V', NoControl, &TfrmDebug::mnuPasteClick, nullptr,
     &TPopupMenuState::mnuPasteEnabled},
    {cmdSelectAll, "&Select All", "Ctrl+A", FCONTROL, 'A', NoControl, &TfrmDebug::mnuSelectAllClick, nullptr,
     nullptr},
    Separator, // N4
    {cmdImport,
     "&Import",
     nullptr,
     0,
     0,
     {K::ImageButton, 1, "&Import", 52, 3, 47, 49, IDB_IMPORT, B::cbFloat},
     &TfrmDebug::pbOpenClick,
     nullptr,
     nullptr},
    {cmdExport,
     "&Export",
     nullptr,
     0,
     0,
     {K::ImageButton, 2, "&Export", 102, 3, 47, 49, IDB_EXPORT, B::cbFloat},
     &TfrmDebug::pbSaveClick,
     nullptr,
     nullptr},
    {cmdHistory, "&History...", "Ctrl+F", FCONTROL, 'F', NoControl, &TfrmDebug::mnuHistoryClick, nullptr,
     nullptr},
    Separator, // N2
    {cmdMark,
     "&Mark",
     nullptr,
     0,
     0,
     {K::ImageButton, 3, "&Mark", 153, 3, 47, 49, IDB_MARK, B::cbFloat},
     &TfrmDebug::pbMarkClick,
     nullptr,
     nullptr},
    {cmdFloat,
     "&Stay on Top",
     nullptr,
     0,
     0,
     {K::CheckBox, 5, "&Stay on Top", 257, 8, 80, 17, 0, B::cbFloat},
     &TfrmDebug::mnuFloatClick,
     &TPopupMenuState::mnuFloatChecked,
     nullptr},
    {cmdToolbar,
     "&Toolbar",
     nullptr,
     0,
     0,
     {K::CheckBox, 6, "Show &Toolbar", 257, 32, 87, 17, 0, B::cbToolbar},
     &TfrmDebug::mnuToolbarClick,
     &TPopupMenuState::mnuToolbarChecked,
     nullptr},
    {cmdDebugOutput,
     "&Debug Output",
     nullptr,
     0,
     0,
     {K::CheckBox, 7, "&Debug Output", 354, 8, 88, 17, 0, B::cbDebugOutput},
     &TfrmDebug::mnuDebugOutputClick,
     &TPopupMenuState::mnuDebugOutputChecked,
     nullptr},
    {cmdLogConnect,
     "&Log Client Connections",
     nullptr,
     0,
     0,
     {K::CheckBox, 8, "&Log Client Connections", 354, 32, 137, 17, 0, B::cbLogConnect},
     &TfrmDebug::mnuLogConnectClick,
     &TPopupMenuState::mnuLogConnectChecked,
     nullptr},
    {cmdCapture, "Capture &Windows Output", nullptr, 0, 0, NoControl, &TfrmDebug::mnuCaptureClick,
     &TPopupMenuState::mnuCaptureChecked, nullptr},
    {cmdNetwork, "Net&work...", nullptr, 0, 0, NoControl, &TfrmDebug::mnuNetworkClick, nullptr, nullptr},
    Separator, // N3
    {cmdInfo,
     "I&nfo",
     nullptr,
     0,
     0,
     {K::ImageButton, 4, "I&nfo", 203, 3, 47, 49, IDB_INFO, B::cbFloat},
     &TfrmDebug::pbInfoClick,
     nullptr,
     nullptr},
};
} // namespace

TCommandRange AllCommands() {
    return TCommandRange{Commands, Commands + sizeof Commands / sizeof Commands[0]};
}

const TCommand* FindCommand(WORD id) {
    if (id == NoCommand)
        return nullptr;
    for (const TCommand& command : Commands)
        if (command.Id == id)
            return &command;
    return nullptr;
}

const TCommand* FindToolbarMnemonic(WORD key) {
    for (const TCommand& command : Commands) {
        if (command.Toolbar.Kind == TControlKind::None)
            continue;
        const char* const ampersand = std::strchr(command.Toolbar.Caption, '&');
        if (ampersand && ampersand[1] != 0 &&
            std::toupper(static_cast<unsigned char>(ampersand[1])) == static_cast<int>(key))
            return &command;
    }
    return nullptr;
}

const TCommand& ToolbarCommand(int slot) {
    for (const TCommand& command : Commands)
        if (command.Toolbar.Kind != TControlKind::None && command.Toolbar.Slot == slot)
            return command;
    return Separator;
}

const TCommand& CheckBoxCommand(TCheckBoxId box) {
    for (const TCommand& command : Commands)
        if (command.Toolbar.Kind == TControlKind::CheckBox && command.Toolbar.Box == box)
            return command;
    return Separator;
}
