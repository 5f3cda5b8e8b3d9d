#pragma once
// The metafile player's device context: the drawing state that the records change (objects, colours,
// modes, mapping, clipping, the current position, a path being built) and the drawing primitives the
// WMF and EMF records share. Coordinates given to the primitives are logical; the player maps them onto
// the target rectangle of the picture and rounds them to whole pixels, as the platform did. Internal
// to the image library.

#include "imaging/Bitmap.h"
#include "platform/Color.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <cstring>
#include <set>
#include <span>
#include <vector>

namespace metafile {

// ---- Little-endian values inside a record already known to hold them.
inline std::uint16_t U16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::int16_t S16(const std::uint8_t* p) {
    return std::int16_t(U16(p));
}
inline std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::int32_t S32(const std::uint8_t* p) {
    return std::int32_t(U32(p));
}
inline float F32(const std::uint8_t* p) {
    const std::uint32_t bits = U32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// ---- Values of the drawing state, named as the formats name them.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { R2_BLACK = 1, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };
enum : int { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : int { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_PDY = 0x2000 };
enum : int {
    MM_TEXT = 1,
    MM_LOMETRIC,
    MM_HIMETRIC,
    MM_LOENGLISH,
    MM_HIENGLISH,
    MM_TWIPS,
    MM_ISOTROPIC,
    MM_ANISOTROPIC
};
enum : int {
    PS_SOLID = 0,
    PS_DASH,
    PS_DOT,
    PS_DASHDOT,
    PS_DASHDOTDOT,
    PS_NULL,
    PS_INSIDEFRAME,
    PS_USERSTYLE,
    PS_ALTERNATE
};
enum : int {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6
};
enum : int { RGN_AND = 1, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY };
// Raster operations of the blits.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};
// The character set whose text bytes are Windows-1256; every other set reads as Windows-1252.
constexpr int ARABIC_CHARSET = 178;

struct TPenDef {
    int Style = PS_SOLID; // the low byte the line style; end cap 0x0F00, join 0xF000
    double Width = 0;     // logical units; 0 and 1 draw one pixel
    TColor Color = 0;
    bool Geometric = false;
};

struct TBrushDef {
    int Style = BS_SOLID;
    TColor Color = 0xFFFFFF;
    int Hatch = 0;
    QImage Pattern; // the picture of a pattern brush
};

struct TFontDef {
    int Height = 0; // logical; negative: the character height, positive: the cell height
    int Width = 0;
    int Escapement = 0; // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    int CharSet = 0;
    QString Face;
    int Serial = 0; // tells the font cache which definition it holds
};

enum class TObjectKind { Empty, Pen, Brush, Font, Other };

struct TObject {
    TObjectKind Kind = TObjectKind::Empty;
    TPenDef Pen;
    TBrushDef Brush;
    TFontDef Font;
};

// What SAVEDC keeps and RESTOREDC brings back.
struct TDCState {
    TPenDef Pen;
    TBrushDef Brush;
    TFontDef Font;
    TColor TextColor = 0;
    TColor BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int PolyFill = ALTERNATE;
    int Rop2 = R2_COPYPEN;
    int TextAlign = 0;
    bool ArcClockwise = false;
    QPointF Pos; // the current position, logical
    int MapMode = MM_TEXT;
    QPointF WinOrg, WinExt{1, 1}, VpOrg, VpExt{1, 1};
    QTransform World;
    bool HasClip = false;
    QRegion Clip; // picture coordinates
};

// The kinds of shape given by a bounding box.
enum class TBoxShape { Rectangle, Ellipse, RoundRect, Arc, Chord, Pie, ArcTo };

class TPlayer {
public:
    // target: where the frame or box goes, in picture coordinates; picture: the whole picture (the
    // painter's coordinates are picture coordinates).
    TPlayer(QPainter& painter, const QRect& target, const QRect& picture);

    // ---- Mapping. WMF: the window maps onto the target. EMF: world, then page (map mode, window and
    // viewport), then the reference device onto the target through DeviceToTarget.
    bool Enhanced = false;
    QTransform DeviceToTarget;
    double DevicePixelsPerMmX = 1, DevicePixelsPerMmY = 1;
    void MappingChanged() { FMapDirty = true; }
    // False while a window or viewport extent is zero: the drawing records then draw nothing.
    bool MapValid();
    QPointF Map(const QPointF& p);
    QPoint MapRounded(const QPointF& p);
    QPolygon MapPolygon(std::span<const QPointF> points);
    // Lengths of one logical unit along x and y, in pixels.
    double ScaleX();
    double ScaleY();

    TDCState S;

    // ---- Objects: WMF objects take the lowest free slot; EMF objects name their slot.
    void ResetObjects(int tableSize, bool lowestFree);
    // The slot of a new WMF object, or -1 when the table is full.
    int NewObjectSlot();
    void SetObject(int index, TObject object);
    // False when the index names no object (the record is then skipped).
    bool SelectObject(int index);
    void DeleteObject(int index);
    void SelectStockObject(std::uint32_t index);
    int NextFontSerial() { return ++FFontSerial; }

    // ---- State stack.
    void SaveDC();
    void RestoreDC(int which);

    // ---- Clipping.
    void IntersectClipRect(const QRectF& logical);
    void ExcludeClipRect(const QRectF& logical);
    // A region in picture coordinates combined with the clip by an RGN_ mode (an empty region with
    // RGN_COPY removes the clip).
    void SelectClipRegion(const QRegion& region, int mode);

    // ---- Paths (EMF).
    void BeginPath();
    void EndPath() { FInPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath(bool fill, bool stroke);
    void FlattenPath();
    void WidenPath();
    void SelectClipPath(int mode);

    // ---- Drawing. Points and boxes in logical coordinates.
    void MoveTo(const QPointF& p);
    void LineTo(const QPointF& p);
    void Polyline(std::span<const QPointF> points, bool fromCurrent);
    void Polygon(std::span<const QPointF> points);
    void PolyPolygon(std::span<const QPointF> points, std::span<const int> counts);
    void PolyPolyline(std::span<const QPointF> points, std::span<const int> counts);
    void PolyBezier(std::span<const QPointF> points, bool fromCurrent);
    // box: left, top, right, bottom; corner: the corner ellipse of a round rectangle; start and end:
    // the radials of the arc kinds.
    void BoxShape(TBoxShape shape, const QRectF& box, const QSizeF& corner = {}, const QPointF& start = {},
                  const QPointF& end = {});
    void AngleArc(const QPointF& centre, double radius, double startAngle, double sweepAngle);
    void SetPixel(const QPointF& p, TColor color);
    // dx: the advance of each character, logical; rect: the rectangle of ETO_OPAQUE / ETO_CLIPPED.
    void Text(const QPointF& reference, const QString& text, int options, const QRectF* rect,
              const std::vector<double>* dx);
    // A raster operation over a rectangle (x, y, width, height, logical) with the brush only.
    void PatBlt(const QRectF& rect, std::uint32_t rop);
    // A picture blitted from its source rectangle onto the logical destination rectangle; negative
    // extents mirror. An empty image acts as PatBlt.
    void Blit(const QRectF& dest, const QImage& image, const QRectF& source, std::uint32_t rop);

    // A device-independent bitmap decoded into an image (1 bit: Format_Mono with the table's two
    // colours; others RGB32); a null image when it cannot be read. header: the information header
    // with its masks and colour table; bits: the pixel rows.
    static QImage DecodeDIB(const std::uint8_t* header, std::size_t headerSize, const std::uint8_t* bits,
                            std::size_t bitsSize);
    // The same for a packed DIB (header, table and rows one after another).
    static QImage DecodePackedDIB(const std::uint8_t* dib, std::size_t size);

    // Text bytes of a font's character set.
    static QString DecodeText(const std::uint8_t* bytes, std::size_t count, int charSet);

private:
    void UpdateMap();
    // The picture region of a logical rectangle (right and bottom edges excluded), cut to the picture.
    QRegion RectRegion(const QRectF& logical);
    QPen MakePen();
    QBrush MakeBrush(const TBrushDef& brush);
    void ApplyClip();
    void ShapeMode();
    void PlainMode();
    bool DrawsShapes() const { return S.Rop2 != R2_NOP; }
    void Draw(const QPainterPath& path, bool fill);
    QRectF DeviceBox(const QRectF& box, bool& axisAligned, QPainterPath& rotated);
    QFont FontFor(const TFontDef& def, int pixelSize);
    double Cap(double v) const;
    void AddLineToPath(const QPointF& from, const QPointF& to);

    QPainter& FPainter;
    QRect FTarget;
    QRect FPicture;
    double FLimit;   // coordinates in pixels are kept within ±FLimit
    double FSizeCap; // the largest pen width or font size drawn
    QTransform FMap;
    bool FMapDirty = true;
    bool FMapValid = false;
    std::vector<TObject> FObjects;
    std::set<int> FFreeSlots;
    bool FLowestFree = true;
    std::vector<TDCState> FSaved;
    int FSaveOverflow = 0;
    bool FInPath = false;
    QPainterPath FPath; // picture coordinates
    int FFontSerial = 0;
    int FCachedSerial = -1, FCachedSize = -1;
    QFont FCachedFont;
    bool FHasFonts;
};

// The record loops. data: the whole metafile; first: the offset of the first record after the
// headers; every record up to the end record is known to lie inside the data.
void PlayWmf(const QByteArray& data, int first, const QRect& box, int objectCount, TPlayer& player);
void PlayEmf(const QByteArray& data, int first, int handleCount, TPlayer& player);

} // namespace metafile
