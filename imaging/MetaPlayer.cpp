#include "imaging/MetaPlayer.h"

#include "imaging/ImageLimits.h"
#include "imaging/ImageProc.h"
#include "platform/ColorQt.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPathStroker>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace metafile {

namespace {

QColor ColorOf(TColor c) {
    return toQColor(c & 0xFFFFFF);
}

// The default font of a new device context.
TFontDef DefaultFont() {
    TFontDef f;
    f.Height = 0;
    f.Serial = 0;
    return f;
}

// Whether a text needs shaping as a whole (right-to-left scripts), so that it is never drawn
// character by character.
bool NeedsShaping(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x0590)
            return true;
    return false;
}

// The angle of a point seen from the centre of an ellipse of radii rx, ry, as the parameter of the
// ellipse (degrees, counter-clockwise on the screen).
double EllipseAngle(const QPointF& centre, double rx, double ry, const QPointF& p) {
    const double dx = p.x() - centre.x(), dy = centre.y() - p.y();
    if (dx == 0 && dy == 0)
        return 0;
    const double a = std::atan2(ry > 0 ? dy / ry : dy, rx > 0 ? dx / rx : dx);
    return a * 180.0 / std::numbers::pi;
}

// The counter-clockwise (or clockwise, negative) sweep from start to end; equal angles give a
// whole turn.
double Sweep(double start, double end, bool clockwise) {
    double sweep = end - start;
    if (!std::isfinite(sweep))
        return 0;
    sweep = std::fmod(sweep, 360.0);
    if (clockwise) {
        if (sweep >= 0)
            sweep -= 360.0;
    } else if (sweep <= 0) {
        sweep += 360.0;
    }
    return sweep;
}

