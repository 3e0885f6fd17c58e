#pragma once

#include <cstdint>
#include <string>

#include "shell/Switches.h"

// What the viewer's logic needs from its own top-level window, one small
// interface per concern.

struct TPlacement {
    int Left = 136;
    int Top = 141;
    int Width = 650;
    int Height = 477;
};

enum class TWindowState { Normal = 0, Minimised = 1, Maximised = 2 };

// Identifies another top-level window; 0 means none.
using TWindowId = std::uintptr_t;

// The single-instance rule: the window's identity and the other windows of the desktop.
class IInstanceCheck {
  public:
    virtual ~IInstanceCheck() = default;
    // Viewers starting at the same moment check for each other one at a time.
    virtual void BeginInstanceCheck() = 0;
    virtual void EndInstanceCheck() = 0;
    virtual std::string ClassName() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual TWindowId FindTopLevelWindow(const std::string& className, const std::string& title) const = 0;
    virtual void BringToTop(TWindowId window) = 0;
    // Takes effect when the event loop next runs: the current handler finishes first.
    virtual void RequestTermination() = 0;
};

// How the switches show on the window: on top of others, the toolbar, the check boxes.
class IWindowSwitches {
  public:
    virtual ~IWindowSwitches() = default;
    virtual void SetTopmost(bool topmost) = 0;
    virtual bool IsTopmost() const = 0;
    virtual void SetToolbarVisible(bool visible) = 0;
    virtual bool IsToolbarVisible() const = 0;
    virtual void ShowCheckBox(TCheckBoxId box, bool checked) = 0;
};

class IWindowPlacement {
  public:
    virtual ~IWindowPlacement() = default;
    virtual TPlacement Placement() const = 0;
    virtual void SetPlacement(const TPlacement& placement) = 0;
    virtual TWindowState WindowState() const = 0;
    // Applied when the window is first shown (or at once if it is showing).
    virtual void SetWindowState(TWindowState state) = 0;
};

class IMessageBoxes {
  public:
    virtual ~IMessageBoxes() = default;
    // The general error display: a modal box with the stop icon.
    virtual void ShowErrorBox(const std::string& text) = 0;
    // A modal box captioned "Information" with the information icon, centred on the screen.
    virtual void ShowInformationBox(const std::string& text) = 0;
};
