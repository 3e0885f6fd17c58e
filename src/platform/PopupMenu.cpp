#include "platform/PopupMenu.h"

#include <cctype>
#include <string>
#include <vector>

#include "platform/Commands.h"

bool TPopupMenu::Create() {
    FMenu = TMenu(::CreatePopupMenu());
    if (!FMenu)
        return false;
    for (const TCommand& command : AllCommands()) {
        if (!command.MenuCaption) {
            ::AppendMenuA(FMenu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string caption = command.MenuCaption;
        if (command.Shortcut)
            caption += std::string("\t") + command.Shortcut;
        ::AppendMenuA(FMenu.Get(), MF_STRING, command.MenuId, caption.c_str());
    }
    return true;
}

void TPopupMenu::Apply(const TPopupMenuState& state) const {
    const HMENU menu = FMenu.Get();
    for (const TCommand& command : AllCommands()) {
        if (command.Checked)
            ::CheckMenuItem(menu, command.MenuId,
                            MF_BYCOMMAND | (state.*command.Checked ? MF_CHECKED : MF_UNCHECKED));
        if (command.Enabled)
            ::EnableMenuItem(menu, command.MenuId,
                             MF_BYCOMMAND | (state.*command.Enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void TPopupMenu::Show(HWND owner, POINT screenPosition) const {
    // The owner must be in the foreground, or the menu would not close when
    // the user clicks elsewhere.
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(FMenu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPosition.x,
                     screenPosition.y, 0, owner, nullptr);
    ::PostMessageA(owner, WM_NULL, 0, 0);
}

HACCEL CreateMenuShortcuts() {
    std::vector<ACCEL> entries;
    for (const TCommand& command : AllCommands()) {
        if (command.ShortcutKey != 0)
            entries.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | command.ShortcutModifiers),
                                    command.ShortcutKey, static_cast<WORD>(command.MenuId)});
    }
    return ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

HACCEL CreateToolbarMnemonics() {
    std::vector<ACCEL> entries;
    for (const TCommand& command : AllCommands()) {
        if (command.Toolbar.Kind == TControlKind::None)
            continue;
        const std::string caption = command.Toolbar.Caption;
        const std::string::size_type ampersand = caption.find('&');
        if (ampersand == std::string::npos || ampersand + 1 >= caption.size())
            continue;
        const WORD key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(caption[ampersand + 1])));
        entries.push_back(ACCEL{FVIRTKEY | FALT, key, static_cast<WORD>(command.Toolbar.Id)});
    }
    return ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}