QPainter::CompositionMode Rop2Mode(int rop2) {
    switch (rop2) {
    case R2_BLACK:
        return QPainter::RasterOp_ClearDestination;
    case 2:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3:
        return QPainter::RasterOp_NotSourceAndDestination;
    case 4:
        return QPainter::RasterOp_NotSource;
    case 5:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 6:
        return QPainter::RasterOp_NotDestination;
    case 7:
        return QPainter::RasterOp_SourceXorDestination;
    case 8:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9:
        return QPainter::RasterOp_SourceAndDestination;
    case 10:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 12:
        return QPainter::RasterOp_NotSourceOrDestination;
    case 14:
        return QPainter::RasterOp_SourceOrNotDestination;
    case 15:
        return QPainter::RasterOp_SourceOrDestination;
    case R2_WHITE:
        return QPainter::RasterOp_SetDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up and mapping

TPlayer::TPlayer(QPainter& painter, const QRect& target, const QRect& picture)
    : FPainter(painter), FTarget(target), FPicture(picture) {
    const double side = std::max({std::abs(double(target.width())), std::abs(double(target.height())),
                                  double(picture.width()), double(picture.height())});
    FLimit = double(1 << 20) + 4 * side;
    FSizeCap = 2 * (double(picture.width()) + picture.height()) + 64;
    S.Font = DefaultFont();
    FHasFonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setRenderHint(QPainter::TextAntialiasing, false);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter.setBrushOrigin(0, 0);
}

void TPlayer::UpdateMap() {
    FMapDirty = false;
    FMapValid = false;
    QTransform map;
    if (!Enhanced) {
        if (S.WinExt.x() == 0 || S.WinExt.y() == 0)
            return;
        const double sx = FTarget.width() / S.WinExt.x(), sy = FTarget.height() / S.WinExt.y();
        map = QTransform(sx, 0, 0, sy, FTarget.left() - S.WinOrg.x() * sx, FTarget.top() - S.WinOrg.y() * sy);
    } else {
        double sx = 1, sy = 1;
        // Units per millimetre of the fixed modes; their y axis points up.
        double perMm = 0;
        switch (S.MapMode) {
        case MM_LOMETRIC:
            perMm = 10;
            break;
        case MM_HIMETRIC:
            perMm = 100;
            break;
        case MM_LOENGLISH:
            perMm = 100 / 25.4;
            break;
        case MM_HIENGLISH:
            perMm = 1000 / 25.4;
            break;
        case MM_TWIPS:
            perMm = 1440 / 25.4;
            break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            if (S.WinExt.x() == 0 || S.WinExt.y() == 0 || S.VpExt.x() == 0 || S.VpExt.y() == 0)
                return;
            sx = S.VpExt.x() / S.WinExt.x();
            sy = S.VpExt.y() / S.WinExt.y();
            if (S.MapMode == MM_ISOTROPIC) {
                const double s = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            break;
        default:
            break;
        }
        if (perMm > 0) {
            sx = DevicePixelsPerMmX / perMm;
            sy = -DevicePixelsPerMmY / perMm;
        }
        const QTransform page(sx, 0, 0, sy, S.VpOrg.x() - S.WinOrg.x() * sx, S.VpOrg.y() - S.WinOrg.y() * sy);
        map = S.World * page * DeviceToTarget;
    }
    for (double v : {map.m11(), map.m12(), map.m21(), map.m22(), map.dx(), map.dy()})
        if (!std::isfinite(v) || std::abs(v) > 1e12)
            return;
    if (map.m11() * map.m22() - map.m12() * map.m21() == 0)
        return;
    FMap = map;
    FMapValid = true;
}

bool TPlayer::MapValid() {
    if (FMapDirty)
        UpdateMap();
    return FMapValid;
}

QPointF TPlayer::Map(const QPointF& p) {
    if (FMapDirty)
        UpdateMap();
    return FMap.map(p);
}

QPoint TPlayer::MapRounded(const QPointF& p) {
    const QPointF d = Map(p);
    auto round = [this](double v) {
        // A value that is not a number goes to the low limit as well.
        if (!(v > -FLimit))
            v = -FLimit;
        if (v > FLimit)
            v = FLimit;
        return int(std::floor(v + 0.5));
    };
    return QPoint(round(d.x()), round(d.y()));
}

QPolygon TPlayer::MapPolygon(std::span<const QPointF> points) {
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const QPointF& p : points)
        poly.append(MapRounded(p));
    return poly;
}

double TPlayer::ScaleX() {
    if (FMapDirty)
        UpdateMap();
    return std::hypot(FMap.m11(), FMap.m12());
}

double TPlayer::ScaleY() {
    if (FMapDirty)
        UpdateMap();
    return std::hypot(FMap.m21(), FMap.m22());
}

double TPlayer::Cap(double v) const {
    if (!(v > 0))
        return 0;
    return std::min(v, FSizeCap);
}

// ---------------------------------------------------------------------------------------------
// Objects and the state stack

void TPlayer::ResetObjects(int tableSize, bool lowestFree) {
    FLowestFree = lowestFree;
    FObjects.assign(std::size_t(std::max(tableSize, 0)), TObject{});
    FFreeSlots.clear();
}

int TPlayer::NewObjectSlot() {
    if (!FFreeSlots.empty()) {
        const int slot = *FFreeSlots.begin();
        FFreeSlots.erase(FFreeSlots.begin());
        return slot;
    }
    // Object indices of the records are 16 bits.
    if (FObjects.size() >= 0xFFFF)
        return -1;
    FObjects.emplace_back();
    return int(FObjects.size()) - 1;
}

void TPlayer::SetObject(int index, TObject object) {
    if (index < 0 || std::size_t(index) >= FObjects.size())
        return;
    if (object.Kind == TObjectKind::Font)
        object.Font.Serial = NextFontSerial();
    FObjects[std::size_t(index)] = std::move(object);
}

bool TPlayer::SelectObject(int index) {
    if (index < 0 || std::size_t(index) >= FObjects.size())
        return false;
    const TObject& o = FObjects[std::size_t(index)];
    switch (o.Kind) {
    case TObjectKind::Pen:
        S.Pen = o.Pen;
        return true;
    case TObjectKind::Brush:
        S.Brush = o.Brush;
        return true;
    case TObjectKind::Font:
        S.Font = o.Font;
        return true;
    case TObjectKind::Other:
        return true;
    case TObjectKind::Empty:
        break;
    }
    return false;
}

void TPlayer::DeleteObject(int index) {
    if (index < 0 || std::size_t(index) >= FObjects.size())
        return;
    if (FObjects[std::size_t(index)].Kind == TObjectKind::Empty)
        return;
    FObjects[std::size_t(index)] = TObject{};
    if (FLowestFree)
        FFreeSlots.insert(index);
}

void TPlayer::SelectStockObject(std::uint32_t index) {
    auto brush = [this](int style, TColor c) {
        S.Brush = TBrushDef{};
        S.Brush.Style = style;
        S.Brush.Color = c;
    };
    auto pen = [this](int style, TColor c) {
        S.Pen = TPenDef{};
        S.Pen.Style = style;
        S.Pen.Color = c;
    };
    switch (index & 0x7FFFFFFFu) {
    case 0:  // white brush
    case 18: // the brush of the device context
        brush(BS_SOLID, 0xFFFFFF);
        break;
    case 1:
        brush(BS_SOLID, 0xC0C0C0);
        break;
    case 2:
        brush(BS_SOLID, 0x808080);
        break;
    case 3:
        brush(BS_SOLID, 0x404040);
        break;
    case 4:
        brush(BS_SOLID, 0);
        break;
    case 5:
        brush(BS_NULL, 0);
        break;
    case 6:
        pen(PS_SOLID, 0xFFFFFF);
        break;
    case 7:
    case 19: // the pen of the device context
        pen(PS_SOLID, 0);
        break;
    case 8:
        pen(PS_NULL, 0);
        break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        S.Font = DefaultFont();
        break;
    default:
        break;
    }
}

void TPlayer::SaveDC() {
    // Each saved state is a record of the file; the stack stays small all the same.
    if (FSaved.size() >= 1024) {
        ++FSaveOverflow;
        return;
    }
    FSaved.push_back(S);
}

void TPlayer::RestoreDC(int which) {
    if (which < 0) {
        std::int64_t k = -std::int64_t(which);
        if (FSaveOverflow >= k) {
            FSaveOverflow -= int(k);
            return;
        }
        k -= FSaveOverflow;
        if (k > std::int64_t(FSaved.size()))
            return;
        FSaveOverflow = 0;
        FSaved.resize(FSaved.size() - std::size_t(k - 1));
    } else {
        if (which == 0 || std::size_t(which) > FSaved.size())
            return;
        FSaveOverflow = 0;
        FSaved.resize(std::size_t(which));
    }
    S = std::move(FSaved.back());
    FSaved.pop_back();
    MappingChanged();
    ApplyClip();
}

// ---------------------------------------------------------------------------------------------
// Clipping

void TPlayer::ApplyClip() {
    if (S.HasClip)
        FPainter.setClipRegion(S.Clip);
    else
        FPainter.setClipping(false);
}

namespace {

// A polygon cut to a rectangle (each side in turn): a region made from it then costs no more than
// the rectangle, however far the polygon reaches.
QPolygon ClipPolygon(const QPolygonF& polygon, const QRectF& r) {
    QPolygonF out = polygon;
    const auto cut = [&out](auto inside, auto cross) {
        if (out.isEmpty())
            return;
        QPolygonF in;
        std::swap(in, out);
        QPointF prev = in.back();
        for (const QPointF& p : in) {
            if (inside(p)) {
                if (!inside(prev))
                    out.append(cross(prev, p));
                out.append(p);
            } else if (inside(prev)) {
                out.append(cross(prev, p));
            }
            prev = p;
        }
    };
    const auto atX = [](double x) {
        return [x](const QPointF& a, const QPointF& b) {
            return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
        };
    };
    const auto atY = [](double y) {
        return [y](const QPointF& a, const QPointF& b) {
            return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
        };
    };
    cut([&](const QPointF& p) { return p.x() >= r.left(); }, atX(r.left()));
    cut([&](const QPointF& p) { return p.x() <= r.right(); }, atX(r.right()));
    cut([&](const QPointF& p) { return p.y() >= r.top(); }, atY(r.top()));
    cut([&](const QPointF& p) { return p.y() <= r.bottom(); }, atY(r.bottom()));
    return out.toPolygon();
}

} // namespace

QRegion TPlayer::RectRegion(const QRectF& r) {
    const QPoint a = MapRounded(r.topLeft()), b = MapRounded(r.bottomRight());
    const QPoint c = MapRounded(r.topRight()), d = MapRounded(r.bottomLeft());
    const QRect near = FPicture.adjusted(-2, -2, 2, 2);
    if (a.y() == c.y() && a.x() == d.x())
        return QRegion(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                             QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1))
                           .intersected(near));
    return QRegion(ClipPolygon(QPolygonF(QPolygon({a, c, b, d})), near));
}

