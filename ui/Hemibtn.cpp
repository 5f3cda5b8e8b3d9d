#include "ui/Hemibtn.h"

#include "platform/ColorQt.h"
#include "ui/GfxUtils.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

constexpr QRgb White = 0xFFFFFFFFu;
constexpr QRgb Black = 0xFF000000u;
const double K3 = 1.0 / std::sqrt(3.0);

inline QRgb* Row(QImage& I, int Y) {
    return reinterpret_cast<QRgb*>(I.scanLine(Y));
}
inline QRgb At(const QImage& I, int X, int Y) {
    return reinterpret_cast<const QRgb*>(I.constScanLine(Y))[X];
}
inline bool Inside(const QImage& I, int X, int Y) {
    return X >= 0 && Y >= 0 && X < I.width() && Y < I.height();
}

QImage WhiteImage(int W, int H) {
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(White);
    return img;
}

QImage EllipseMask(int W, int H, const TRect& R) {
    QImage img = WhiteImage(W, H);
    FillEllipse(img, R, clBlack);
    return img;
}

// Dst := Dst AND Src (Invert: AND NOT Src), on the 24-bit values.
void AndWith(QImage& Dst, const QImage& Src, bool Invert) {
    for (int y = 0; y < Dst.height(); ++y) {
        QRgb* d = Row(Dst, y);
        const auto* s = reinterpret_cast<const QRgb*>(Src.constScanLine(y));
        for (int x = 0; x < Dst.width(); ++x)
            d[x] = 0xFF000000u | (d[x] & (Invert ? ~s[x] : s[x]));
    }
}

void OrWith(QImage& Dst, const QImage& Src) {
    for (int y = 0; y < Dst.height(); ++y) {
        QRgb* d = Row(Dst, y);
        const auto* s = reinterpret_cast<const QRgb*>(Src.constScanLine(y));
        for (int x = 0; x < Dst.width(); ++x)
            d[x] |= s[x];
    }
}

inline int Clamp255(std::int64_t V) {
    return int(std::clamp<std::int64_t>(V, 0, 255));
}

inline int Floor(double V) {
    return int(std::floor(V));
}
inline int Ceil(double V) {
    return int(std::ceil(V));
}

// One shaded band: the quadrant walk of the ellipse at inset O, each visited point spreading a
// square of half-size r into the four mirrored quadrants.
QImage Band(int W, int H, int O, int BW, bool Raised) {
    QImage img = WhiteImage(W, H);
    const double left = O, top = O, right = W - O, bottom = H - O;
    const double a = (right - left - 1) / 2, b = (bottom - top - 1) / 2;
    if (a < 0 || b < 0)
        return img;
    const double cx = left + a, cy = top + b;
    const int r = Ceil(BW / 2.0) + 1;
    // Later visits paint over earlier ones. The walk is replayed backwards and each pixel is shaded
    // only by the last write that reaches it, which gives the same image at a fraction of the work.
    std::vector<std::uint8_t> written(std::size_t(W) * std::size_t(H), 0);
    auto shade = [&](int X, int Y, double dx, double dy) {
        if (!Inside(img, X, Y))
            return;
        std::uint8_t& done = written[std::size_t(Y) * std::size_t(W) + std::size_t(X)];
        if (done)
            return;
        done = 1;
        double nx = 0, ny = 0, nz = 1;
        const double rho = std::sqrt(dx * dx + dy * dy);
        if (rho > 0) {
            const double k = rho * std::numbers::sqrt2;
            nx = (Raised ? dx : -dx) / k;
            ny = (Raised ? dy : -dy) / k;
            nz = rho / k;
        }
        const int i = Clamp255(Round(128 * K3 * (nz - nx - ny)) + 128);
        Row(img, Y)[X] = qRgb(i, i, i);
    };
    std::vector<std::pair<std::int64_t, std::int64_t>> visits;
    auto visit = [&](double x, double y) { visits.emplace_back(Round(x), Round(y)); };
    const double a2 = a * a, b2 = b * b;
    double x = 0, y = b;
    double d = b2 - a2 * b + a2 / 4;
    visit(x, y);
    while (a2 * (y - 0.5) > b2 * (x + 1)) {
        if (d < 0) {
            d += b2 * (2 * x + 3);
        } else {
            d += b2 * (2 * x + 3) + a2 * (2 - 2 * y);
            y -= 1;
        }
        x += 1;
        visit(x, y);
    }
    d = b2 * (x + 0.5) * (x + 0.5) + a2 * (y - 1) * (y - 1) - a2 * b2;
    while (y > 0) {
        if (d < 0) {
            d += b2 * (2 * x + 2) + a2 * (3 - 2 * y);
            x += 1;
        } else {
            d += a2 * (3 - 2 * y);
        }
        y -= 1;
        visit(x, y);
    }
    // Visiting (x, y) spreads the square of offsets round it into the four mirrored quadrants,
    // rows (q) outside, columns (p) inside; here in reverse order.
    for (auto v = visits.rbegin(); v != visits.rend(); ++v) {
        const auto [rx, ry] = *v;
        for (std::int64_t q = ry + r; q >= ry - r; --q)
            for (std::int64_t p = rx + r; p >= rx - r; --p) {
                if (p == 0 && q == 0) {
                    shade(Ceil(cx), Ceil(cy), 0, 0);
                    continue;
                }
                const double dp = double(p), dq = double(q);
                shade(Floor(cx - dp), Ceil(cy - dq), -dp, -dq);
                shade(Floor(cx - dp), Floor(cy + dq), -dp, dq);
                shade(Ceil(cx + dp), Floor(cy + dq), dp, dq);
                shade(Ceil(cx + dp), Ceil(cy - dq), dp, -dq);
            }
    }
    return img;
}

