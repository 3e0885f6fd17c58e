#pragma once

#include <windows.h>

#include <string>

// Draws the end of the pane's text exactly as the edit control shows it once
// scrolled to its end, without the control laying out a single line. The
// control lays out and shapes every line it is given and every line it
// draws; while output floods in, the picture can follow the text this way at
// a small part of that cost, and the control is brought in step afterwards.
class TPanePainter {
  public:
    TPanePainter(HWND edit, HFONT font) : FEdit(edit), FFont(font) {}

    // Draws into dc, a device context of the control's client area, and
    // returns true; or draws nothing and returns false where the control
    // might show the text otherwise (tabs, characters beyond plain ASCII, a
    // caret line scrolled sideways).
    bool Paint(HDC dc, const std::string& text) const;

  private:
    HWND FEdit;
    HFONT FFont;
};