void TPlayer::IntersectClipRect(const QRectF& logical) {
    if (!MapValid())
        return;
    const QRegion r = RectRegion(logical);
    S.Clip = S.HasClip ? S.Clip.intersected(r) : r;
    S.HasClip = true;
    ApplyClip();
}

void TPlayer::ExcludeClipRect(const QRectF& logical) {
    if (!MapValid())
        return;
    const QRegion r = RectRegion(logical);
    S.Clip = (S.HasClip ? S.Clip : QRegion(FPicture)).subtracted(r);
    S.HasClip = true;
    ApplyClip();
}

void TPlayer::SelectClipRegion(const QRegion& region, int mode) {
    const QRegion whole = S.HasClip ? S.Clip : QRegion(FPicture);
    switch (mode) {
    case RGN_COPY:
        S.Clip = region;
        S.HasClip = !region.isNull();
        break;
    case RGN_AND:
        S.Clip = whole.intersected(region);
        S.HasClip = true;
        break;
    case RGN_OR:
        if (S.HasClip)
            S.Clip = S.Clip.united(region);
        break;
    case RGN_XOR:
        S.Clip = whole.xored(region);
        S.HasClip = true;
        break;
    case RGN_DIFF:
        S.Clip = whole.subtracted(region);
        S.HasClip = true;
        break;
    default:
        return;
    }
    ApplyClip();
}

// ---------------------------------------------------------------------------------------------
// Paths

void TPlayer::BeginPath() {
    FPath = QPainterPath();
    FInPath = true;
}

void TPlayer::AbortPath() {
    FPath = QPainterPath();
    FInPath = false;
}

void TPlayer::CloseFigure() {
    if (FInPath)
        FPath.closeSubpath();
}