void DrawCaption(QImage& Img, const THemisphereParams& P, QColor Color, bool Binary) {
    QFont font = P.Font;
    if (Binary)
        font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics fm(font);
    const int x = int(Round((P.Width - 2 - fm.horizontalAdvance(P.Caption)) / 2.0));
    const int y = int(Round((P.Height - 2 - fm.height()) / 2.0));
    QPainter p(&Img);
    p.setFont(font);
    p.setPen(Color);
    p.drawText(x, y + fm.ascent(), P.Caption);
}

QImage WithAlpha(const QImage& Look, const QImage& Mask) {
    QImage out(Look.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < Look.height(); ++y) {
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < Look.width(); ++x)
            o[x] = (At(Mask, x, y) & 0xFFFFFFu) == 0xFFFFFFu ? 0 : (At(Look, x, y) | 0xFF000000u);
    }
    return out;
}

} // namespace

bool HemispherePointInFace(const THemisphereParams& P, double X, double Y) {
    const int k = (P.BevelOuter != hbNone ? P.BevelWidth : 0) + (P.BevelInner != hbNone ? P.BevelWidth : 0);
    const double hw = P.Width / 2.0, hh = P.Height / 2.0;
    const double ax = hw - k, ay = hh - k;
    if (ax <= 0 || ay <= 0)
        return false;
    const double u = (X - hw) / ax, v = (Y - hh) / ay;
    return u * u + v * v <= 1;
}

