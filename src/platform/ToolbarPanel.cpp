#include "platform/ToolbarPanel.h"

#include "platform/Win32Paint.h"

namespace {
const char* const PanelClassName = "TDravikPanel";
const int PictureWidth = 24;
const int PictureHeight = 22;
const int PictureTop = 5;
// The pictures' see-through colour: the palette's magenta.
const UINT TransparentPaletteIndex = 13;

// Gives a 16-colour picture the button's face colour where it is see-through.
void BlendIntoButtonFace(HBITMAP picture) {
    const TWindowDc screen(nullptr);
    const TMemoryDc memory(screen.Get());
    if (!memory.Get())
        return;
    const TSelection selected(memory.Get(), picture);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const RGBQUAD entry{GetBValue(face), GetGValue(face), GetRValue(face), 0};
    ::SetDIBColorTable(memory.Get(), TransparentPaletteIndex, 1, &entry);
}
} // namespace

bool TToolbarPanel::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TToolbarPanel::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = PanelClassName;
    return ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool TToolbarPanel::Create(HWND parent, HINSTANCE instance, int dpi) {
    FDpi = dpi;
    FInstance = instance;
    FPanel = ::CreateWindowExA(WS_EX_CONTROLPARENT, PanelClassName, "plToolbar",
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr, instance,
                               nullptr);
    return FPanel != nullptr;
}

bool TToolbarPanel::CreateControls() {
    LOGFONTA font{};
    font.lfHeight = -Scaled(11);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    FFont = TGdiObject(::CreateFontIndirectA(&font));

    for (int slot = 0; slot < ToolbarControlCount; ++slot) {
        const TCommand& command = ToolbarCommand(slot);
        const TToolbarControl& control = command.Toolbar;
        const bool button = control.Kind == TControlKind::ImageButton;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (button ? BS_OWNERDRAW : BS_AUTOCHECKBOX);
        const HWND handle =
            ::CreateWindowExA(0, "BUTTON", control.Caption, style, Scaled(control.X), Scaled(control.Y),
                              Scaled(control.Width), Scaled(control.Height), FPanel,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(command.Id)), FInstance, nullptr);
        if (!handle)
            return false;
        if (FFont)
            ::SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
        if (button) {
            HANDLE image = ::LoadImageA(FInstance, MAKEINTRESOURCEA(control.Bitmap), IMAGE_BITMAP, 0, 0,
                                        LR_CREATEDIBSECTION);
            if (image)
                BlendIntoButtonFace(static_cast<HBITMAP>(image));
            FPictures[slot] = TGdiObject(image);
        } else {
            const bool checked = FChecked[static_cast<int>(control.Box)];
            ::SendMessageA(handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return true;
}

bool TToolbarPanel::IsVisible() const {
    return FPanel && (::GetWindowLongA(FPanel, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TToolbarPanel::SetVisible(bool visible) {
    if (FPanel)
        ::ShowWindow(FPanel, visible ? SW_SHOW : SW_HIDE);
}

void TToolbarPanel::SetChecked(TCheckBoxId box, bool checked) {
    FChecked[static_cast<int>(box)] = checked;
    if (const HWND control = Control(CheckBoxCommand(box).Id))
        ::SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The user may have clicked the box since it was last set.
bool TToolbarPanel::IsChecked(TCheckBoxId box) const {
    const HWND control = Control(CheckBoxCommand(box).Id);
    if (!control)
        return FChecked[static_cast<int>(box)];
    return ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// An image button: the picture centred above the caption, both shifted by a
// pixel while the button is held down.
void TToolbarPanel::DrawImageButton(const DRAWITEMSTRUCT& item) const {
    const HDC dc = item.hDC;
    RECT bounds = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    ::DrawFrameControl(dc, &bounds, DFC_BUTTON,
                       DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    const int shift = pushed ? 1 : 0;
    const int width = bounds.right - bounds.left;

    const TCommand* command = FindCommand(static_cast<WORD>(item.CtlID));
    const HGDIOBJ bitmap = command ? FPictures[command->Toolbar.Slot].Get() : nullptr;
    const int pictureWidth = Scaled(PictureWidth);
    const int pictureHeight = Scaled(PictureHeight);
    if (bitmap) {
        const TMemoryDc memory(dc);
        if (memory.Get()) {
            const TSelection selected(memory.Get(), bitmap);
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, bounds.left + (width - pictureWidth) / 2 + shift,
                         bounds.top + Scaled(PictureTop) + shift, pictureWidth, pictureHeight, memory.Get(),
                         0, 0, PictureWidth, PictureHeight, SRCCOPY);
        }
    }

    char caption[64] = {};
    ::GetWindowTextA(item.hwndItem, caption, sizeof caption);
    RECT text = bounds;
    text.top += Scaled(PictureTop) + pictureHeight + Scaled(2) + shift;
    text.left += shift;
    text.right += shift;
    {
        const TSelection font(dc, FFont ? FFont.Get() : ::GetCurrentObject(dc, OBJ_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::DrawTextA(dc, caption, -1, &text,
                    DT_CENTER | DT_TOP | DT_SINGLELINE |
                        ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
    }

    if (item.itemState & ODS_FOCUS) {
        RECT focus = bounds;
        ::InflateRect(&focus, -Scaled(3), -Scaled(3));
        ::DrawFocusRect(dc, &focus);
    }
}

LRESULT CALLBACK TToolbarPanel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
        return ::SendMessageA(::GetParent(window), message, wParam, lParam);
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}
