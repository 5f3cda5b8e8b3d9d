#pragma once
// The system colours and the fixed window metrics. A colour value with the high byte 0x80 names a
// system colour by the index in its low byte (clBtnFace is 0x80000000 + 15); ColorToRGB turns it into
// its fixed value. The program's own controls paint through this table, never through the Qt palette
// or style, so their pixels are the same under any desktop theme.

#include "platform/Color.h"

#include <cstdint>

// ---- The system colours, 0x80000000 + index.
constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clScrollBar = clSystemColor + 0;
constexpr TColor clBackground = clSystemColor + 1;
constexpr TColor clActiveCaption = clSystemColor + 2;
constexpr TColor clInactiveCaption = clSystemColor + 3;
constexpr TColor clMenu = clSystemColor + 4;
constexpr TColor clWindow = clSystemColor + 5;
constexpr TColor clWindowFrame = clSystemColor + 6;
constexpr TColor clMenuText = clSystemColor + 7;
constexpr TColor clWindowText = clSystemColor + 8;
constexpr TColor clCaptionText = clSystemColor + 9;
constexpr TColor clActiveBorder = clSystemColor + 10;
constexpr TColor clInactiveBorder = clSystemColor + 11;
constexpr TColor clAppWorkSpace = clSystemColor + 12;
constexpr TColor clHighlight = clSystemColor + 13;
constexpr TColor clHighlightText = clSystemColor + 14;
constexpr TColor clBtnFace = clSystemColor + 15;
constexpr TColor clBtnShadow = clSystemColor + 16;
constexpr TColor clGrayText = clSystemColor + 17;
constexpr TColor clBtnText = clSystemColor + 18;
constexpr TColor clInactiveCaptionText = clSystemColor + 19;
constexpr TColor clBtnHighlight = clSystemColor + 20;
constexpr TColor cl3DDkShadow = clSystemColor + 21;
constexpr TColor cl3DLight = clSystemColor + 22;
constexpr TColor clInfoText = clSystemColor + 23;
constexpr TColor clInfoBk = clSystemColor + 24;
constexpr TColor clHotLight = clSystemColor + 26;
constexpr TColor clGradientActiveCaption = clSystemColor + 27;
constexpr TColor clGradientInactiveCaption = clSystemColor + 28;
constexpr TColor clMenuHighlight = clSystemColor + 29;
constexpr TColor clMenuBar = clSystemColor + 30;
constexpr int SysColorCount = 31;

// ---- Plain colours the controls use by name.
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clFuchsia = 0xFF00FF;

constexpr bool IsSystemColor(TColor Color) {
    return (Color & 0xFF000000u) == clSystemColor;
}

// The fixed value of system colour Index (0 for an index outside the table).
TColor GetSysColor(int Index);
// A system colour resolved to its value; any other colour keeps its red, green and blue bytes.
TColor ColorToRGB(TColor Color);

// Changes one entry of the table (tests, and a later colour scheme). Every change counts up
// SysColorGeneration, so caches of images made from the colours know to drop them.
void SetSysColor(int Index, TColor Value);
// Puts every entry back to its fixed value (also counts as a change).
void ResetSysColors();
std::uint32_t SysColorGeneration();

// ---- The fixed window metrics, in pixels.
constexpr int smBorder = 1;        // thin border, horizontal and vertical
constexpr int smDlgFrame = 3;      // dialog frame
constexpr int smFrame = 4;         // sizing frame
constexpr int smCaption = 19;      // caption bar
constexpr int smSmallCaption = 15; // small caption bar of tool windows
constexpr int smVScroll = 16;      // width of a vertical scroll bar (and height of its arrows)
