// The record loops of the metafile player: each record's parameters are read, checked against the
// record's size and handed to the player. A record too short for what it says, or naming an object
// outside the table, is skipped.

#include "imaging/MetaPlayer.h"

#include <vector>

namespace metafile {

// ---------------------------------------------------------------------------------------------
// WMF: 16-bit words, parameters of the shape records in reverse order.

namespace {

// The parameters of one WMF record.
struct TWmfParams {
    const std::uint8_t* P;
    std::size_t Size; // bytes
    bool Has(std::size_t words) const { return Size >= 2 * words; }
    int W(std::size_t i) const { return S16(P + 2 * i); }
    int UW(std::size_t i) const { return U16(P + 2 * i); }
    std::uint32_t D(std::size_t i) const { return U32(P + 2 * i); }
};

enum : int {
    META_SETBKCOLOR = 0x0201,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_SCALEWINDOWEXT = 0x0410,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ARC = 0x0817,
    META_ELLIPSE = 0x0418,
    META_PIE = 0x081A,
    META_RECTANGLE = 0x041B,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_SAVEDC = 0x001E,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_CHORD = 0x0830,
    META_EXTTEXTOUT = 0x0A32,
    META_POLYPOLYGON = 0x0538,
    META_DIBBITBLT = 0x0940,
    META_DIBSTRETCHBLT = 0x0B41,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_STRETCHDIB = 0x0F43,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_CREATEREGION = 0x06FF,
};

// A point of a WMF point array: x, then y.
std::vector<QPointF> WmfPoints(const std::uint8_t* p, std::size_t count) {
    std::vector<QPointF> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = QPointF(S16(p + 4 * i), S16(p + 4 * i + 2));
    return points;
}

// The box of the shape records: bottom, right, top, left.
QRectF WmfBox(const TWmfParams& r, std::size_t at) {
    return QRectF(QPointF(r.W(at + 3), r.W(at + 2)), QPointF(r.W(at + 1), r.W(at)));
}

void WmfCreate(TPlayer& pl, TObject object) {
    const int slot = pl.NewObjectSlot();
    if (slot >= 0)
        pl.SetObject(slot, std::move(object));
}

void WmfText(TPlayer& pl, const QPointF& at, const std::uint8_t* bytes, int count, int options,
             const QRectF* rect, const std::vector<double>* dx) {
    const QString text = TPlayer::DecodeText(bytes, std::size_t(count), pl.S.Font.CharSet);
    pl.Text(at, text, options, rect, dx);
}

void WmfRecord(int function, const TWmfParams& r, std::size_t words, TPlayer& pl) {
    switch (function) {
    case META_SETBKCOLOR:
        if (r.Has(2))
            pl.S.BkColor = r.D(0);
        return;
    case META_SETBKMODE:
        if (r.Has(1) && (r.UW(0) == TRANSPARENT || r.UW(0) == OPAQUE))
            pl.S.BkMode = r.UW(0);
        return;
    case META_SETROP2:
        if (r.Has(1) && r.UW(0) >= 1 && r.UW(0) <= 16)
            pl.S.Rop2 = r.UW(0);
        return;
    case META_SETPOLYFILLMODE:
        if (r.Has(1) && (r.UW(0) == ALTERNATE || r.UW(0) == WINDING))
            pl.S.PolyFill = r.UW(0);
        return;
    case META_SETTEXTCOLOR:
        if (r.Has(2))
            pl.S.TextColor = r.D(0);
        return;
    case META_SETTEXTALIGN:
        if (r.Has(1))
            pl.S.TextAlign = r.UW(0);
        return;
    case META_SETWINDOWORG:
        if (r.Has(2)) {
            pl.S.WinOrg = QPointF(r.W(1), r.W(0));
            pl.MappingChanged();
        }
        return;
    case META_SETWINDOWEXT:
        if (r.Has(2)) {
            pl.S.WinExt = QPointF(r.W(1), r.W(0));
            pl.MappingChanged();
        }
        return;
    case META_OFFSETWINDOWORG:
        if (r.Has(2)) {
            pl.S.WinOrg += QPointF(r.W(1), r.W(0));
            pl.MappingChanged();
        }
        return;
    case META_SCALEWINDOWEXT:
        // yDenom, yNum, xDenom, xNum.
        if (r.Has(4) && r.W(0) != 0 && r.W(2) != 0) {
            pl.S.WinExt = QPointF(double(std::int64_t(pl.S.WinExt.x()) * r.W(3) / r.W(2)),
                                  double(std::int64_t(pl.S.WinExt.y()) * r.W(1) / r.W(0)));
            pl.MappingChanged();
        }
        return;
    case META_SETMAPMODE:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETVIEWPORTORG:
    case META_SCALEVIEWPORTEXT:
        // The window maps onto the target: the viewport and the map mode are not used.
        return;
    case META_SAVEDC:
        pl.SaveDC();
        return;
    case META_RESTOREDC:
        if (r.Has(1))
            pl.RestoreDC(r.W(0));
        return;
    case META_INTERSECTCLIPRECT:
        if (r.Has(4))
            pl.IntersectClipRect(WmfBox(r, 0));
        return;
    case META_EXCLUDECLIPRECT:
        if (r.Has(4))
            pl.ExcludeClipRect(WmfBox(r, 0));
        return;
    case META_CREATEPENINDIRECT:
        if (r.Has(5)) {
            TObject o;
            o.Kind = TObjectKind::Pen;
            o.Pen.Style = r.UW(0);
            o.Pen.Width = std::abs(r.W(1));
            o.Pen.Color = U32(r.P + 6);
            WmfCreate(pl, o);
        }
        return;
    case META_CREATEBRUSHINDIRECT:
        if (r.Has(4)) {
            TObject o;
            o.Kind = TObjectKind::Brush;
            o.Brush.Style = r.UW(0);
            o.Brush.Color = r.D(1);
            o.Brush.Hatch = r.UW(3);
            WmfCreate(pl, o);
        }
        return;
    case META_DIBCREATEPATTERNBRUSH:
        if (r.Has(2)) {
            TObject o;
            o.Kind = TObjectKind::Brush;
            o.Brush.Style = BS_DIBPATTERN;
            // The DIB in colours of its own table; palette indices and the old bitmap form are not
            // read (the brush then paints nothing) but the object still takes its slot.
            if (r.UW(0) != BS_PATTERN && r.UW(1) == 0)
                o.Brush.Pattern = TPlayer::DecodePackedDIB(r.P + 4, r.Size - 4);
            WmfCreate(pl, o);
        }
        return;
    case META_CREATEFONTINDIRECT:
        if (r.Has(9)) {
            TObject o;
            o.Kind = TObjectKind::Font;
            o.Font.Height = r.W(0);
            o.Font.Width = r.W(1);
            o.Font.Escapement = r.W(2);
            o.Font.Weight = r.W(4);
            o.Font.Italic = r.P[10] != 0;
            o.Font.Underline = r.P[11] != 0;
            o.Font.StrikeOut = r.P[12] != 0;
            o.Font.CharSet = r.P[13];
            const std::size_t faceBytes = std::min<std::size_t>(32, r.Size - 18);
            std::size_t len = 0;
            while (len < faceBytes && r.P[18 + len] != 0)
                ++len;
            o.Font.Face = TPlayer::DecodeText(r.P + 18, len, 0);
            WmfCreate(pl, o);
        }
        return;
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION: {
        // They take a slot and draw nothing.
        TObject o;
        o.Kind = TObjectKind::Other;
        WmfCreate(pl, o);
        return;
    }
    case META_SELECTOBJECT:
        if (r.Has(1))
            pl.SelectObject(r.UW(0));
        return;
    case META_DELETEOBJECT:
        if (r.Has(1))
            pl.DeleteObject(r.UW(0));
        return;
    case META_MOVETO:
        if (r.Has(2))
            pl.MoveTo(QPointF(r.W(1), r.W(0)));
        return;
    case META_LINETO:
        if (r.Has(2))
            pl.LineTo(QPointF(r.W(1), r.W(0)));
        return;
    case META_POLYLINE:
    case META_POLYGON: {
        if (!r.Has(1) || r.W(0) <= 0)
            return;
        const std::size_t count = std::size_t(r.W(0));
        if (!r.Has(1 + 2 * count))
            return;
        const std::vector<QPointF> points = WmfPoints(r.P + 2, count);
        if (function == META_POLYGON)
            pl.Polygon(points);
        else
            pl.Polyline(points, false);
        return;
    }
    case META_POLYPOLYGON: {
        if (!r.Has(1))
            return;
        const std::size_t polys = std::size_t(r.UW(0));
        if (!r.Has(1 + polys))
            return;
        std::vector<int> counts(polys);
        std::size_t total = 0;
        for (std::size_t i = 0; i < polys; ++i) {
            counts[i] = r.UW(1 + i);
            total += std::size_t(counts[i]);
        }
        if (!r.Has(1 + polys + 2 * total))
            return;
        pl.PolyPolygon(WmfPoints(r.P + 2 * (1 + polys), total), counts);
        return;
    }
    case META_RECTANGLE:
        if (r.Has(4))
            pl.BoxShape(TBoxShape::Rectangle, WmfBox(r, 0));
        return;
    case META_ELLIPSE:
        if (r.Has(4))
            pl.BoxShape(TBoxShape::Ellipse, WmfBox(r, 0));
        return;
    case META_ROUNDRECT:
        // height, width of the corner, then the box.
        if (r.Has(6))
            pl.BoxShape(TBoxShape::RoundRect, WmfBox(r, 2), QSizeF(r.W(1), r.W(0)));
        return;
    case META_ARC:
    case META_PIE:
    case META_CHORD:
        // yEnd, xEnd, yStart, xStart, then the box.
        if (r.Has(8)) {
            const TBoxShape shape = function == META_ARC   ? TBoxShape::Arc
                                    : function == META_PIE ? TBoxShape::Pie
                                                           : TBoxShape::Chord;
            pl.BoxShape(shape, WmfBox(r, 4), {}, QPointF(r.W(3), r.W(2)), QPointF(r.W(1), r.W(0)));
        }
        return;
    case META_SETPIXEL:
        if (r.Has(4))
            pl.SetPixel(QPointF(r.W(3), r.W(2)), r.D(0));
        return;
    case META_TEXTOUT: {
        if (!r.Has(1) || r.W(0) < 0)
            return;
        const std::size_t count = std::size_t(r.W(0)), padded = (count + 1) & ~std::size_t(1);
        if (r.Size < 2 + padded + 4)
            return;
        const std::uint8_t* after = r.P + 2 + padded;
        WmfText(pl, QPointF(S16(after + 2), S16(after)), r.P + 2, int(count), 0, nullptr, nullptr);
        return;
    }
    case META_EXTTEXTOUT: {
        // y, x, count, options, [rectangle], text, [advances].
        if (!r.Has(4) || r.W(2) < 0)
            return;
        const std::size_t count = std::size_t(r.W(2)), padded = (count + 1) & ~std::size_t(1);
        const int options = r.UW(3);
        std::size_t at = 8;
        QRectF rect;
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && r.Size >= at + 8 + count;
        if (hasRect) {
            rect = QRectF(QPointF(S16(r.P + 8), S16(r.P + 10)), QPointF(S16(r.P + 12), S16(r.P + 14)));
            at += 8;
        }
        if (r.Size < at + count)
            return;
        const std::uint8_t* text = r.P + at;
        at += padded;
        std::vector<double> dx;
        if (at <= r.Size && (r.Size - at) / 2 >= count) {
            dx.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                dx[i] = S16(r.P + at + 2 * i);
        }
        WmfText(pl, QPointF(r.W(1), r.W(0)), text, int(count), options, hasRect ? &rect : nullptr,
                dx.empty() ? nullptr : &dx);
        return;
    }
    case META_PATBLT:
        // raster operation, height, width, y, x.
        if (r.Has(6))
            pl.PatBlt(QRectF(r.W(5), r.W(4), r.W(3), r.W(2)), r.D(0));
        return;
    case META_DIBBITBLT: {
        const bool hasBitmap = words != std::size_t(function >> 8) + 3;
        if (!hasBitmap) {
            // raster operation, ySrc, xSrc, reserved, height, width, yDest, xDest.
            if (r.Has(9))
                pl.PatBlt(QRectF(r.W(8), r.W(7), r.W(6), r.W(5)), r.D(0));
            return;
        }
        // raster operation, ySrc, xSrc, height, width, yDest, xDest, the bitmap.
        if (r.Has(8)) {
            const QImage image = TPlayer::DecodePackedDIB(r.P + 16, r.Size - 16);
            pl.Blit(QRectF(r.W(7), r.W(6), r.W(5), r.W(4)), image, QRectF(r.W(2), r.W(1), r.W(5), r.W(4)),
                    r.D(0));
        }
        return;
    }
    case META_DIBSTRETCHBLT: {
        const bool hasBitmap = words != std::size_t(function >> 8) + 3;
        if (!hasBitmap) {
            // raster operation, srcHeight, srcWidth, ySrc, xSrc, reserved, destHeight, destWidth, yDest,
            // xDest.
            if (r.Has(11))
                pl.PatBlt(QRectF(r.W(10), r.W(9), r.W(8), r.W(7)), r.D(0));
            return;
        }
        // raster operation, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest, xDest, the bitmap.
        if (r.Has(10)) {
            const QImage image = TPlayer::DecodePackedDIB(r.P + 20, r.Size - 20);
            pl.Blit(QRectF(r.W(9), r.W(8), r.W(7), r.W(6)), image, QRectF(r.W(5), r.W(4), r.W(3), r.W(2)),
                    r.D(0));
        }
        return;
    }
    case META_STRETCHDIB: {
        // raster operation, colour usage, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest,
        // xDest, the bitmap. The source's y counts from the bottom of the bitmap.
        if (!r.Has(11) || r.UW(2) != 0)
            return;
        const QImage image = TPlayer::DecodePackedDIB(r.P + 22, r.Size - 22);
        if (image.isNull())
            return;
        const bool topDown = S32(r.P + 22 + 8) < 0;
        const double srcH = r.W(3), ySrc = r.W(5);
        const double top = topDown ? ySrc : image.height() - ySrc - srcH;
        pl.Blit(QRectF(r.W(10), r.W(9), r.W(8), r.W(7)), image, QRectF(r.W(6), top, r.W(4), srcH), r.D(0));
        return;
    }
    default:
        return;
    }
}

} // namespace

void PlayWmf(const QByteArray& data, int first, const QRect& box, int objectCount, TPlayer& pl) {
    (void)objectCount; // objects take the lowest free slot; the table grows as the records need
    pl.Enhanced = false;
    pl.S.WinOrg = QPointF(box.x(), box.y());
    pl.S.WinExt = QPointF(box.width(), box.height());
    pl.MappingChanged();
    pl.ResetObjects(0, true);
    const auto* d = reinterpret_cast<const std::uint8_t*>(data.constData());
    const std::size_t n = std::size_t(data.size());
    std::size_t pos = std::size_t(first);
    while (n - pos >= 6 && pos < n) {
        const std::uint32_t words = U32(d + pos);
        const int function = U16(d + pos + 4);
        if (words < 3 || words > (n - pos) / 2)
            break;
        const TWmfParams params{d + pos + 6, std::size_t(words) * 2 - 6};
        pos += std::size_t(words) * 2;
        if (function == 0)
            break;
        WmfRecord(function, params, words, pl);
    }
}

// ---------------------------------------------------------------------------------------------
// EMF: 32-bit values, offsets from the start of the record.

namespace {

enum : std::uint32_t {
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_FLATTENPATH = 65,
    EMR_WIDENPATH = 66,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
};

// One EMF record, its type and size included.
struct TEmfRecord {
    const std::uint8_t* P;
    std::size_t Size;
    bool Has(std::size_t bytes) const { return Size >= bytes; }
    std::int32_t I(std::size_t at) const { return S32(P + at); }
    std::uint32_t U(std::size_t at) const { return U32(P + at); }
    QPointF Point(std::size_t at) const { return QPointF(I(at), I(at + 4)); }
    QRectF Box(std::size_t at) const { return QRectF(Point(at), Point(at + 8)); }
    // True when [offset, offset + count) lies inside the record.
    bool Holds(std::uint64_t offset, std::uint64_t count) const {
        return offset <= Size && count <= Size - offset;
    }
};

std::vector<QPointF> EmfPoints(const TEmfRecord& r, std::size_t at, std::size_t count, bool small) {
    std::vector<QPointF> points(count);
    for (std::size_t i = 0; i < count; ++i)
        points[i] = small ? QPointF(S16(r.P + at + 4 * i), S16(r.P + at + 4 * i + 2)) : r.Point(at + 8 * i);
    return points;
}

// The bitmap of a record: its information header at offBmi (cbBmi bytes), its rows at offBits.
QImage EmfBitmap(const TEmfRecord& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                 std::uint32_t cbBits) {
    if (cbBmi == 0 || !r.Holds(offBmi, cbBmi) || !r.Holds(offBits, cbBits))
        return {};
    return TPlayer::DecodeDIB(r.P + offBmi, cbBmi, r.P + offBits, cbBits);
}

bool Finite(std::initializer_list<float> values) {
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

void EmfPoly(std::uint32_t type, const TEmfRecord& r, TPlayer& pl) {
    const bool small = type >= EMR_POLYBEZIER16;
    const std::size_t size = small ? 4 : 8;
    if (!r.Has(28))
        return;
    const std::uint64_t count = r.U(24);
    if (count > (r.Size - 28) / size)
        return;
    const std::vector<QPointF> points = EmfPoints(r, 28, std::size_t(count), small);
    switch (small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type) {
    case EMR_POLYBEZIER:
        pl.PolyBezier(points, false);
        break;
    case EMR_POLYGON:
        pl.Polygon(points);
        break;
    case EMR_POLYLINE:
        pl.Polyline(points, false);
        break;
    case EMR_POLYBEZIERTO:
        pl.PolyBezier(points, true);
        break;
    case EMR_POLYLINETO:
        pl.Polyline(points, true);
        break;
    default:
        break;
    }
}

void EmfPolyPoly(std::uint32_t type, const TEmfRecord& r, TPlayer& pl) {
    const bool small = type == EMR_POLYPOLYLINE16 || type == EMR_POLYPOLYGON16;
    const std::size_t size = small ? 4 : 8;
    if (!r.Has(32))
        return;
    const std::uint64_t polys = r.U(24), total = r.U(28);
    if (polys > (r.Size - 32) / 4 || total > (r.Size - 32 - 4 * polys) / size)
        return;
    std::vector<int> counts(static_cast<std::size_t>(polys));
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const std::uint32_t c = r.U(32 + 4 * i);
        counts[i] = c > total ? -1 : int(c);
    }
    const std::vector<QPointF> points = EmfPoints(r, std::size_t(32 + 4 * polys), std::size_t(total), small);
    if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
        pl.PolyPolygon(points, counts);
    else
        pl.PolyPolyline(points, counts);
}

void EmfText(std::uint32_t type, const TEmfRecord& r, TPlayer& pl) {
    // bounds, graphics mode, x and y scales, then the text record: reference point, count, offset of
    // the text, options, rectangle, offset of the advances.
    if (!r.Has(76))
        return;
    const QPointF at = r.Point(36);
    const std::uint64_t count = r.U(44);
    const std::uint32_t offString = r.U(48), offDx = r.U(72);
    const int options = int(r.U(52));
    const bool wide = type == EMR_EXTTEXTOUTW;
    if (!r.Holds(offString, count * (wide ? 2 : 1)))
        return;
    QString text;
    if (wide) {
        text.resize(qsizetype(count));
        for (std::size_t i = 0; i < count; ++i)
            text[qsizetype(i)] = QChar(U16(r.P + offString + 2 * i));
        while (!text.isEmpty() && text.back() == QChar(0))
            text.chop(1);
    } else {
        text = TPlayer::DecodeText(r.P + offString, std::size_t(count), pl.S.Font.CharSet);
    }
    const QRectF rect = r.Box(56);
    std::vector<double> dx;
    const std::uint64_t step = (options & ETO_PDY) ? 8 : 4;
    if (offDx != 0 && r.Holds(offDx, count * step)) {
        dx.resize(std::size_t(count));
        for (std::size_t i = 0; i < count; ++i)
            dx[i] = S32(r.P + offDx + step * i);
    }
    pl.Text(at, text, options, (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rect : nullptr,
            dx.empty() ? nullptr : &dx);
}

void EmfRegion(const TEmfRecord& r, TPlayer& pl) {
    if (!r.Has(16))
        return;
    const std::uint32_t cb = r.U(8);
    const int mode = int(r.U(12));
    if (cb == 0) {
        if (mode == RGN_COPY)
            pl.SelectClipRegion(QRegion(), RGN_COPY);
        return;
    }
    if (cb < 32 || !r.Holds(16, cb))
        return;
    const std::uint64_t count = r.U(16 + 8);
    if (count > (cb - 32) / 16)
        return;
    // The rectangles are in the pixels of the reference device.
    std::vector<QRect> rects;
    rects.reserve(std::size_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 16 + 32 + 16 * i;
        const QPointF a = pl.DeviceToTarget.map(r.Point(at)), b = pl.DeviceToTarget.map(r.Point(at + 8));
        // Far coordinates are kept where a rectangle's width still fits an int.
        const auto round = [](double v) { return int(std::floor(std::clamp(v, -1e8, 1e8) + 0.5)); };
        const int x1 = round(std::min(a.x(), b.x())), x2 = round(std::max(a.x(), b.x()));
        const int y1 = round(std::min(a.y(), b.y())), y2 = round(std::max(a.y(), b.y()));
        if (x2 > x1 && y2 > y1)
            rects.emplace_back(x1, y1, x2 - x1, y2 - y1);
    }
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    if (region.isNull())
        region = QRegion(0, 0, 0, 0);
    pl.SelectClipRegion(region, mode);
}

TObject EmfPatternBrush(const TEmfRecord& r) {
    // usage, offBmi, cbBmi, offBits, cbBits.
    TObject o;
    o.Kind = TObjectKind::Brush;
    o.Brush.Style = BS_DIBPATTERNPT;
    if (r.U(12) == 0 || r.U(12) == 2)
        o.Brush.Pattern = EmfBitmap(r, r.U(16), r.U(20), r.U(24), r.U(28));
    return o;
}

void EmfBlit(std::uint32_t type, const TEmfRecord& r, TPlayer& pl) {
    if (type == EMR_STRETCHDIBITS) {
        if (!r.Has(80))
            return;
        const QRectF dest(r.I(24), r.I(28), r.I(72), r.I(76));
        const std::uint32_t rop = r.U(68);
        if (r.U(52) == 0) {
            pl.PatBlt(dest, rop);
            return;
        }
        if (r.U(64) != 0)
            return;
        const QImage image = EmfBitmap(r, r.U(48), r.U(52), r.U(56), r.U(60));
        if (image.isNull())
            return;
        // The source's y counts from the bottom of a bottom-up bitmap.
        const bool topDown = r.Holds(r.U(48) + 8ull, 4) && S32(r.P + r.U(48) + 8) < 0;
        const double srcH = r.I(44), ySrc = r.I(36);
        const double top = topDown ? ySrc : image.height() - ySrc - srcH;
        pl.Blit(dest, image, QRectF(r.I(32), top, r.I(40), srcH), rop);
        return;
    }
    const bool stretch = type == EMR_STRETCHBLT;
    if (!r.Has(stretch ? 108 : 100))
        return;
    const QRectF dest(r.I(24), r.I(28), r.I(32), r.I(36));
    const std::uint32_t rop = r.U(40);
    if (r.U(88) == 0) {
        pl.PatBlt(dest, rop);
        return;
    }
    if (r.U(80) != 0)
        return;
    const QImage image = EmfBitmap(r, r.U(84), r.U(88), r.U(92), r.U(96));
    const QRectF source(r.I(44), r.I(48), stretch ? r.I(100) : r.I(32), stretch ? r.I(104) : r.I(36));
    pl.Blit(dest, image, source, rop);
}

void EmfRecord(std::uint32_t type, const TEmfRecord& r, TPlayer& pl, std::size_t handles) {
    // The slot a creating record names, or -1 when it lies outside the table.
    auto slot = [&]() { return r.Has(12) && r.U(8) > 0 && r.U(8) < handles ? int(r.U(8)) : -1; };
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        EmfPoly(type, r, pl);
        return;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        EmfPolyPoly(type, r, pl);
        return;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
        if (r.Has(16)) {
            const QPointF v = r.Point(8);
            (type == EMR_SETWINDOWEXTEX     ? pl.S.WinExt
             : type == EMR_SETWINDOWORGEX   ? pl.S.WinOrg
             : type == EMR_SETVIEWPORTEXTEX ? pl.S.VpExt
                                            : pl.S.VpOrg) = v;
            pl.MappingChanged();
        }
        return;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        // xNum, xDenom, yNum, yDenom.
        if (r.Has(24) && r.I(12) != 0 && r.I(20) != 0) {
            QPointF& ext = type == EMR_SCALEWINDOWEXTEX ? pl.S.WinExt : pl.S.VpExt;
            ext = QPointF(double(std::int64_t(ext.x()) * r.I(8) / r.I(12)),
                          double(std::int64_t(ext.y()) * r.I(16) / r.I(20)));
            pl.MappingChanged();
        }
        return;
    case EMR_SETMAPMODE:
        if (r.Has(12) && r.U(8) >= MM_TEXT && r.U(8) <= MM_ANISOTROPIC) {
            pl.S.MapMode = int(r.U(8));
            pl.MappingChanged();
        }
        return;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        if (!r.Has(type == EMR_SETWORLDTRANSFORM ? 32 : 36))
            return;
        const float m[6] = {F32(r.P + 8),  F32(r.P + 12), F32(r.P + 16),
                            F32(r.P + 20), F32(r.P + 24), F32(r.P + 28)};
        if (!Finite({m[0], m[1], m[2], m[3], m[4], m[5]}))
            return;
        const QTransform x(m[0], m[1], m[2], m[3], m[4], m[5]);
        const std::uint32_t mode = type == EMR_SETWORLDTRANSFORM ? 4 : r.U(32);
        if (mode == 1)
            pl.S.World = QTransform();
        else if (mode == 2)
            pl.S.World = x * pl.S.World;
        else if (mode == 3)
            pl.S.World = pl.S.World * x;
        else if (mode == 4)
            pl.S.World = x;
        pl.MappingChanged();
        return;
    }
    case EMR_SETPIXELV:
        if (r.Has(20))
            pl.SetPixel(r.Point(8), r.U(16));
        return;
    case EMR_SETBKMODE:
        if (r.Has(12) && (r.U(8) == TRANSPARENT || r.U(8) == OPAQUE))
            pl.S.BkMode = int(r.U(8));
        return;
    case EMR_SETPOLYFILLMODE:
        if (r.Has(12) && (r.U(8) == ALTERNATE || r.U(8) == WINDING))
            pl.S.PolyFill = int(r.U(8));
        return;
    case EMR_SETROP2:
        if (r.Has(12) && r.U(8) >= 1 && r.U(8) <= 16)
            pl.S.Rop2 = int(r.U(8));
        return;
    case EMR_SETTEXTALIGN:
        if (r.Has(12))
            pl.S.TextAlign = int(r.U(8) & 0xFFFF);
        return;
    case EMR_SETTEXTCOLOR:
        if (r.Has(12))
            pl.S.TextColor = r.U(8);
        return;
    case EMR_SETBKCOLOR:
        if (r.Has(12))
            pl.S.BkColor = r.U(8);
        return;
    case EMR_SETARCDIRECTION:
        if (r.Has(12))
            pl.S.ArcClockwise = r.U(8) == 2;
        return;
    case EMR_MOVETOEX:
        if (r.Has(16))
            pl.MoveTo(r.Point(8));
        return;
    case EMR_LINETO:
        if (r.Has(16))
            pl.LineTo(r.Point(8));
        return;
    case EMR_EXCLUDECLIPRECT:
        if (r.Has(24))
            pl.ExcludeClipRect(r.Box(8));
        return;
    case EMR_INTERSECTCLIPRECT:
        if (r.Has(24))
            pl.IntersectClipRect(r.Box(8));
        return;
    case EMR_SAVEDC:
        pl.SaveDC();
        return;
    case EMR_RESTOREDC:
        if (r.Has(12))
            pl.RestoreDC(r.I(8));
        return;
    case EMR_SELECTOBJECT:
        if (r.Has(12)) {
            const std::uint32_t index = r.U(8);
            if (index & 0x80000000u)
                pl.SelectStockObject(index);
            else
                pl.SelectObject(int(std::min<std::uint32_t>(index, 0x7FFFFFFF)));
        }
        return;
    case EMR_DELETEOBJECT:
        if (r.Has(12) && !(r.U(8) & 0x80000000u))
            pl.DeleteObject(int(r.U(8)));
        return;
    case EMR_CREATEPEN:
        // style, width (a point whose x is used), colour.
        if (r.Has(28) && slot() > 0) {
            TObject o;
            o.Kind = TObjectKind::Pen;
            o.Pen.Style = int(r.U(12));
            o.Pen.Width = std::abs(double(r.I(16)));
            o.Pen.Color = r.U(24);
            pl.SetObject(slot(), o);
        }
        return;
    case EMR_EXTCREATEPEN:
        // offBmi, cbBmi, offBits, cbBits, then style, width, brush style, colour, hatch, style entries.
        if (r.Has(52) && slot() > 0) {
            TObject o;
            o.Kind = TObjectKind::Pen;
            const std::uint32_t style = r.U(28);
            o.Pen.Style = int(style & 0xFFFF);
            o.Pen.Geometric = (style & 0x10000u) != 0;
            o.Pen.Width = o.Pen.Geometric ? std::abs(double(r.I(32))) : 0;
            if (r.U(36) == std::uint32_t(BS_NULL))
                o.Pen.Style = PS_NULL;
            o.Pen.Color = r.U(40);
            pl.SetObject(slot(), o);
        }
        return;
    case EMR_CREATEBRUSHINDIRECT:
        if (r.Has(24) && slot() > 0) {
            TObject o;
            o.Kind = TObjectKind::Brush;
            o.Brush.Style = int(r.U(12));
            o.Brush.Color = r.U(16);
            o.Brush.Hatch = int(r.U(20));
            pl.SetObject(slot(), o);
        }
        return;
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
        if (r.Has(32) && slot() > 0)
            pl.SetObject(slot(), EmfPatternBrush(r));
        return;
    case EMR_CREATEPALETTE:
        if (slot() > 0) {
            TObject o;
            o.Kind = TObjectKind::Other;
            pl.SetObject(slot(), o);
        }
        return;
    case EMR_EXTCREATEFONTINDIRECTW:
        // The logical font follows the slot: height, width, escapement, orientation, weight, italic,
        // underline, strike-out, character set, four more bytes, the face name of 32 characters.
        if (r.Has(12 + 92) && slot() > 0) {
            TObject o;
            o.Kind = TObjectKind::Font;
            const std::size_t f = 12;
            o.Font.Height = r.I(f);
            o.Font.Width = r.I(f + 4);
            o.Font.Escapement = r.I(f + 8);
            o.Font.Weight = r.I(f + 16);
            o.Font.Italic = r.P[f + 20] != 0;
            o.Font.Underline = r.P[f + 21] != 0;
            o.Font.StrikeOut = r.P[f + 22] != 0;
            o.Font.CharSet = r.P[f + 23];
            for (std::size_t i = 0; i < 32; ++i) {
                const char16_t c = U16(r.P + f + 28 + 2 * i);
                if (c == 0)
                    break;
                o.Font.Face.append(QChar(c));
            }
            pl.SetObject(slot(), o);
        }
        return;
    case EMR_ANGLEARC:
        // centre, radius, start angle, sweep angle.
        if (r.Has(28))
            pl.AngleArc(r.Point(8), double(r.U(16)), F32(r.P + 20), F32(r.P + 24));
        return;
    case EMR_ELLIPSE:
        if (r.Has(24))
            pl.BoxShape(TBoxShape::Ellipse, r.Box(8));
        return;
    case EMR_RECTANGLE:
        if (r.Has(24))
            pl.BoxShape(TBoxShape::Rectangle, r.Box(8));
        return;
    case EMR_ROUNDRECT:
        if (r.Has(32))
            pl.BoxShape(TBoxShape::RoundRect, r.Box(8), QSizeF(r.I(24), r.I(28)));
        return;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO:
        if (r.Has(40)) {
            const TBoxShape shape = type == EMR_ARC     ? TBoxShape::Arc
                                    : type == EMR_CHORD ? TBoxShape::Chord
                                    : type == EMR_PIE   ? TBoxShape::Pie
                                                        : TBoxShape::ArcTo;
            pl.BoxShape(shape, r.Box(8), {}, r.Point(24), r.Point(32));
        }
        return;
    case EMR_BEGINPATH:
        pl.BeginPath();
        return;
    case EMR_ENDPATH:
        pl.EndPath();
        return;
    case EMR_CLOSEFIGURE:
        pl.CloseFigure();
        return;
    case EMR_FILLPATH:
        pl.FillPath(true, false);
        return;
    case EMR_STROKEANDFILLPATH:
        pl.FillPath(true, true);
        return;
    case EMR_STROKEPATH:
        pl.FillPath(false, true);
        return;
    case EMR_FLATTENPATH:
        pl.FlattenPath();
        return;
    case EMR_WIDENPATH:
        pl.WidenPath();
        return;
    case EMR_SELECTCLIPPATH:
        if (r.Has(12))
            pl.SelectClipPath(int(r.U(8)));
        return;
    case EMR_ABORTPATH:
        pl.AbortPath();
        return;
    case EMR_EXTSELECTCLIPRGN:
        EmfRegion(r, pl);
        return;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        EmfText(type, r, pl);
        return;
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_STRETCHDIBITS:
        EmfBlit(type, r, pl);
        return;
    default:
        // Every other record, comments with their EMF+ data included, is skipped by its size.
        return;
    }
}

} // namespace

void PlayEmf(const QByteArray& data, int first, int handleCount, TPlayer& pl) {
    pl.Enhanced = true;
    pl.ResetObjects(handleCount, false);
    pl.MappingChanged();
    const auto* d = reinterpret_cast<const std::uint8_t*>(data.constData());
    const std::size_t n = std::size_t(data.size());
    std::size_t pos = std::size_t(first);
    while (pos < n && n - pos >= 8) {
        const std::uint32_t type = U32(d + pos), size = U32(d + pos + 4);
        if (size < 8 || size % 4 != 0 || size > n - pos)
            break;
        const TEmfRecord record{d + pos, size};
        pos += size;
        if (type == 14)
            break;
        EmfRecord(type, record, pl, std::size_t(std::max(handleCount, 0)));
    }
}

} // namespace metafile