bool RebuildHemisphereImages(const THemisphereParams& P, THemisphereImages& Images) {
    const int W = P.Width, H = P.Height, BW = P.BevelWidth;
    if (W < 2 || H < 2)
        return false;
    const bool outer = P.BevelOuter != hbNone, inner = P.BevelInner != hbNone;

    // 1. Masks.
    const QImage maskD =
        EllipseMask(W, H, !outer && !inner ? TRect{0, 0, W, H} : TRect{BW, BW, W - BW, H - BW});
    const QImage maskE = outer && inner ? EllipseMask(W, H, {2 * BW, 2 * BW, W - 2 * BW, H - 2 * BW}) : maskD;
    QImage mask = EllipseMask(W, H, {0, 0, W, H});

    // 2. Bevel rings.
    int nb = 0;
    QImage ring1, ring2;
    if (inner && !outer) {
        nb = 1;
        ring1 = Band(W, H, Ceil(BW / 2.0), BW, P.BevelInner == hbRaised);
        AndWith(ring1, maskD, false);
    } else if (outer || inner) {
        if (outer) {
            ring1 = Band(W, H, Floor(BW / 2.0), BW, P.BevelOuter == hbRaised);
            AndWith(ring1, maskD, false);
            ++nb;
        }
        if (inner) {
            ring2 = Band(W, H, Ceil(3.0 * BW / 2.0), BW, P.BevelInner == hbRaised);
            AndWith(ring2, maskE, false);
            if (outer)
                AndWith(ring2, maskD, true);
            ++nb;
        }
    }

    // 3. Face.
    QImage faceOut = WhiteImage(W, H), faceIn = WhiteImage(W, H);
    const bool glyph = !P.Glyph.isNull();
    QImage strip;
    int GW = 0, GH = 0, x0 = 0;
    QRgb tc = 0;
    if (glyph) {
        strip = P.Glyph.convertToFormat(QImage::Format_RGB32);
        GH = strip.height();
        tc = At(strip, 0, GH - 1) & 0xFFFFFFu;
        // A strip of fewer than one cell is one cell.
        if (P.NumGlyphs <= 1) {
            GW = strip.width();
        } else {
            GW = strip.width() / P.NumGlyphs;
            x0 = (P.GlyphIndex - 1) * GW;
        }
    }
    const double a = W / 2.0, b = H / 2.0;
    const double FW = W - BW * nb, FH = H - BW * nb;
    const int faceR = GetRValue(P.FaceColor), faceG = GetGValue(P.FaceColor), faceB = GetBValue(P.FaceColor);
    auto facePixel = [&](int X, int Y, double su, double sv, double w) {
        if (!Inside(faceOut, X, Y))
            return;
        bool fromGlyph = false;
        int r = 0, g = 0, bl = 0;
        if (glyph) {
            int gx, gy;
            if (P.GlyphMapped) {
                gx = Floor(std::atan2(w, -su) * (GW - 1) / std::numbers::pi);
                gy = Floor(std::atan2(w, -sv) * (GH - 1) / std::numbers::pi);
            } else {
                gx = Floor(GW / 2.0 + X - a);
                gy = Floor(GH / 2.0 + Y - b);
            }
            if (gx >= 0 && gx < GW && gy >= 0 && gy < GH && x0 + gx >= 0 && x0 + gx < strip.width()) {
                const QRgb c = At(strip, x0 + gx, gy) & 0xFFFFFFu;
                if (!(P.GlyphTransparent && c == tc)) {
                    fromGlyph = true;
                    r = qRed(c);
                    g = qGreen(c);
                    bl = qBlue(c);
                }
            }
        }
        if (!fromGlyph) {
            if (P.FaceTransparent) {
                if ((At(maskE, X, Y) & 0xFFFFFFu) != 0xFFFFFFu)
                    Row(mask, Y)[X] = White;
                return;
            }
            r = faceR;
            g = faceG;
            bl = faceB;
        }
        if ((fromGlyph && P.GlyphShaded) || (!fromGlyph && P.FaceShaded)) {
            const double s = P.AttenControl * K3 * (w - su - sv);
            auto lit = [&](int c, double f) { return Clamp255(c + Round(c * f)); };
            Row(faceOut, Y)[X] = qRgb(lit(r, s), lit(g, s), lit(bl, s));
            Row(faceIn, Y)[X] = qRgb(lit(r, -s), lit(g, -s), lit(bl, -s));
        } else {
            Row(faceOut, Y)[X] = qRgb(r, g, bl);
            Row(faceIn, Y)[X] = qRgb(r, g, bl);
        }
    };
    for (int j = 0; j <= Floor(FH / 2); ++j) {
        const double v = j / b;
        const int yT = Floor(b - j), yB = Ceil(b + j);
        const int n = Ceil(std::sqrt(std::max(0.0, 1 - v * v)) * FW / 2);
        if (n <= 1)
            continue;
        for (int i = 0; i <= n; ++i) {
            const double u = i / a;
            const double w = 1 - std::sqrt(u * u + v * v);
            const int xL = Floor(a - i), xR = Ceil(a + i);
            facePixel(xR, yT, u, -v, w);
            facePixel(xR, yB, u, v, w);
            facePixel(xL, yB, -u, v, w);
            facePixel(xL, yT, -u, -v, w);
        }
    }

    // 4. Caption.
    if (!P.Caption.isEmpty()) {
        const QColor color = SysQColor(P.FontColor);
        DrawCaption(faceOut, P, color, false);
        DrawCaption(faceIn, P, color, false);
        if (P.FaceTransparent)
            DrawCaption(mask, P, Qt::black, true);
    }

    // 5. Compose.
    if (nb > 0) {
        AndWith(faceOut, maskE, true);
        AndWith(faceIn, maskE, true);
    }
    for (const QImage* ring : {&ring1, &ring2})
        if (!ring->isNull()) {
            OrWith(faceOut, *ring);
            OrWith(faceIn, *ring);
        }
    if (P.BorderStyle == hbsSingle) {
        const int m = nb * BW;
        EllipseOutline(faceOut, {m, m, W - m, H - m}, P.BorderColor);
        EllipseOutline(faceIn, {m, m, W - m, H - m}, P.BorderColor);
    }
    Images.PaintOut = WithAlpha(faceOut, mask);
    Images.PaintIn = WithAlpha(faceIn, mask);
    Images.ImageOut = std::move(faceOut);
    Images.ImageIn = std::move(faceIn);
    Images.ImageMask = std::move(mask);
    return true;
}

