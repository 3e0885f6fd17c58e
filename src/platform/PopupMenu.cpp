#include "platform/PopupMenu.h"

#include <cctype>
#include <string>
#include <vector>

#include "platform/Commands.h"

bool TPopupMenu::Create() {
    FMenu = TMenu(::CreatePopupMenu());
    if (!FMenu)
        return false;
    for (int i = 0; i < PopupMenuItemCount; ++i) {
        const TMenuItem& item = PopupMenuItems[i];
        if (!item.Caption) {
            ::AppendMenuA(FMenu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string caption = item.Caption;
        if (item.Shortcut)
            caption += std::string("\t") + item.Shortcut;
        ::AppendMenuA(FMenu.Get(), MF_STRING, item.Id, caption.c_str());
    }
    return true;
}

void TPopupMenu::Apply(const TPopupMenuState& state) const {
    const HMENU menu = FMenu.Get();
    const auto check = [menu](UINT id, bool on) {
        ::CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    const auto enable = [menu](UINT id, bool on) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    check(mnuFloat, state.mnuFloatChecked);
    check(mnuToolbar, state.mnuToolbarChecked);
    check(mnuDebugOutput, state.mnuDebugOutputChecked);
    check(mnuLogConnect, state.mnuLogConnectChecked);
    enable(mnuCut, state.mnuCutEnabled);
    enable(mnuCopy, state.mnuCopyEnabled);
    enable(mnuPaste, state.mnuPasteEnabled);
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
    for (int i = 0; i < PopupMenuItemCount; ++i) {
        const TMenuItem& item = PopupMenuItems[i];
        if (item.ShortcutKey != 0)
            entries.push_back(ACCEL{static_cast<BYTE>(FVIRTKEY | item.ShortcutModifiers), item.ShortcutKey,
                                    static_cast<WORD>(item.Id)});
    }
    return ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

HACCEL CreateToolbarMnemonics() {
    std::vector<ACCEL> entries;
    for (int i = 0; i < ToolbarControlCount; ++i) {
        const std::string caption = ToolbarControls[i].Caption;
        const std::string::size_type ampersand = caption.find('&');
        if (ampersand == std::string::npos || ampersand + 1 >= caption.size())
            continue;
        const WORD key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(caption[ampersand + 1])));
        entries.push_back(ACCEL{FVIRTKEY | FALT, key, static_cast<WORD>(ToolbarControls[i].Id)});
    }
    return ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}
