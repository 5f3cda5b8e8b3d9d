#pragma once
// A small writer of metafile records for the tests, the screenshots and the benchmarks: placeable WMF
// and EMF files built record by record, with helpers for the records the player reads. Coordinates
// are written as given; the WMF shape records take their parameters in the file's reverse order.

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace metatest {

inline void Put16(QByteArray& b, int v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
inline void Put32(QByteArray& b, std::uint32_t v) {
    Put16(b, int(v & 0xFFFF));
    Put16(b, int(v >> 16));
}
inline void PutF(QByteArray& b, float f) {
    std::uint32_t v;
    static_assert(sizeof v == sizeof f);
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}

// A packed device-independent bitmap (40-byte header, colour table, rows bottom-up) of 24 bits,
// from colours 0x00BBGGRR given row by row from the top.
inline QByteArray Dib24(int width, int height, const std::vector<std::uint32_t>& topDown) {
    QByteArray b;
    const int rowSize = ((width * 24 + 31) / 32) * 4;
    Put32(b, 40);
    Put32(b, std::uint32_t(width));
    Put32(b, std::uint32_t(height));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, std::uint32_t(rowSize * height));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = topDown[std::size_t(y * width + x)];
            row.append(char((c >> 16) & 0xFF)).append(char((c >> 8) & 0xFF)).append(char(c & 0xFF));
        }
        row.append(QByteArray(rowSize - row.size(), '\0'));
        b.append(row);
    }
    return b;
}

// ---- WMF

class WmfWriter {
public:
    // A placeable WMF whose box runs from (left, top) to (right, bottom) at inch units per inch.
    WmfWriter(int left, int top, int right, int bottom, int inch = 96)
        : FLeft(left), FTop(top), FRight(right), FBottom(bottom), FInch(inch) {}

    // A record of 16-bit parameters.
    WmfWriter& Record(int function, std::initializer_list<int> words) {
        QByteArray p;
        for (int w : words)
            Put16(p, w);
        return Raw(function, p);
    }
    // A record of parameter bytes (padded to a whole word).
    WmfWriter& Raw(int function, QByteArray params) {
        if (params.size() % 2)
            params.append('\0');
        Put32(FRecords, std::uint32_t(3 + params.size() / 2));
        Put16(FRecords, function);
        FRecords.append(params);
        FMaxRecord = std::max<std::uint32_t>(FMaxRecord, std::uint32_t(3 + params.size() / 2));
        return *this;
    }