// ---- TCustomHemisphereButton

TCustomHemisphereButton::TCustomHemisphereButton(QWidget* Parent) : QWidget(Parent) {
    // The face is the same in both directions; an Arabic form does not mirror it.
    setLayoutDirection(Qt::LeftToRight);
    resize(25, 25);
    CheckSize();
}

void TCustomHemisphereButton::Changed() {
    RebuildImages();
    update();
}

void TCustomHemisphereButton::RebuildImages() {
    P.Width = width();
    P.Height = height();
    RebuildHemisphereImages(P, FImages);
}

bool TCustomHemisphereButton::PointInFace(int X, int Y) const {
    THemisphereParams p = P;
    p.Width = width();
    p.Height = height();
    return HemispherePointInFace(p, X, Y);
}

#define KDS_HEMI_SETTER(Name, Field, Type)                                                                   \
    void TCustomHemisphereButton::Set##Name(Type Value) {                                                    \
        if (Value == P.Field)                                                                                \
            return;                                                                                          \
        P.Field = Value;                                                                                     \
        Changed();                                                                                           \
    }
KDS_HEMI_SETTER(AttenControl, AttenControl, double)
KDS_HEMI_SETTER(BevelInner, BevelInner, THemisphereBevel)
KDS_HEMI_SETTER(BevelOuter, BevelOuter, THemisphereBevel)
KDS_HEMI_SETTER(BorderColor, BorderColor, TColor)
KDS_HEMI_SETTER(BorderStyle, BorderStyle, THemisphereBorder)
KDS_HEMI_SETTER(Caption, Caption, const QString&)
KDS_HEMI_SETTER(FaceShaded, FaceShaded, bool)
KDS_HEMI_SETTER(FaceTransparent, FaceTransparent, bool)
KDS_HEMI_SETTER(GlyphMapped, GlyphMapped, bool)
KDS_HEMI_SETTER(GlyphShaded, GlyphShaded, bool)
KDS_HEMI_SETTER(GlyphTransparent, GlyphTransparent, bool)
KDS_HEMI_SETTER(NumGlyphs, NumGlyphs, int)
KDS_HEMI_SETTER(FaceColor, FaceColor, TColor)
#undef KDS_HEMI_SETTER

void TCustomHemisphereButton::SetBevelWidth(int Value) {
    if (Value == P.BevelWidth || Value < 1)
        return;
    P.BevelWidth = Value;
    Changed();
}

void TCustomHemisphereButton::SetFont(const QFont& Value) {
    P.Font = Value;
    Changed();
}

void TCustomHemisphereButton::SetFontColor(TColor Value) {
    P.FontColor = Value;
    Changed();
}

void TCustomHemisphereButton::SetGlyph(const QImage& Value) {
    if (Value.isNull()) {
        if (P.Glyph.isNull())
            return;
        P.Glyph = QImage();
    } else {
        P.Glyph = Value.copy();
        const int w = Value.width(), h = Value.height();
        P.NumGlyphs = h != 0 && w % h == 0 ? w / h : 1;
        P.GlyphIndex = 1;
    }
    Changed();
}

