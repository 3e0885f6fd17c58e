#pragma once

#include <windows.h>

#include "platform/Win32Handles.h"
#include "shell/Switches.h"

// The pane's popup menu, built from the command table, and the accelerator
// table for its shortcuts.
class TPopupMenu {
  public:
    bool Create();
    void Apply(const TPopupMenuState& state) const;
    void Show(HWND owner, POINT screenPosition) const;
    HMENU Handle() const { return FMenu.Get(); }

  private:
    TMenu FMenu;
};

// An accelerator table, destroyed with its owner.
class TAccelerators {
  public:
    TAccelerators() = default;
    explicit TAccelerators(HACCEL table) : FTable(table) {}
    TAccelerators(const TAccelerators&) = delete;
    TAccelerators& operator=(const TAccelerators&) = delete;
    TAccelerators& operator=(TAccelerators&& other) noexcept {
        std::swap(FTable, other.FTable);
        return *this;
    }
    ~TAccelerators() {
        if (FTable)
            ::DestroyAcceleratorTable(FTable);
    }
    HACCEL Get() const { return FTable; }

  private:
    HACCEL FTable = nullptr;
};

// Ctrl+Del, Ctrl+X, ... of the menu items.
HACCEL CreateMenuShortcuts();
