// While output floods in, the pane's picture is drawn from the text without the edit control: that picture
// must be the control's own, pixel for pixel, and where it cannot be, nothing is drawn.
#include "harness/fixture.h"
#include "harness/ui.h"
#include "platform/PaneFont.h"
#include "platform/PanePainter.h"
#include "platform/Win32Paint.h"

#include <set>
#include <vector>

using namespace e2e;

namespace {

const DWORD kPaneStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    bool operator==(const Picture& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    std::size_t Colours() const { return std::set<COLORREF>(pixels.begin(), pixels.end()).size(); }
};

Picture Grab(HWND window) {
    Picture picture;
    picture.pixels = ClientPixels(window, picture.width, picture.height);
    return picture;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A window with a pane made the way the viewer makes its own, shown on the screen.
class PaneWindow {
  public:
    PaneWindow(int paneWidth, int paneHeight) : font_(CreatePaneFont(96)) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DravikPaintTest";
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "DravikPaintTest", "paint test", WS_POPUP | WS_VISIBLE, 0, 0, paneWidth,
                                  paneHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
        pane_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", kPaneStyle, 0, 0, paneWidth, paneHeight,
                                window_, nullptr, windowClass.hInstance, nullptr);
        SendMessageA(pane_, EM_SETLIMITTEXT, 0, 0);
        SendMessageA(pane_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        Pump();
    }
    ~PaneWindow() { DestroyWindow(window_); }
    PaneWindow(const PaneWindow&) = delete;
    PaneWindow& operator=(const PaneWindow&) = delete;

    bool Made() const { return pane_ != nullptr && font_ && IsWindowVisible(pane_); }
    HWND Pane() const { return pane_; }

    // The control itself, holding text, scrolled to its end as a print leaves it.
    Picture Show(const std::string& text) {
        SetWindowTextA(pane_, text.c_str());
        return Append("");
    }
    Picture Append(const std::string& text) {
        const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthA(pane_));
        SendMessageA(pane_, EM_SETSEL, end, static_cast<LPARAM>(end));
        SendMessageA(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(pane_, EM_SCROLLCARET, 0, 0);
        RedrawWindow(pane_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        return Grab(pane_);
    }
    // The text drawn over the control, which holds something else.
    bool Paint(const std::string& text) {
        const bool painted =
            TPanePainter(pane_, static_cast<HFONT>(font_.Get())).Paint(TWindowDc(pane_).Get(), text);
        GdiFlush();
        return painted;
    }
    int WholeLines() const {
        RECT format{};
        SendMessageA(pane_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const TWindowDc dc(pane_);
        const TSelection font(dc.Get(), font_.Get());
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        return metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 0;
    }

  private:
    TGdiObject font_;
    HWND window_ = nullptr;
    HWND pane_ = nullptr;
};

std::string Lines(int count, std::size_t width, std::size_t seed) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + " " + Filler(width, seed + static_cast<std::size_t>(i)) + "\r\n";
    return text;
}

// The control shows a different text first, so that a painter drawing too little is seen.
void CheckPaintedLikeTheControl(PaneWindow& window, const std::string& text, const std::string& what) {
    const Picture own = window.Show(text);
    const Picture other = window.Show("something else\r\nentirely");
    if (!CHECK_MSG(!(own == other), what + ": the two texts look different"))
        return;
    CHECK_MSG(window.Paint(text), what);
    CHECK_MSG(Grab(window.Pane()) == own, what + ": painted like the control");
}

void CheckRefused(PaneWindow& window, const std::string& shown, const std::string& text,
                  const std::string& what) {
    const Picture before = window.Show(shown);
    CHECK_MSG(!window.Paint(text), what + ": refused");
    CHECK_MSG(Grab(window.Pane()) == before, what + ": nothing drawn");
}

void ThePictureIsTheControlsOwn() {
    PaneWindow window(619 + 4, 389 + 4);
    if (!CHECK(window.Made()))
        return;
    const int whole = window.WholeLines();
    if (!CHECK(whole > 5))
        return;
    // A picture with text in it: the grab sees the screen.
    CHECK(window.Show(Lines(3, 40, 1)).Colours() >= 2);

    CheckPaintedLikeTheControl(window, "", "empty pane");
    CheckPaintedLikeTheControl(window, "one line\r\n", "one line");
    for (int count = whole - 2; count <= whole + 2; ++count)
        CheckPaintedLikeTheControl(window, Lines(count, 60, 7), std::to_string(count) + " lines");
    CheckPaintedLikeTheControl(window, Lines(365, 78, 3), "a full pane");
    CheckPaintedLikeTheControl(window, Lines(50, 300, 5), "lines wider than the pane");
    CheckPaintedLikeTheControl(window, Lines(50, 60, 9) + "typed", "a caret line without a line break");
    CheckPaintedLikeTheControl(window, "a\ttab scrolled out of view\r\n" + Lines(whole + 5, 60, 2),
                               "a tab above the view");
}

void WhatMightLookDifferentIsNotDrawn() {
    PaneWindow window(619 + 4, 389 + 4);
    if (!CHECK(window.Made()))
        return;
    const std::string shown = Lines(40, 60, 4);
    CheckRefused(window, shown, shown + "a\ttab\r\n", "a tab in view");
    CheckRefused(window, shown, shown + "caf\xe9\r\n", "a character beyond ASCII");
    CheckRefused(window, shown, shown + "lone\nline feed\r\n", "a lone line feed");
    CheckRefused(window, shown, shown + Filler(300, 1), "a caret line wider than the pane");
}

// The control scrolled sideways comes back to the left edge when the caret ends up at the start of a line;
// with the caret elsewhere it might not, and the picture is left to the control.
void APaneScrolledSideways() {
    PaneWindow window(619 + 4, 389 + 4);
    if (!CHECK(window.Made()))
        return;
    const std::string shown = Lines(40, 300, 6);
    const std::string printed = "printed after scrolling\r\n";
    window.Show(shown);
    SendMessageA(window.Pane(), EM_LINESCROLL, 30, 0);
    if (!CHECK(GetScrollPos(window.Pane(), SB_HORZ) > 0))
        return;
    const Picture control = window.Append(printed);

    window.Show(shown);
    SendMessageA(window.Pane(), EM_LINESCROLL, 30, 0);
    CHECK(window.Paint(shown + printed));
    CHECK(Grab(window.Pane()) == control);

    window.Show(shown);
    SendMessageA(window.Pane(), EM_LINESCROLL, 30, 0);
    const Picture scrolled = Grab(window.Pane());
    CHECK(!window.Paint(shown + "typed"));
    CHECK(Grab(window.Pane()) == scrolled);
}

// The viewer's own pane, drawn by the control once the prints stop, is what the painter draws for its text.
void TheViewersPaneLooksTheSame() {
    ViewerRun run;
    if (!StartViewer(run))
        return;
    const HWND pane = FindPane(run.Window());
    if (!CHECK(pane != nullptr))
        return;
    for (int i = 0; i < 60; ++i) {
        if (!CHECK(Print(run.Window(), std::to_string(i) + " " + Filler(70, static_cast<std::size_t>(i))).ok))
            return;
    }
    // Quiet: the control is in step and has drawn itself.
    Sleep(600);
    const std::string text = PaneText(run.Window());
    Sleep(300);
    const Picture viewer = Grab(pane);
    CHECK(viewer.Colours() >= 2);

    RECT bounds{};
    GetWindowRect(pane, &bounds);
    PaneWindow replica(bounds.right - bounds.left, bounds.bottom - bounds.top);
    if (!CHECK(replica.Made()))
        return;
    replica.Show("something else");
    CHECK(replica.Paint(text));
    CHECK(Grab(replica.Pane()) == viewer);
    CHECK(run.Close());
}

} // namespace

int main() {
    RunTest("the painted picture is the control's own", ThePictureIsTheControlsOwn);
    RunTest("what might look different is not drawn", WhatMightLookDifferentIsNotDrawn);
    RunTest("a pane scrolled sideways", APaneScrolledSideways);
    RunTest("the viewer's pane looks the same", TheViewersPaneLooksTheSame);
    return Finish();
}