void TCustomHemisphereButton::SetGlyphIndex(int Value) {
    if (Value == P.GlyphIndex || Value < 1)
        return;
    if (!ComponentIsReading(this) && Value > P.NumGlyphs)
        return;
    P.GlyphIndex = Value;
    Changed();
}

void TCustomHemisphereButton::SetDown(bool Value) {
    if (Value == FDown)
        return;
    FDown = Value;
    repaint();
}

QList<TCustomHemisphereButton*> TCustomHemisphereButton::GroupMates() const {
    QList<TCustomHemisphereButton*> list;
    MComponentOwner* owner = AsComponentOwner(ComponentOwner(this));
    if (!owner)
        return list;
    for (QObject* c : owner->Components())
        if (c != this && IsGroupMate(c))
            if (auto* b = qobject_cast<TCustomHemisphereButton*>(c); b && b->FGroupIndex == FGroupIndex)
                list.append(b);
    return list;
}

void TCustomHemisphereButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    if (!ComponentIsReading(this) && FGroupIndex != 0)
        for (TCustomHemisphereButton* b : GroupMates())
            b->FAllowAllUp = Value;
}

void TCustomHemisphereButton::CheckSize() {
    if (width() == FLastWidth && height() == FLastHeight)
        return;
    FLastWidth = width();
    FLastHeight = height();
    Changed();
}

void TCustomHemisphereButton::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    CheckSize();
}

void TCustomHemisphereButton::paintEvent(QPaintEvent*) {
    CheckSize();
    QPainter p(this);
    p.drawImage(0, 0, FDown ? FImages.PaintIn : FImages.PaintOut);
}

void TCustomHemisphereButton::Press(QMouseEvent* Event, bool Double) {
    const QPoint pos = Event->position().toPoint();
    if (!isEnabled() || !PointInFace(pos.x(), pos.y()))
        return;
    if (OnMouseDown)
        OnMouseDown(this, Event->button(), Event->modifiers(), pos.x(), pos.y());
    if (Event->button() != Qt::LeftButton)
        return;
    FTracking = true;
    FDownAtPress = FDown;
    SetDown(true);
    if (Double && OnDblClick)
        OnDblClick(this);
}

void TCustomHemisphereButton::mousePressEvent(QMouseEvent* Event) {
    Press(Event, false);
}

void TCustomHemisphereButton::mouseDoubleClickEvent(QMouseEvent* Event) {
    Press(Event, true);
}

void TCustomHemisphereButton::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    if (FTracking && !FDownAtPress)
        SetDown(PointInFace(pos.x(), pos.y()));
    if (OnMouseMove)
        OnMouseMove(this, Event->modifiers(), pos.x(), pos.y());
}

void TCustomHemisphereButton::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint pos = Event->position().toPoint();
    // The control's click comes first, for a left release anywhere in the rectangle.
    if (Event->button() == Qt::LeftButton && rect().contains(pos))
        Click();
    if (FTracking) {
        FTracking = false;
        if (PointInFace(pos.x(), pos.y())) {
            if (OnClick)
                OnClick(this);
            if (FGroupIndex == 0) {
                SetDown(false);
            } else if (FAllowAllUp || !FDownAtPress) {
                for (TCustomHemisphereButton* b : GroupMates())
                    b->SetDown(false);
                SetDown(!FDownAtPress);
            }
        } else {
            // Released off the face: the button goes back to how the press found it.
            SetDown(FGroupIndex == 0 ? false : FDownAtPress);
        }
    }
    if (OnMouseUp)
        OnMouseUp(this, Event->button(), Event->modifiers(), pos.x(), pos.y());
}

// ---- THemisphereButton

THemisphereButton::THemisphereButton(QWidget* Parent) : TCustomHemisphereButton(Parent) {
    setFocusPolicy(Qt::NoFocus);
}

THemisphereButton::THemisphereButton(QObject* Owner, QWidget* Parent)
    : THemisphereButton(Parent ? Parent : qobject_cast<QWidget*>(Owner)) {
    SetComponentOwner(this, Owner);
}

bool THemisphereButton::IsGroupMate(QObject* Other) const {
    return qobject_cast<THemisphereButton*>(Other) != nullptr;
}
