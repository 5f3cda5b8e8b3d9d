#pragma once
// The one pair of conversions between TColor (0x00BBGGRR) and Qt colours. Never build a QColor
// from a TColor as a plain number: Qt's 0xRRGGBB order is the other way round.

#include "platform/Color.h"
#include "platform/SysColors.h"

#include <QColor>

inline QColor toQColor(TColor c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline TColor fromQColor(const QColor& c) {
    return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

inline QRgb toQRgb(TColor c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline TColor fromQRgb(QRgb c) {
    return RGB(std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)));
}

// A colour that may name a system colour, resolved through the system colour table.
inline QColor SysQColor(TColor c) {
    return toQColor(ColorToRGB(c));
}

inline QRgb SysQRgb(TColor c) {
    return toQRgb(ColorToRGB(c));
}