    WmfWriter& SetWindowOrg(int x, int y) { return Record(0x020B, {y, x}); }
    WmfWriter& SetWindowExt(int x, int y) { return Record(0x020C, {y, x}); }
    WmfWriter& SetBkMode(int mode) { return Record(0x0102, {mode}); }
    WmfWriter& SetBkColor(std::uint32_t c) { return Record(0x0201, {int(c & 0xFFFF), int(c >> 16)}); }
    WmfWriter& SetTextColor(std::uint32_t c) { return Record(0x0209, {int(c & 0xFFFF), int(c >> 16)}); }
    WmfWriter& SetTextAlign(int align) { return Record(0x012E, {align}); }
    WmfWriter& SetRop2(int rop) { return Record(0x0104, {rop}); }
    WmfWriter& SetPolyFillMode(int mode) { return Record(0x0106, {mode}); }
    WmfWriter& SaveDC() { return Record(0x001E, {}); }
    WmfWriter& RestoreDC(int n) { return Record(0x0127, {n}); }
    WmfWriter& CreatePen(int style, int width, std::uint32_t color) {
        ++FObjects;
        return Record(0x02FA, {style, width, 0, int(color & 0xFFFF), int(color >> 16)});
    }
    WmfWriter& CreateBrush(int style, std::uint32_t color, int hatch = 0) {
        ++FObjects;
        return Record(0x02FC, {style, int(color & 0xFFFF), int(color >> 16), hatch});
    }
    WmfWriter& CreateFont(int height, int charSet = 0, const QByteArray& face = "DejaVu Sans",
                          int escapement = 0, int weight = 400) {
        ++FObjects;
        QByteArray p;
        for (int w : {height, 0, escapement, escapement, weight})
            Put16(p, w);
        p.append('\0').append('\0').append('\0').append(char(charSet));
        p.append('\0').append('\0').append('\0').append('\0');
        p.append(face.left(31)).append('\0');
        return Raw(0x02FB, p);
    }
    WmfWriter& Select(int index) { return Record(0x012D, {index}); }
    WmfWriter& Delete(int index) { return Record(0x01F0, {index}); }
    WmfWriter& MoveTo(int x, int y) { return Record(0x0214, {y, x}); }
    WmfWriter& LineTo(int x, int y) { return Record(0x0213, {y, x}); }
    WmfWriter& Rectangle(int l, int t, int r, int b) { return Record(0x041B, {b, r, t, l}); }
    WmfWriter& Ellipse(int l, int t, int r, int b) { return Record(0x0418, {b, r, t, l}); }
    WmfWriter& RoundRect(int l, int t, int r, int b, int w, int h) {
        return Record(0x061C, {h, w, b, r, t, l});
    }
    WmfWriter& Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
        return Record(0x0817, {ye, xe, ys, xs, b, r, t, l});
    }
    WmfWriter& Pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
        return Record(0x081A, {ye, xe, ys, xs, b, r, t, l});
    }
    WmfWriter& Chord(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
        return Record(0x0830, {ye, xe, ys, xs, b, r, t, l});
    }
    WmfWriter& Poly(int function, const std::vector<std::pair<int, int>>& points) {
        QByteArray p;
        Put16(p, int(points.size()));
        for (auto [x, y] : points) {
            Put16(p, x);
            Put16(p, y);
        }
        return Raw(function, p);
    }
    WmfWriter& Polygon(const std::vector<std::pair<int, int>>& points) { return Poly(0x0324, points); }
    WmfWriter& Polyline(const std::vector<std::pair<int, int>>& points) { return Poly(0x0325, points); }
    WmfWriter& SetPixel(int x, int y, std::uint32_t c) {
        return Record(0x041F, {int(c & 0xFFFF), int(c >> 16), y, x});
    }
    WmfWriter& TextOut(int x, int y, const QByteArray& text) {
        QByteArray p;
        Put16(p, int(text.size()));
        p.append(text);
        if (text.size() % 2)
            p.append('\0');
        Put16(p, y);
        Put16(p, x);
        return Raw(0x0521, p);
    }
    WmfWriter& ExtTextOut(int x, int y, const QByteArray& text, const std::vector<int>& dx = {}) {
        QByteArray p;
        Put16(p, y);
        Put16(p, x);
        Put16(p, int(text.size()));
        Put16(p, 0);
        p.append(text);
        if (text.size() % 2)
            p.append('\0');
        for (int d : dx)
            Put16(p, d);
        return Raw(0x0A32, p);
    }
    WmfWriter& PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
        return Record(0x061D, {int(rop & 0xFFFF), int(rop >> 16), h, w, y, x});
    }
    WmfWriter& DibStretchBlt(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                             const QByteArray& dib, std::uint32_t rop = 0x00CC0020) {
        QByteArray p;
        for (int v : {int(rop & 0xFFFF), int(rop >> 16), sh, sw, sy, sx, h, w, y, x})
            Put16(p, v);
        p.append(dib);
        return Raw(0x0B41, p);
    }
    WmfWriter& StretchDib(int x, int y, int w, int h, int sx, int sy, int sw, int sh, const QByteArray& dib,
                          std::uint32_t rop = 0x00CC0020) {
        QByteArray p;
        for (int v : {int(rop & 0xFFFF), int(rop >> 16), 0, sh, sw, sy, sx, h, w, y, x})
            Put16(p, v);
        p.append(dib);
        return Raw(0x0F43, p);
    }

    // The whole file: placeable header, header, records and the end record.
    QByteArray Data() const {
        QByteArray b;
        Put32(b, 0x9AC6CDD7u);
        for (int w : {0, FLeft, FTop, FRight, FBottom, FInch, 0, 0})
            Put16(b, w);
        int checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= (std::uint8_t(b[i]) | (std::uint8_t(b[i + 1]) << 8));
        Put16(b, checksum);
        const std::uint32_t words = 9 + std::uint32_t(FRecords.size() / 2) + 3;
        Put16(b, 1);
        Put16(b, 9);
        Put16(b, 0x0300);
        Put32(b, words);
        Put16(b, FObjects);
        Put32(b, FMaxRecord);
        Put16(b, 0);
        b.append(FRecords);
        Put32(b, 3);
        Put16(b, 0);
        return b;
    }

