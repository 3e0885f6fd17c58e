#include "platform/PopupMenu.h"

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
        ::AppendMenuA(FMenu.Get(), MF_STRING, command.Id, caption.c_str());
    }
    return true;
}

void TPopupMenu::Apply(const TPopupMenuState& state) const {
    const HMENU menu = FMenu.Get();
    for (const TCommand& command : AllCommands()) {
        if (command.Checked)
            ::CheckMenuItem(menu, command.Id,
                            MF_BYCOMMAND | (state.*command.Checked ? MF_CHECKED : MF_UNCHECKED));
        if (command.Enabled)
            ::EnableMenuItem(menu, command.Id,
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
                                    command.ShortcutKey, static_cast<WORD>(command.Id)});
    }
    return ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}
