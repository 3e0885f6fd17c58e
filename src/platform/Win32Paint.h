#pragma once

#include <windows.h>

// Device contexts and paints, released by their owners like every other
// resource.

// A window's device context (GetDC), or the screen's for a null window.
class TWindowDc {
  public:
    explicit TWindowDc(HWND window) : FWindow(window), FDc(::GetDC(window)) {}
    ~TWindowDc() {
        if (FDc)
            ::ReleaseDC(FWindow, FDc);
    }
    TWindowDc(const TWindowDc&) = delete;
    TWindowDc& operator=(const TWindowDc&) = delete;
    HDC Get() const { return FDc; }

  private:
    HWND FWindow;
    HDC FDc;
};

// A memory device context compatible with another.
class TMemoryDc {
  public:
    explicit TMemoryDc(HDC compatibleWith) : FDc(::CreateCompatibleDC(compatibleWith)) {}
    ~TMemoryDc() {
        if (FDc)
            ::DeleteDC(FDc);
    }
    TMemoryDc(const TMemoryDc&) = delete;
    TMemoryDc& operator=(const TMemoryDc&) = delete;
    HDC Get() const { return FDc; }

  private:
    HDC FDc;
};

// An object selected into a device context, and the previous one selected back.
class TSelection {
  public:
    TSelection(HDC dc, HGDIOBJ object) : FDc(dc), FPrevious(::SelectObject(dc, object)) {}
    ~TSelection() {
        if (FPrevious)
            ::SelectObject(FDc, FPrevious);
    }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;
    bool Selected() const { return FPrevious != nullptr; }

  private:
    HDC FDc;
    HGDIOBJ FPrevious;
};

// One WM_PAINT's painting, begun and ended.
class TPaint {
  public:
    explicit TPaint(HWND window) : FWindow(window), FDc(::BeginPaint(window, &FPaint)) {}
    ~TPaint() { ::EndPaint(FWindow, &FPaint); }
    TPaint(const TPaint&) = delete;
    TPaint& operator=(const TPaint&) = delete;
    HDC Dc() const { return FDc; }

  private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDc;
};