private:
    int FLeft, FTop, FRight, FBottom, FInch;
    int FObjects = 0;
    std::uint32_t FMaxRecord = 3;
    QByteArray FRecords;
};

// ---- EMF

class EmfWriter {
public:
    // An EMF whose frame is width × height pixels of a reference device of 96 dots per inch.
    EmfWriter(int width, int height) : FWidth(width), FHeight(height) {}

    // A record of 32-bit values.
    EmfWriter& Record(std::uint32_t type, std::initializer_list<std::int32_t> values) {
        QByteArray p;
        for (std::int32_t v : values)
            Put32(p, std::uint32_t(v));
        return Raw(type, p);
    }
    EmfWriter& Raw(std::uint32_t type, QByteArray params) {
        while ((params.size() + 8) % 4)
            params.append('\0');
        Put32(FRecords, type);
        Put32(FRecords, std::uint32_t(8 + params.size()));
        FRecords.append(params);
        ++FCount;
        return *this;
    }

    EmfWriter& SetMapMode(int mode) { return Record(17, {mode}); }
    EmfWriter& SetWindowExt(int x, int y) { return Record(9, {x, y}); }
    EmfWriter& SetWindowOrg(int x, int y) { return Record(10, {x, y}); }
    EmfWriter& SetViewportExt(int x, int y) { return Record(11, {x, y}); }
    EmfWriter& SetViewportOrg(int x, int y) { return Record(12, {x, y}); }
    EmfWriter& SetBkMode(int mode) { return Record(18, {mode}); }
    EmfWriter& SetTextColor(std::uint32_t c) { return Record(24, {std::int32_t(c)}); }
    EmfWriter& SetTextAlign(int align) { return Record(22, {align}); }
    EmfWriter& SaveDC() { return Record(33, {}); }
    EmfWriter& RestoreDC(int n) { return Record(34, {n}); }
    EmfWriter& CreatePen(int slot, int style, int width, std::uint32_t color) {
        Handle(slot);
        return Record(38, {slot, style, width, 0, std::int32_t(color)});
    }
    EmfWriter& CreateBrush(int slot, int style, std::uint32_t color, int hatch = 0) {
        Handle(slot);
        return Record(39, {slot, style, std::int32_t(color), hatch});
    }
    EmfWriter& CreateFont(int slot, int height, const QString& face = QStringLiteral("DejaVu Sans"),
                          int escapement = 0) {
        Handle(slot);
        QByteArray p;
        for (std::int32_t v : {slot, height, 0, escapement, escapement, 400})
            Put32(p, std::uint32_t(v));
        Put32(p, 0);
        Put32(p, 0);
        for (int i = 0; i < 32; ++i)
            Put16(p, i < face.size() ? face[i].unicode() : 0);
        return Raw(82, p);
    }
    EmfWriter& Select(std::uint32_t index) { return Record(37, {std::int32_t(index)}); }
    EmfWriter& Delete(int index) { return Record(40, {index}); }
    EmfWriter& Rectangle(int l, int t, int r, int b) { return Record(43, {l, t, r, b}); }
    EmfWriter& Ellipse(int l, int t, int r, int b) { return Record(42, {l, t, r, b}); }
    EmfWriter& Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
        return Record(45, {l, t, r, b, xs, ys, xe, ye});
    }
    EmfWriter& MoveTo(int x, int y) { return Record(27, {x, y}); }
    EmfWriter& LineTo(int x, int y) { return Record(54, {x, y}); }
    EmfWriter& Poly(std::uint32_t type, const std::vector<std::pair<int, int>>& points, bool small = false) {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            Put32(p, 0);
        Put32(p, std::uint32_t(points.size()));
        for (auto [x, y] : points) {
            if (small) {
                Put16(p, x);
                Put16(p, y);
            } else {
                Put32(p, std::uint32_t(x));
                Put32(p, std::uint32_t(y));
            }
        }
        return Raw(type, p);
    }
    EmfWriter& Polygon(const std::vector<std::pair<int, int>>& points) { return Poly(3, points); }
    EmfWriter& Polygon16(const std::vector<std::pair<int, int>>& points) { return Poly(86, points, true); }
    EmfWriter& Polyline(const std::vector<std::pair<int, int>>& points) { return Poly(4, points); }
    EmfWriter& TextOutW(int x, int y, const QString& text) {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            Put32(p, 0); // bounds
        Put32(p, 1);     // graphics mode
        PutF(p, 1);
        PutF(p, 1);
        Put32(p, std::uint32_t(x));
        Put32(p, std::uint32_t(y));
        Put32(p, std::uint32_t(text.size()));
        Put32(p, 76); // the text follows the fixed part
        Put32(p, 0);  // options
        for (int i = 0; i < 4; ++i)
            Put32(p, 0);
        Put32(p, 0); // no advances
        for (QChar c : text)
            Put16(p, c.unicode());
        return Raw(84, p);
    }
    // A DIB stretched from its whole size onto (x, y, w, h).
    EmfWriter& StretchDIBits(int x, int y, int w, int h, const QByteArray& dib,
                             std::uint32_t rop = 0x00CC0020) {
        const std::int32_t dibW = std::int32_t(std::uint8_t(dib[4]) | (std::uint8_t(dib[5]) << 8));
        const std::int32_t dibH = std::int32_t(std::uint8_t(dib[8]) | (std::uint8_t(dib[9]) << 8));
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            Put32(p, 0);
        for (std::int32_t v : {x, y, 0, 0, dibW, dibH})
            Put32(p, std::uint32_t(v));
        // offBmi, cbBmi, offBits, cbBits: the header follows the fixed part of 80 bytes.
        Put32(p, 80);
        Put32(p, 40);
        Put32(p, 120);
        Put32(p, std::uint32_t(dib.size() - 40));
        Put32(p, 0); // colours of the bitmap's own
        Put32(p, rop);
        Put32(p, std::uint32_t(w));
        Put32(p, std::uint32_t(h));
        p.append(dib);
        return Raw(81, p);
    }

    QByteArray Data() const {
        QByteArray b;
        const std::uint32_t bytes = 88 + std::uint32_t(FRecords.size()) + 20;
        Put32(b, 1);
        Put32(b, 88);
        for (std::int32_t v : {0, 0, FWidth - 1, FHeight - 1})
            Put32(b, std::uint32_t(v));
        // The frame in hundredths of a millimetre of the 96-dpi reference device.
        for (std::int32_t v : {0, 0, FWidth * 2540 / 96, FHeight * 2540 / 96})
            Put32(b, std::uint32_t(v));
        Put32(b, 0x464D4520u);
        Put32(b, 0x10000);
        Put32(b, bytes);
        Put32(b, std::uint32_t(FCount + 2));
        Put16(b, FHandles);
        Put16(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0);
        // 960 × 960 pixels on 254 × 254 millimetres: 96 dots per inch.
        for (std::int32_t v : {960, 960, 254, 254})
            Put32(b, std::uint32_t(v));
        b.append(FRecords);
        for (std::uint32_t v : {14u, 20u, 0u, 16u, 20u})
            Put32(b, v);
        return b;
    }

private:
    void Handle(int slot) { FHandles = std::max(FHandles, slot + 1); }

    std::int32_t FWidth, FHeight;
    int FHandles = 1;
    int FCount = 0;
    QByteArray FRecords;
};

} // namespace metatest