void TPlayer::FillPath(bool fill, bool stroke) {
    if (FInPath)
        return;
    QPainterPath path = std::exchange(FPath, QPainterPath());
    if (path.isEmpty() || !DrawsShapes())
        return;
    path.setFillRule(S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    ShapeMode();
    FPainter.setPen(stroke ? MakePen() : QPen(Qt::NoPen));
    FPainter.setBrush(fill ? MakeBrush(S.Brush) : QBrush(Qt::NoBrush));
    FPainter.drawPath(path);
}

void TPlayer::FlattenPath() {
    QPainterPath flat;
    for (const QPolygonF& poly : FPath.toSubpathPolygons())
        flat.addPolygon(poly);
    FPath = flat;
}

void TPlayer::WidenPath() {
    QPen pen = MakePen();
    if (pen.style() == Qt::NoPen)
        return;
    QPainterPathStroker stroker(pen);
    stroker.setWidth(std::max(1.0, pen.widthF()));
    FPath = stroker.createStroke(FPath);
}

void TPlayer::SelectClipPath(int mode) {
    if (FInPath)
        return;
    const QPainterPath path = std::exchange(FPath, QPainterPath());
    QRegion region;
    const QRectF near = QRectF(FPicture).adjusted(-2, -2, 2, 2);
    for (const QPolygonF& poly : path.toFillPolygons()) {
        const QRegion r(ClipPolygon(poly, near), S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        region = S.PolyFill == WINDING ? region.united(r) : region.xored(r);
    }
    // An empty path still makes an (empty) clip.
    if (region.isNull())
        region = QRegion(0, 0, 0, 0);
    if (mode == RGN_COPY) {
        S.Clip = region;
        S.HasClip = true;
        ApplyClip();
        return;
    }
    SelectClipRegion(region, mode);
}

// ---------------------------------------------------------------------------------------------
// Pens, brushes and modes

QPen TPlayer::MakePen() {
    const TPenDef& d = S.Pen;
    const int style = d.Style & 0x0F;
    if (style == PS_NULL)
        return QPen(Qt::NoPen);
    QPen pen(ColorOf(d.Color));
    const double width = Cap(std::floor(d.Width * ScaleX() + 0.5));
    if (width <= 1) {
        // One pixel, the end point of a line left out.
        pen.setWidth(0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        switch (style) {
        case PS_DASH:
            pen.setDashPattern({18, 6});
            break;
        case PS_DOT:
            pen.setDashPattern({3, 3});
            break;
        case PS_DASHDOT:
            pen.setDashPattern({9, 6, 3, 6});
            break;
        case PS_DASHDOTDOT:
            pen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        case PS_ALTERNATE:
            pen.setDashPattern({1, 1});
            break;
        default:
            break;
        }
        return pen;
    }
    pen.setWidthF(width);
    switch (d.Style & 0x0F00) {
    case 0x0100:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case 0x0200:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (d.Style & 0xF000) {
    case 0x1000:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case 0x2000:
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return pen;
}

QBrush TPlayer::MakeBrush(const TBrushDef& b) {
    switch (b.Style) {
    case BS_NULL:
        return QBrush(Qt::NoBrush);
    case BS_HATCHED: {
        // Horizontal, vertical, down to the right, up to the right, cross, diagonal cross.
        static constexpr std::array<Qt::BrushStyle, 6> hatches = {Qt::HorPattern,   Qt::VerPattern,
                                                                  Qt::FDiagPattern, Qt::BDiagPattern,
                                                                  Qt::CrossPattern, Qt::DiagCrossPattern};
        if (b.Hatch >= 0 && std::size_t(b.Hatch) < hatches.size())
            return QBrush(ColorOf(b.Color), hatches[std::size_t(b.Hatch)]);
        return QBrush(ColorOf(b.Color));
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (!b.Pattern.isNull())
            return QBrush(b.Pattern);
        return QBrush(Qt::NoBrush);
    default:
        return QBrush(ColorOf(b.Color));
    }
}

void TPlayer::ShapeMode() {
    FPainter.setCompositionMode(Rop2Mode(S.Rop2));
    FPainter.setBackgroundMode(S.BkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    FPainter.setBackground(QBrush(ColorOf(S.BkColor)));
}

void TPlayer::PlainMode() {
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // Text backgrounds are filled by the player itself, by its own rules.
    FPainter.setBackgroundMode(Qt::TransparentMode);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TPlayer::Draw(const QPainterPath& path, bool fill) {
    if (FInPath) {
        FPath.addPath(path);
        return;
    }
    if (!DrawsShapes())
        return;
    ShapeMode();
    FPainter.setPen(MakePen());
    FPainter.setBrush(fill ? MakeBrush(S.Brush) : QBrush(Qt::NoBrush));
    FPainter.drawPath(path);
}

void TPlayer::AddLineToPath(const QPointF& from, const QPointF& to) {
    const QPointF a = MapRounded(from), b = MapRounded(to);
    if (FPath.elementCount() == 0 || FPath.currentPosition() != a)
        FPath.moveTo(a);
    FPath.lineTo(b);
}

void TPlayer::MoveTo(const QPointF& p) {
    S.Pos = p;
    if (FInPath && MapValid())
        FPath.moveTo(MapRounded(p));
}

void TPlayer::LineTo(const QPointF& p) {
    const QPointF from = S.Pos;
    S.Pos = p;
    if (!MapValid())
        return;
    if (FInPath) {
        AddLineToPath(from, p);
        return;
    }
    if (!DrawsShapes())
        return;
    ShapeMode();
    FPainter.setPen(MakePen());
    FPainter.drawLine(MapRounded(from), MapRounded(p));
}

void TPlayer::Polyline(std::span<const QPointF> points, bool fromCurrent) {
    if (points.empty())
        return;
    QPolygon poly;
    if (MapValid()) {
        if (fromCurrent)
            poly.append(MapRounded(S.Pos));
        poly += MapPolygon(points);
    }
    if (fromCurrent)
        S.Pos = points.back();
    if (poly.size() < 2)
        return;
    if (FInPath) {
        if (FPath.elementCount() == 0 || FPath.currentPosition() != QPointF(poly.front()))
            FPath.moveTo(poly.front());
        for (qsizetype i = 1; i < poly.size(); ++i)
            FPath.lineTo(poly[i]);
        return;
    }
    if (!DrawsShapes())
        return;
    ShapeMode();
    FPainter.setPen(MakePen());
    FPainter.drawPolyline(poly);
}

void TPlayer::Polygon(std::span<const QPointF> points) {
    if (points.size() < 2 || !MapValid())
        return;
    const QPolygon poly = MapPolygon(points);
    if (FInPath) {
        FPath.addPolygon(QPolygonF(poly));
        FPath.closeSubpath();
        return;
    }
    if (!DrawsShapes())
        return;
    ShapeMode();
    FPainter.setPen(MakePen());
    FPainter.setBrush(MakeBrush(S.Brush));
    FPainter.drawPolygon(poly, S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

void TPlayer::PolyPolygon(std::span<const QPointF> points, std::span<const int> counts) {
    if (!MapValid())
        return;
    QPainterPath path;
    path.setFillRule(S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    std::size_t at = 0;
    for (int n : counts) {
        if (n < 0 || std::size_t(n) > points.size() - at)
            break;
        if (n >= 2) {
            path.addPolygon(QPolygonF(MapPolygon(points.subspan(at, std::size_t(n)))));
            path.closeSubpath();
        }
        at += std::size_t(n);
    }
    Draw(path, true);
}

void TPlayer::PolyPolyline(std::span<const QPointF> points, std::span<const int> counts) {
    if (!MapValid())
        return;
    QPainterPath path;
    std::size_t at = 0;
    for (int n : counts) {
        if (n < 0 || std::size_t(n) > points.size() - at)
            break;
        if (n >= 2)
            path.addPolygon(QPolygonF(MapPolygon(points.subspan(at, std::size_t(n)))));
        at += std::size_t(n);
    }
    Draw(path, false);
}

void TPlayer::PolyBezier(std::span<const QPointF> points, bool fromCurrent) {
    if (points.empty())
        return;
    const QPointF start = S.Pos;
    const std::size_t first = fromCurrent ? 0 : 1;
    const std::size_t groups = (points.size() - first) / 3;
    if (fromCurrent && groups > 0)
        S.Pos = points[first + 3 * groups - 1];
    if (!MapValid() || groups == 0)
        return;
    QPainterPath path(MapRounded(fromCurrent ? start : points[0]));
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t i = first + 3 * g;
        path.cubicTo(MapRounded(points[i]), MapRounded(points[i + 1]), MapRounded(points[i + 2]));
    }
    if (FInPath) {
        if (FPath.elementCount() == 0 || FPath.currentPosition() != path.elementAt(0))
            FPath.moveTo(path.elementAt(0));
        FPath.connectPath(path);
        return;
    }
    Draw(path, false);
}

QRectF TPlayer::DeviceBox(const QRectF& box, bool& axisAligned, QPainterPath& rotated) {
    axisAligned = FMap.type() <= QTransform::TxScale;
    if (!axisAligned) {
        QPainterPath p;
        p.addRect(box.normalized());
        rotated = FMap.map(p);
        return {};
    }
    const QPoint a = MapRounded(box.topLeft()), b = MapRounded(box.bottomRight());
    const int x1 = std::min(a.x(), b.x()), x2 = std::max(a.x(), b.x());
    const int y1 = std::min(a.y(), b.y()), y2 = std::max(a.y(), b.y());
    // The shapes end one pixel before their right and bottom coordinates.
    return QRectF(x1, y1, double(x2) - x1 - 1, double(y2) - y1 - 1);
}

void TPlayer::BoxShape(TBoxShape shape, const QRectF& box, const QSizeF& corner, const QPointF& start,
                       const QPointF& end) {
    if (!MapValid())
        return;
    bool axis = true;
    QPainterPath rotated;
    QRectF r = DeviceBox(box, axis, rotated);
    if (!axis) {
        // A rotated or sheared mapping: the shape is built in logical coordinates and mapped.
        QPainterPath p;
        const QRectF b = box.normalized();
        switch (shape) {
        case TBoxShape::Rectangle:
            p.addRect(b);
            break;
        case TBoxShape::RoundRect:
            p.addRoundedRect(b, std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
            break;
        default:
            p.addEllipse(b);
            break;
        }
        Draw(FMap.map(p), shape != TBoxShape::Arc && shape != TBoxShape::ArcTo);
        return;
    }
    if (r.width() < 0 || r.height() < 0)
        return;
    // An inside-frame pen stays inside the box.
    const QPen pen = MakePen();
    if ((S.Pen.Style & 0x0F) == PS_INSIDEFRAME && pen.widthF() > 1) {
        const double h = pen.widthF() / 2;
        r.adjust(h, h, -h, -h);
        if (r.width() < 0 || r.height() < 0)
            return;
    }
    QPainterPath path;
    switch (shape) {
    case TBoxShape::Rectangle:
        if (!FInPath && DrawsShapes()) {
            ShapeMode();
            FPainter.setPen(pen);
            FPainter.setBrush(MakeBrush(S.Brush));
            FPainter.drawRect(r);
            return;
        }
        path.addRect(r);
        Draw(path, true);
        return;
    case TBoxShape::Ellipse:
        path.addEllipse(r);
        Draw(path, true);
        return;
    case TBoxShape::RoundRect: {
        const double rx = std::min(std::abs(corner.width()) * ScaleX() / 2, r.width() / 2);
        const double ry = std::min(std::abs(corner.height()) * ScaleY() / 2, r.height() / 2);
        path.addRoundedRect(r, rx, ry);
        Draw(path, true);
        return;
    }
    default:
        break;
    }
    const QPointF c = r.center();
    const double rx = r.width() / 2, ry = r.height() / 2;
    const double a0 = EllipseAngle(c, rx, ry, Map(start));
    const double a1 = EllipseAngle(c, rx, ry, Map(end));
    const double sweep = Sweep(a0, a1, S.ArcClockwise);
    switch (shape) {
    case TBoxShape::Arc:
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        Draw(path, false);
        return;
    case TBoxShape::ArcTo: {
        const QPointF from = MapRounded(S.Pos);
        path.moveTo(from);
        QPointF arcStart;
        {
            QPainterPath probe;
            probe.arcMoveTo(r, a0);
            arcStart = probe.currentPosition();
        }
        path.lineTo(arcStart);
        path.arcTo(r, a0, sweep);
        S.Pos = FMap.inverted().map(path.currentPosition());
        Draw(path, false);
        return;
    }
    case TBoxShape::Chord:
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
        Draw(path, true);
        return;
    case TBoxShape::Pie:
        path.moveTo(c);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
        Draw(path, true);
        return;
    default:
        return;
    }
}

void TPlayer::AngleArc(const QPointF& centre, double radius, double startAngle, double sweepAngle) {
    if (!MapValid() || !std::isfinite(radius) || !std::isfinite(startAngle) || !std::isfinite(sweepAngle))
        return;
    radius = std::min(std::abs(radius), FLimit);
    sweepAngle = std::clamp(sweepAngle, -3600.0, 3600.0);
    const double b = (startAngle + sweepAngle) * std::numbers::pi / 180;
    const QPointF from = S.Pos;
    S.Pos = QPointF(centre.x() + radius * std::cos(b), centre.y() - radius * std::sin(b));
    const QPointF c = Map(centre);
    const double rx = radius * ScaleX(), ry = radius * ScaleY();
    const QRectF r(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry);
    // A mapping with y up turns the angles round.
    const double flip = FMap.m22() < 0 ? -1 : 1;
    QPainterPath path(MapRounded(from));
    QPainterPath probe;
    probe.arcMoveTo(r, flip * startAngle);
    path.lineTo(probe.currentPosition());
    path.arcTo(r, flip * startAngle, flip * sweepAngle);
    if (FInPath) {
        FPath.connectPath(path);
        return;
    }
    Draw(path, false);
}

void TPlayer::SetPixel(const QPointF& p, TColor color) {
    if (!MapValid() || FInPath)
        return;
    PlainMode();
    FPainter.fillRect(QRect(MapRounded(p), QSize(1, 1)), ColorOf(color));
}

QFont TPlayer::FontFor(const TFontDef& def, int pixelSize) {
    if (def.Serial == FCachedSerial && pixelSize == FCachedSize)
        return FCachedFont;
    QFont f(def.Face.isEmpty() ? QStringLiteral("Sans Serif") : def.Face);
    f.setStyleHint(QFont::SansSerif);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    f.setWeight(QFont::Weight(std::clamp(def.Weight <= 0 ? 400 : def.Weight, 1, 1000)));
    f.setItalic(def.Italic);
    f.setUnderline(def.Underline);
    f.setStrikeOut(def.StrikeOut);
    f.setPixelSize(pixelSize);
    if (def.Height > 0) {
        // A positive height is the height of the character cell: the size of the characters is
        // that less the internal leading.
        const QFontMetricsF fm(f);
        const double cell = fm.ascent() + fm.descent();
        if (cell > 0)
            f.setPixelSize(std::max(1, int(std::lround(double(pixelSize) * pixelSize / cell))));
    }
    FCachedSerial = def.Serial;
    FCachedSize = pixelSize;
    FCachedFont = f;
    return f;
}

void TPlayer::Text(const QPointF& reference, const QString& text, int options, const QRectF* rect,
                   const std::vector<double>* dx) {
    if (!MapValid() || FInPath)
        return;
    const bool updateCp = (S.TextAlign & TA_UPDATECP) != 0;
    const QPoint at = MapRounded(updateCp ? S.Pos : reference);
    PlainMode();
    QRect box;
    if (rect) {
        const QPoint a = MapRounded(rect->topLeft()), b = MapRounded(rect->bottomRight());
        box = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                    QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
        if (options & ETO_OPAQUE)
            FPainter.fillRect(box, ColorOf(S.BkColor));
    }
    if (text.isEmpty() || !FHasFonts)
        return;
    const double size = S.Font.Height == 0 ? 16.0 : std::abs(double(S.Font.Height)) * ScaleY();
    const int pixelSize = int(std::clamp(std::floor(size + 0.5), 1.0, FSizeCap));
    const QFont font = FontFor(S.Font, pixelSize);
    const QFontMetricsF fm(font);
    // The characters' places: from the advances when given (the text is then drawn character by
    // character unless it needs shaping), else the font's own.
    std::vector<double> places;
    double width = 0;
    const bool perChar = dx && dx->size() >= std::size_t(text.size()) && !NeedsShaping(text);
    if (dx && dx->size() >= std::size_t(text.size())) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            places.push_back(width);
            width += std::abs((*dx)[std::size_t(i)] * ScaleX());
        }
    } else {
        width = fm.horizontalAdvance(text);
    }
    double x0 = 0;
    if ((S.TextAlign & TA_CENTER) == TA_CENTER)
        x0 = -width / 2;
    else if (S.TextAlign & TA_RIGHT)
        x0 = -width;
    double baseline = fm.ascent();
    if ((S.TextAlign & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (S.TextAlign & TA_BOTTOM)
        baseline = -fm.descent();
    FPainter.save();
    if (rect && (options & ETO_CLIPPED))
        FPainter.setClipRect(box, S.HasClip ? Qt::IntersectClip : Qt::ReplaceClip);
    FPainter.translate(at);
    if (S.Font.Escapement % 3600 != 0)
        FPainter.rotate(-double(S.Font.Escapement % 3600) / 10.0);
    if (S.BkMode == OPAQUE)
        FPainter.fillRect(QRectF(x0, baseline - fm.ascent(), width, fm.ascent() + fm.descent()),
                          ColorOf(S.BkColor));
    FPainter.setFont(font);
    FPainter.setPen(ColorOf(S.TextColor));
    if (perChar) {
        for (qsizetype i = 0; i < text.size(); ++i)
            FPainter.drawText(QPointF(x0 + places[std::size_t(i)], baseline), QString(text[i]));
    } else {
        FPainter.drawText(QPointF(x0, baseline), text);
    }
    FPainter.restore();
    if (updateCp && FMap.m11() != 0)
        S.Pos.rx() += width / FMap.m11();
}

void TPlayer::PatBlt(const QRectF& rect, std::uint32_t rop) {
    if (!MapValid() || FInPath)
        return;
    const QPoint a = MapRounded(rect.topLeft()), b = MapRounded(rect.bottomRight());
    const QRect r(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
    if (r.isEmpty())
        return;
    switch (rop) {
    case BLACKNESS:
        PlainMode();
        FPainter.fillRect(r, Qt::black);
        return;
    case WHITENESS:
        PlainMode();
        FPainter.fillRect(r, Qt::white);
        return;
    case DSTINVERT:
        FPainter.setCompositionMode(QPainter::RasterOp_NotDestination);
        FPainter.fillRect(r, Qt::black);
        PlainMode();
        return;
    default: {
        const QBrush brush = MakeBrush(S.Brush);
        if (brush.style() == Qt::NoBrush)
            return;
        FPainter.setCompositionMode(rop == PATINVERT ? QPainter::RasterOp_SourceXorDestination
                                                     : QPainter::CompositionMode_SourceOver);
        FPainter.setBackgroundMode(S.BkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
        FPainter.setBackground(QBrush(ColorOf(S.BkColor)));
        FPainter.fillRect(r, brush);
        PlainMode();
        return;
    }
    }
}

void TPlayer::Blit(const QRectF& dest, const QImage& image, const QRectF& source, std::uint32_t rop) {
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == PATINVERT) {
        PatBlt(dest, rop);
        return;
    }
    if (image.isNull() || !MapValid() || FInPath)
        return;
    const QPoint a = MapRounded(dest.topLeft()), b = MapRounded(dest.bottomRight());
    const int dw = b.x() - a.x(), dh = b.y() - a.y();
    if (dw == 0 || dh == 0 || !std::isfinite(source.width()) || !std::isfinite(source.height()))
        return;
    const bool mirrorX = (dw < 0) != (source.width() < 0);
    const bool mirrorY = (dh < 0) != (source.height() < 0);
    const QRect src = source.normalized().toAlignedRect().intersected(image.rect());
    if (src.isEmpty())
        return;
    QImage part = src == image.rect() ? image : image.copy(src);
    if (mirrorX || mirrorY)
        part = part.mirrored(mirrorX, mirrorY);
    const QRect target(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(dw), std::abs(dh));
    switch (rop) {
    case SRCAND:
        FPainter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        break;
    case SRCPAINT:
        FPainter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        break;
    case SRCINVERT:
        FPainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    case NOTSRCCOPY:
        FPainter.setCompositionMode(QPainter::RasterOp_NotSource);
        break;
    default:
        PlainMode();
        break;
    }
    FPainter.drawImage(QRectF(target), part, QRectF(part.rect()));
    PlainMode();
}

// ---------------------------------------------------------------------------------------------
// Bitmaps and text of the records

QImage TPlayer::DecodeDIB(const std::uint8_t* header, std::size_t headerSize, const std::uint8_t* bits,
                          std::size_t bitsSize) {
    if (header == nullptr || bits == nullptr || headerSize < 40)
        return {};
    const std::uint32_t biSize = U32(header);
    if (biSize < 40 || biSize > headerSize)
        return {};
    const std::int32_t width = S32(header + 4);
    const std::int32_t rawHeight = S32(header + 8);
    const int bpp = U16(header + 14);
    const std::uint32_t compression = U32(header + 16);
    std::uint32_t clrUsed = U32(header + 32);
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        return {};
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    if (!ImageLimits::PixelsWithinLimit(width, height))
        return {};
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return {};
    const bool bitFields = compression == 3 && (bpp == 16 || bpp == 32);
    if (compression != 0 && !bitFields)
        return {};
    // The information header as the copy routine reads it: 40 bytes, then the masks or the table.
    std::vector<std::uint8_t> dib(header, header + 40);
    dib[0] = 40;
    dib[1] = dib[2] = dib[3] = 0;
    const std::uint32_t h = std::uint32_t(height);
    dib[8] = std::uint8_t(h);
    dib[9] = std::uint8_t(h >> 8);
    dib[10] = std::uint8_t(h >> 16);
    dib[11] = std::uint8_t(h >> 24);
    std::vector<TBGRColor> table;
    if (bitFields) {
        // The masks follow a 40-byte header, or lie inside a longer one.
        if (biSize == 40 && headerSize < 52)
            return {};
        dib.insert(dib.end(), header + 40, header + 52);
    } else if (bpp <= 8) {
        if (clrUsed == 0 || clrUsed > (1u << bpp))
            clrUsed = 1u << bpp;
        if (std::size_t(clrUsed) * 4 > headerSize - biSize)
            return {};
        dib[32] = std::uint8_t(clrUsed);
        dib[33] = std::uint8_t(clrUsed >> 8);
        dib[34] = dib[35] = 0;
        dib.insert(dib.end(), header + biSize, header + biSize + std::size_t(clrUsed) * 4);
        for (std::uint32_t i = 0; i < clrUsed; ++i) {
            const std::uint8_t* e = header + biSize + 4 * i;
            table.push_back(TBGRColor{e[0], e[1], e[2]});
        }
    }
    TBitmap bitmap;
    try {
        CopyDIBToBitmap(dib.data(), dib.size(), bitmap, bits, bitsSize);
    } catch (const Exception&) {
        return {};
    }
    if (bitmap.Empty())
        return {};
    QImage image;
    if (bitmap.PixelFormat() == pf1bit) {
        image = QImage(bitmap.Width(), bitmap.Height(), QImage::Format_Mono);
        auto entry = [&](std::size_t i, QRgb fallback) {
            return i < table.size() ? qRgb(table[i].r, table[i].g, table[i].b) : fallback;
        };
        image.setColorTable({entry(0, qRgb(0, 0, 0)), entry(1, qRgb(255, 255, 255))});
        const std::size_t rowBytes = std::size_t((bitmap.Width() + 7) / 8);
        for (int y = 0; y < bitmap.Height(); ++y)
            std::memcpy(image.scanLine(y), bitmap.ScanLine(y), rowBytes);
    } else {
        image = bitmap.WrapQImage().convertToFormat(QImage::Format_RGB32);
    }
    if (topDown)
        image = image.mirrored(false, true);
    return image;
}

QImage TPlayer::DecodePackedDIB(const std::uint8_t* dib, std::size_t size) {
    if (dib == nullptr || size < 40)
        return {};
    const std::uint32_t biSize = U32(dib);
    if (biSize < 40 || biSize > size)
        return {};
    const int bpp = U16(dib + 14);
    const std::uint32_t compression = U32(dib + 16);
    std::uint64_t clrUsed = U32(dib + 32);
    std::uint64_t offset = biSize;
    if (compression == 3 && biSize == 40 && (bpp == 16 || bpp == 32))
        offset += 12;
    if (bpp >= 1 && bpp <= 8 && (clrUsed == 0 || clrUsed > (1u << bpp)))
        clrUsed = 1u << bpp;
    offset += clrUsed * 4;
    if (offset > size)
        return {};
    return DecodeDIB(dib, std::size_t(offset), dib + offset, size - std::size_t(offset));
}

QString TPlayer::DecodeText(const std::uint8_t* bytes, std::size_t count, int charSet) {
    while (count > 0 && bytes[count - 1] == 0)
        --count;
    const auto* chars = reinterpret_cast<const char*>(bytes);
    if (charSet == ARABIC_CHARSET) {
        thread_local QStringDecoder arabic("windows-1256", QStringDecoder::Flag::Stateless);
        if (arabic.isValid())
            return arabic.decode(QByteArrayView(chars, qsizetype(count)));
    }
    QString text(qsizetype(count), Qt::Uninitialized);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        text[qsizetype(i)] = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

} // namespace metafile
