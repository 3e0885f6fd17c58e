#include "platform/PaneFont.h"

namespace {
const int PaneFontHeight = 12;
}

TGdiObject CreatePaneFont(int dpi) {
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(PaneFontHeight, dpi, 96);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    // Plain pixels: smoothed text costs the pane's every redraw several times
    // over while output floods in, and a 12-pixel fixed font reads as well.
    font.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);
    return TGdiObject(::CreateFontIndirectA(&font));
}
