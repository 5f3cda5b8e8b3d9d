#include "imaging/ImageView.h"

#include "imaging/ImageIO.h"
#include "imaging/ImageProc.h"
#include "imaging/ImgCursors.h"
#include "platform/ColorQt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace {

QRgb RgbOf(TColor color) {
    return toQRgb(ColorToRGB(color));
}

// Round(value × zoom ÷ 100) in integers, halves to even.
std::int64_t Zoomed(std::int64_t value, std::int64_t zoom) {
    const std::int64_t q = value * zoom;
    std::int64_t r = q / 100;
    const std::int64_t rem = q % 100;
    if (rem > 50 || (rem == 50 && (r & 1)))
        ++r;
    return r;
}

int ClampToInt(std::int64_t v, std::int64_t lo = std::numeric_limits<int>::min(),
               std::int64_t hi = std::numeric_limits<int>::max()) {
    return int(std::clamp(v, lo, hi));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TImgViewBase

TImgViewBase::TImgViewBase(QWidget* Parent)
    : QAbstractScrollArea(Parent), FDpiX(ScreenPixelsPerInch()), FDpiY(FDpiX) {
    ApplyBorder();
}

TImgViewBase::~TImgViewBase() = default;

void TImgViewBase::SetBackground(TColor Color) {
    FBackground = Color;
    Update();
    ImageChange();
}

void TImgViewBase::SetBorderStyle(TBorderStyle Value) {
    FBorderStyle = Value;
    ApplyBorder();
}

void TImgViewBase::SetCtl3D(bool Value) {
    FCtl3D = Value;
    ApplyBorder();
}

void TImgViewBase::ApplyBorder() {
    // The border's colours come from the system colour table, like every control of the program.
    QPalette pal = palette();
    pal.setColor(QPalette::Light, toQColor(ColorToRGB(clBtnHighlight)));
    pal.setColor(QPalette::Midlight, toQColor(ColorToRGB(cl3DLight)));
    pal.setColor(QPalette::Mid, toQColor(ColorToRGB(clBtnShadow)));
    pal.setColor(QPalette::Dark, toQColor(ColorToRGB(clBtnShadow)));
    pal.setColor(QPalette::Shadow, toQColor(ColorToRGB(cl3DDkShadow)));
    pal.setColor(QPalette::WindowText, toQColor(ColorToRGB(clWindowFrame)));
    pal.setColor(QPalette::Window, toQColor(ColorToRGB(clBtnFace)));
    pal.setColor(QPalette::Button, toQColor(ColorToRGB(clBtnFace)));
    setPalette(pal);
    if (FBorderStyle == bsNone) {
        setFrameStyle(QFrame::NoFrame);
    } else if (FCtl3D) {
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
}

void TImgViewBase::Update() {
    viewport()->update();
}

void TImgViewBase::RegisterBitmapChangeEvent(QObject* Listener, std::function<void()> Handler) {
    RemoveBitmapChangeEvent(Listener);
    FListeners.emplace_back(Listener, std::move(Handler));
}

void TImgViewBase::RemoveBitmapChangeEvent(QObject* Listener) {
    std::erase_if(FListeners, [Listener](const auto& l) { return l.first == Listener; });
}

void TImgViewBase::BitmapChanged() {
    // A listener may remove itself while it is called.
    const auto listeners = FListeners;
    for (const auto& l : listeners)
        if (l.second)
            l.second();
}

// ---------------------------------------------------------------------------------------------
// TImageView: creation, properties, layout

TImageView::TImageView(QWidget* Parent) : TImgViewBase(Parent) {
    LoadImageViewCursors();
    viewport()->setCursor(CursorOf(crCross2));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int Action) { ScrollBarAction(Qt::Horizontal, Action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int Action) { ScrollBarAction(Qt::Vertical, Action); });
    resize(105, 105);
    FBitmap = TBitmap(105, 105, pf24bit);
    Assign(nullptr);
    FTimer.setInterval(150);
    connect(&FTimer, &QTimer::timeout, this, &TImageView::TimerTick);
    FTimer.start();
}

TImageView::~TImageView() = default;

void TImageView::Assign(std::nullptr_t) {
    const QRgb c = RgbOf(Background());
    const std::uint8_t bgr[3] = {std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c))};
    if (FBitmap.PixelFormat() != pf24bit)
        FBitmap.SetPixelFormat(pf24bit);
    for (int y = 0; y < FBitmap.Height(); ++y) {
        std::uint8_t* row = FBitmap.ScanLine(y);
        for (int x = 0; x < FBitmap.Width(); ++x)
            std::memcpy(row + 3 * x, bgr, 3);
    }
    Update();
    ImageChange();
}

void TImageView::Assign(const TImageView* Source) {
    if (Source == nullptr) {
        Assign(nullptr);
        return;
    }
    if (Source != this) {
        CopyBitmap(Source->FBitmap, FBitmap);
        TImgViewBase::SetBackground(Source->Background());
        SetDpi(Source->DpiX(), Source->DpiY());
    }
    Update();
    ImageChange();
}

void TImageView::Assign(const TBitmap* Source) {
    if (Source == nullptr) {
        Assign(nullptr);
        return;
    }
    if (Source->PixelFormat() == pf24bit || Source->PixelFormat() == pf1bit) {
        CopyBitmap(*Source, FBitmap);
    } else {
        TBitmap converted(*Source);
        converted.SetPixelFormat(pf24bit);
        FBitmap = std::move(converted);
    }
    Update();
    ImageChange();
}

void TImageView::SetZoomFilter(TResampleFilter Value) {
    FZoomFilter = Value;
    Update();
}

void TImageView::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    Update();
}

void TImageView::SetCenter(bool Value) {
    FCenter = Value;
    Update();
}

void TImageView::SetDoubleBuffer(bool Value) {
    FDoubleBuffer = Value;
    FBuffer = QImage();
    Invalidate();
}

void TImageView::SetAutoFit(bool Value) {
    FAutoFit = Value;
    Update();
}

void TImageView::SetMouseInteract(TImgMouseInteract Value) {
    // The first rule whose member the new set adds keeps only what combines with it.
    static constexpr std::array<std::pair<unsigned, unsigned>, 6> rules = {{
        {miScroll, miZoom | miScroll},
        {miSelect, miZoom | miSelect},
        {miSelectPolygon, miSelectPolygon},
        {miSelectCircle, miSelectCircle},
        {miSelectZoom, miZoom | miSelectZoom},
        {miZoom, miZoom | miScroll | miSelect | miSelectZoom},
    }};
    const unsigned added = Value & ~FMouseInteract;
    for (const auto& [member, kept] : rules)
        if (added & member) {
            Value &= kept;
            break;
        }
    FMouseInteract = Value;
}

int TImageView::MaxZoom() const {
    const std::int64_t side = std::max({FBitmap.Width(), FBitmap.Height(), 1});
    return ClampToInt(std::int64_t(std::numeric_limits<int>::max()) * 100 / side, 1);
}

void TImageView::Update() {
    Layout();
}

void TImageView::ImageChange() {
    Invalidate();
    if (OnImageChange)
        OnImageChange(this);
}

void TImageView::Invalidate() {
    FViewDirty = true;
    viewport()->update();
}

void TImageView::ViewChanged(int Change) {
    if (OnViewChange)
        OnViewChange(this, Change);
}

void TImageView::UnlockUpdate() {
    if (FUpdateLock > 0 && --FUpdateLock == 0)
        Invalidate();
}

void TImageView::Layout() {
    if (FInLayout)
        return;
    FInLayout = true;
    const int bw = FBitmap.Width(), bh = FBitmap.Height();
    // The scroll bars that appear or go change the window: a second pass follows.
    for (int pass = 0; pass < 3; ++pass) {
        const QSize client = viewport()->size();
        const int cw = client.width(), ch = client.height();
        if (FAutoFit && bw >= 1 && bh >= 1) {
            // Never below 1, even for a picture more than a hundred times the window.
            const std::int64_t z = std::min(std::int64_t(cw) * 100 / bw, std::int64_t(ch) * 100 / bh);
            const int zoom = ClampToInt(z, 1, MaxZoom());
            if (zoom != FZoom) {
                FZoom = zoom;
                ClearSelection();
            }
            if (pass == 0)
                ViewChanged(1);
        }
        FZoom = std::min(FZoom, MaxZoom());
        FZoomedW = ClampToInt(Zoomed(bw, FZoom), 0);
        FZoomedH = ClampToInt(Zoomed(bh, FZoom), 0);
        FMaxX = std::max(FZoomedW - cw, 0);
        FMaxY = std::max(FZoomedH - ch, 0);
        FViewX = std::clamp(FViewX, 0, FMaxX);
        FViewY = std::clamp(FViewY, 0, FMaxY);
        const bool showH = (FScrollBars == ssHorizontal || FScrollBars == ssBoth) && FMaxX >= 1;
        const bool showV = (FScrollBars == ssVertical || FScrollBars == ssBoth) && FMaxY >= 1;
        FSettingBars = true;
        QScrollBar* h = horizontalScrollBar();
        QScrollBar* v = verticalScrollBar();
        h->setRange(0, showH ? FMaxX : 0);
        h->setPageStep(std::max(cw, 1));
        h->setSingleStep(1);
        h->setValue(FViewX);
        v->setRange(0, showV ? FMaxY : 0);
        v->setPageStep(std::max(ch, 1));
        v->setSingleStep(1);
        v->setValue(FViewY);
        setHorizontalScrollBarPolicy(showH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(showV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        FSettingBars = false;
        FOffX = FCenter && FZoomedW < cw ? (cw - FZoomedW) / 2 : 0;
        FOffY = FCenter && FZoomedH < ch ? (ch - FZoomedH) / 2 : 0;
        if (viewport()->size() == client)
            break;
    }
    FInLayout = false;
    Invalidate();
}

void TImageView::resizeEvent(QResizeEvent* Event) {
    TImgViewBase::resizeEvent(Event);
    Layout();
}

void TImageView::showEvent(QShowEvent* Event) {
    TImgViewBase::showEvent(Event);
    Layout();
}

// ---------------------------------------------------------------------------------------------
// Zoom and scrolling

int TImageView::ZoomInStep(int Zoom) {
    if (Zoom < 100) {
        for (int z : {2, 5, 10, 25, 33, 50, 75, 100})
            if (z > Zoom)
                return z;
    }
    return Zoom > std::numeric_limits<int>::max() - 100 ? Zoom : Zoom + 100;
}

int TImageView::ZoomOutStep(int Zoom) {
    if (Zoom < 200) {
        for (int z : {100, 75, 50, 33, 25, 10, 5, 2})
            if (z < Zoom)
                return z;
        return 2;
    }
    return Zoom - 100;
}

void TImageView::SetZoom(int Percent) {
    Percent = std::clamp(Percent, 1, MaxZoom());
    if (Percent == FZoom)
        return;
    ClearSelection();
    FZoom = Percent;
    Layout();
    ViewChanged(1);
}

void TImageView::SetViewXY(int X, int Y) {
    FViewX = std::clamp(X, 0, FMaxX);
    FViewY = std::clamp(Y, 0, FMaxY);
    FSettingBars = true;
    horizontalScrollBar()->setValue(FViewX);
    verticalScrollBar()->setValue(FViewY);
    FSettingBars = false;
    Invalidate();
    ViewChanged(0);
}

void TImageView::scrollContentsBy(int, int) {
    if (!FSettingBars)
        SetViewXY(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TImageView::ScrollBarAction(Qt::Orientation Orientation, int Action) {
    // The page step of Qt's bar sizes its slider (the window); a page moves 10 pixels.
    QScrollBar* bar = Orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    if (Action == QAbstractSlider::SliderPageStepAdd)
        bar->setSliderPosition(bar->value() + 10);
    else if (Action == QAbstractSlider::SliderPageStepSub)
        bar->setSliderPosition(bar->value() - 10);
}

void TImageView::ZoomAt(int X, int Y, int Percent) {
    LockUpdate();
    const double px = (double(X) - FOffX + FViewX) * 100.0 / FZoom;
    const double py = (double(Y) - FOffY + FViewY) * 100.0 / FZoom;
    SetZoom(Percent);
    const double vx = px * FZoom / 100.0 - viewport()->width() / 2.0;
    const double vy = py * FZoom / 100.0 - viewport()->height() / 2.0;
    SetViewXY(int(std::clamp(Round(std::clamp(vx, -1e15, 1e15)), std::int64_t(0), std::int64_t(FMaxX))),
              int(std::clamp(Round(std::clamp(vy, -1e15, 1e15)), std::int64_t(0), std::int64_t(FMaxY))));
    UnlockUpdate();
}

void TImageView::ZoomToSelection() {
    if (FSel.empty())
        return;
    const QRect r = SelectionRect();
    const std::int64_t w = std::max(r.width(), 1), h = std::max(r.height(), 1);
    const std::int64_t z =
        std::min(std::int64_t(viewport()->width()) * 100 / w, std::int64_t(viewport()->height()) * 100 / h);
    LockUpdate();
    SetZoom(ClampToInt(z, 1, MaxZoom()));
    SetViewXY(ClampToInt(Zoomed(std::max(r.left(), 0), FZoom), 0),
              ClampToInt(Zoomed(std::max(r.top(), 0), FZoom), 0));
    UnlockUpdate();
}

// ---------------------------------------------------------------------------------------------
// Coordinates and selection

QPoint TImageView::WindowToPicture(const QPoint& Window) const {
    auto convert = [this](std::int64_t w, int off, int view) {
        return ClampToInt(Round(double(w - off + view) * 100.0 / FZoom));
    };
    return QPoint(convert(Window.x(), FOffX, FViewX), convert(Window.y(), FOffY, FViewY));
}

QPoint TImageView::PictureToWindow(const QPoint& Picture) const {
    // The first zoomed pixel that shows the picture pixel.
    auto convert = [](std::int64_t p, std::int64_t zoomed, std::int64_t size, int off, int view) {
        if (size <= 0)
            return off - view;
        const std::int64_t num = p * zoomed;
        const std::int64_t z = num >= 0 ? (num + size - 1) / size : -((-num) / size);
        return ClampToInt(z + off - view, -(1 << 30), 1 << 30);
    };
    return QPoint(convert(Picture.x(), FZoomedW, FBitmap.Width(), FOffX, FViewX),
                  convert(Picture.y(), FZoomedH, FBitmap.Height(), FOffY, FViewY));
}

QPoint TImageView::ClampToPicture(const QPoint& Window) const {
    const int visW = std::max(0, std::min(viewport()->width() - FOffX, FZoomedW - FViewX));
    const int visH = std::max(0, std::min(viewport()->height() - FOffY, FZoomedH - FViewY));
    return QPoint(std::clamp(Window.x(), FOffX, FOffX + visW), std::clamp(Window.y(), FOffY, FOffY + visH));
}

void TImageView::SelectRect(int X1, int Y1, int X2, int Y2) {
    if (X1 > X2)
        std::swap(X1, X2);
    if (Y1 > Y2)
        std::swap(Y1, Y2);
    const QPoint a = WindowToPicture(QPoint(X1, Y1)), b = WindowToPicture(QPoint(X2, Y2));
    FSel = {a, QPoint(b.x(), a.y()), b, QPoint(a.x(), b.y())};
    viewport()->update();
}

void TImageView::AddSelPoint(int X, int Y) {
    FSel.push_back(WindowToPicture(QPoint(X, Y)));
    viewport()->update();
}

void TImageView::ClearSelection() {
    FSel.clear();
    FRectInProgress = FPolyInProgress = FCircleInProgress = false;
    FRubberShown = false;
    viewport()->update();
}

QRect TImageView::SelectionRect() const {
    if (FSel.empty())
        return {};
    int x1 = FSel[0].x(), x2 = x1, y1 = FSel[0].y(), y2 = y1;
    for (const QPoint& p : FSel) {
        x1 = std::min(x1, p.x());
        x2 = std::max(x2, p.x());
        y1 = std::min(y1, p.y());
        y2 = std::max(y2, p.y());
    }
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

void TImageView::SetSelectionPhase(int Phase) {
    FPhase = ((Phase % 6) + 6) % 6;
    viewport()->update();
}

void TImageView::CircleSelection(const QPoint& Window, bool Round) {
    const QPoint c = PictureToWindow(FDownPicture);
    double rx = std::abs(double(Window.x()) - c.x()), ry = std::abs(double(Window.y()) - c.y());
    if (Round)
        rx = ry = std::max(rx, ry);
    const std::int64_t n = std::int64_t(std::trunc(2 * std::numbers::pi * std::min(rx, ry))) / 4;
    FSel.clear();
    // Fewer than three points make no polygon (on the start row or column n is 0).
    if (n < 3)
        return;
    FSel.reserve(std::size_t(n));
    for (std::int64_t i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * double(i) / double(n);
        const int x = int(std::trunc(c.x() + rx * std::cos(a)));
        const int y = int(std::trunc(c.y() + ry * std::sin(a)));
        FSel.push_back(WindowToPicture(QPoint(x, y)));
    }
}

void TImageView::TimerTick() {
    // A selection dragged past the edge keeps scrolling while the mouse stays out there.
    if (Selecting() && FDownButton == Qt::LeftButton && ClampToPicture(FLastMouse) != FLastMouse)
        DragTo(FLastMouse, FLastModifiers);
    if (FAnimatedSel && !Selecting() && !FSel.empty()) {
        FPhase = (FPhase + 1) % 6;
        viewport()->update();
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TImageView::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton && Event->button() != Qt::RightButton)
        return;
    const QPoint raw = Event->position().toPoint();
    const QPoint p = ClampToPicture(raw);
    FDown = p;
    FDownRaw = raw;
    FDownPicture = WindowToPicture(p);
    FDownOrigin = QPoint(FViewX, FViewY);
    FDownButton = Event->button();
    FMoved = false;
    FLastMouse = raw;
    FLastModifiers = Event->modifiers();
    if (Event->button() != Qt::LeftButton)
        return;
    if (FMouseInteract & miSelectPolygon) {
        QPoint q = p;
        if (!FPolyInProgress) {
            ClearSelection();
            FPolyInProgress = true;
        } else if ((Event->modifiers() & Qt::ControlModifier) && !FSel.empty()) {
            const QPoint last = PictureToWindow(FSel.back());
            int x = q.x(), y = q.y();
            ConstrainToAxisOrDiagonal(last.x(), last.y(), x, y);
            q = QPoint(x, y);
        }
        AddSelPoint(q.x(), q.y());
    } else if (FMouseInteract & (miSelect | miSelectZoom)) {
        ClearSelection();
        FRectInProgress = true;
        SelectRect(p.x(), p.y(), p.x(), p.y());
    } else if (FMouseInteract & miSelectCircle) {
        ClearSelection();
        FCircleInProgress = true;
    }
}

void TImageView::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint raw = Event->position().toPoint();
    FLastMouse = raw;
    FLastModifiers = Event->modifiers();
    if (!(Event->buttons() & Qt::LeftButton) || FDownButton != Qt::LeftButton) {
        if (FPolyInProgress && !FSel.empty()) {
            // The rubber band from the last point follows the mouse.
            QPoint q = ClampToPicture(raw);
            if (Event->modifiers() & Qt::ControlModifier) {
                const QPoint last = PictureToWindow(FSel.back());
                int x = q.x(), y = q.y();
                ConstrainToAxisOrDiagonal(last.x(), last.y(), x, y);
                q = QPoint(x, y);
            }
            FRubber = q;
            FRubberShown = true;
            viewport()->update();
        }
        return;
    }
    if (raw != FDownRaw)
        FMoved = true;
    DragTo(raw, Event->modifiers());
}

void TImageView::DragTo(const QPoint& Window, Qt::KeyboardModifiers Modifiers) {
    if (!Selecting()) {
        if (FMouseInteract & miScroll)
            SetViewXY(FDownOrigin.x() - (Window.x() - FDownRaw.x()),
                      FDownOrigin.y() - (Window.y() - FDownRaw.y()));
        return;
    }
    // Past the edge of the picture shown the view scrolls by the distance beyond it, taking the
    // selection along, as far as it can.
    const QPoint inside = ClampToPicture(Window);
    if (inside != Window)
        SetViewXY(FViewX + (Window.x() - inside.x()), FViewY + (Window.y() - inside.y()));
    const QPoint p = ClampToPicture(Window);
    if (FRectInProgress) {
        const QPoint a = FDownPicture, b = WindowToPicture(p);
        const int x1 = std::min(a.x(), b.x()), x2 = std::max(a.x(), b.x());
        const int y1 = std::min(a.y(), b.y()), y2 = std::max(a.y(), b.y());
        FSel = {QPoint(x1, y1), QPoint(x2, y1), QPoint(x2, y2), QPoint(x1, y2)};
    } else if (FPolyInProgress) {
        // Drawing with the button held adds the points freehand.
        FSel.push_back(WindowToPicture(p));
    } else if (FCircleInProgress) {
        CircleSelection(p, Modifiers & Qt::ControlModifier);
    }
    viewport()->update();
}

void TImageView::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() != FDownButton)
        return;
    const QPoint raw = Event->position().toPoint();
    const bool click = !FMoved && ClampToPicture(raw) == FDown;
    FDownButton = Qt::NoButton;
    if (click && (FMouseInteract & miZoom)) {
        if (FRectInProgress)
            ClearSelection();
        ZoomAt(raw.x(), raw.y(), Event->button() == Qt::LeftButton ? ZoomInStep(FZoom) : ZoomOutStep(FZoom));
        return;
    }
    if (Event->button() != Qt::LeftButton)
        return;
    if (FRectInProgress) {
        FRectInProgress = false;
        // A rectangle without extent selects nothing.
        if (SelectionRect().width() <= 1 && SelectionRect().height() <= 1)
            FSel.clear();
        else if (FMouseInteract & miSelectZoom)
            ZoomToSelection();
    } else if (FCircleInProgress) {
        FCircleInProgress = false;
    } else if (!FPolyInProgress && (FMouseInteract & miScroll)) {
        SetViewXY(FDownOrigin.x() - (raw.x() - FDownRaw.x()), FDownOrigin.y() - (raw.y() - FDownRaw.y()));
    }
    viewport()->update();
}

void TImageView::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton && FPolyInProgress) {
        // The double-click's first click added the last point: it is dropped and the polygon ends.
        if (!FSel.empty())
            FSel.pop_back();
        FPolyInProgress = false;
        FRubberShown = false;
        FDownButton = Qt::NoButton;
        viewport()->update();
        return;
    }
    mousePressEvent(Event);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TImageView::Compose(QImage& Out) {
    Out.fill(RgbOf(Background()));
    const int bw = FBitmap.Width(), bh = FBitmap.Height();
    if (bw <= 0 || bh <= 0 || FZoomedW <= 0 || FZoomedH <= 0)
        return;
    const int visW = std::min(Out.width() - FOffX, FZoomedW - FViewX);
    const int visH = std::min(Out.height() - FOffY, FZoomedH - FViewY);
    if (visW <= 0 || visH <= 0)
        return;
    if (FZoomFilter != rfNone && FZoom > 100 && ComposeSmooth(Out, visW, visH))
        return;
    // Every window pixel takes the picture pixel under it: no smoothing.
    std::vector<int> columns(static_cast<std::size_t>(visW));
    for (int i = 0; i < visW; ++i)
        columns[std::size_t(i)] = int(std::int64_t(FViewX + std::int64_t(i)) * bw / FZoomedW);
    const TPixelFormat format = FBitmap.PixelFormat();
    int lastRow = -1;
    for (int j = 0; j < visH; ++j) {
        const int sy = int(std::int64_t(FViewY + std::int64_t(j)) * bh / FZoomedH);
        auto* dst = reinterpret_cast<QRgb*>(Out.scanLine(FOffY + j)) + FOffX;
        if (sy == lastRow) {
            std::memcpy(dst, reinterpret_cast<const QRgb*>(Out.constScanLine(FOffY + j - 1)) + FOffX,
                        std::size_t(visW) * sizeof(QRgb));
            continue;
        }
        lastRow = sy;
        const std::uint8_t* src = FBitmap.ScanLine(sy);
        if (format == pf24bit) {
            for (int i = 0; i < visW; ++i) {
                const std::uint8_t* p = src + 3 * columns[std::size_t(i)];
                dst[i] = 0xFF000000u | (QRgb(p[2]) << 16) | (QRgb(p[1]) << 8) | p[0];
            }
        } else if (format == pf1bit) {
            for (int i = 0; i < visW; ++i)
                dst[i] = GetBit(src, columns[std::size_t(i)]) ? 0xFFFFFFFFu : 0xFF000000u;
        } else {
            for (int i = 0; i < visW; ++i) {
                const TBGRColor c = ReadPixel(src, columns[std::size_t(i)], format, FBitmap.Palette());
                dst[i] = qRgb(c.r, c.g, c.b);
            }
        }
    }
}

bool TImageView::ComposeSmooth(QImage& Out, int visW, int visH) {
    // Only the visible rectangle of the picture is resampled.
    const int bw = FBitmap.Width(), bh = FBitmap.Height();
    const int sx0 = int(std::int64_t(FViewX) * bw / FZoomedW);
    const int sy0 = int(std::int64_t(FViewY) * bh / FZoomedH);
    const int sx1 = std::min(bw - 1, int(std::int64_t(FViewX + std::int64_t(visW) - 1) * bw / FZoomedW));
    const int sy1 = std::min(bh - 1, int(std::int64_t(FViewY + std::int64_t(visH) - 1) * bh / FZoomedH));
    // The copy reads a last column or row of 0 as the picture's last: such a sliver is drawn plainly.
    if ((sx1 == 0 && bw > 1) || (sy1 == 0 && bh > 1))
        return false;
    TBitmap part;
    CopyBitmapRect(FBitmap, part, sx0, sy0, sx1, sy1);
    if (part.PixelFormat() == pf1bit) {
        TBitmap wide;
        TProgressRec none;
        Expand1BitTo24Bit(part, wide, none);
        part = std::move(wide);
    } else if (part.PixelFormat() != pf24bit) {
        return false;
    }
    auto zoomedStart = [](std::int64_t p, std::int64_t zoomed, std::int64_t size) {
        return (p * zoomed + size - 1) / size;
    };
    const std::int64_t zx0 = zoomedStart(sx0, FZoomedW, bw), zx1 = zoomedStart(sx1 + 1, FZoomedW, bw);
    const std::int64_t zy0 = zoomedStart(sy0, FZoomedH, bh), zy1 = zoomedStart(sy1 + 1, FZoomedH, bh);
    TBitmap scaled(int(zx1 - zx0), int(zy1 - zy0), pf24bit);
    ResampleFast(part, scaled, FZoomFilter, this, {});
    const int left = int(zx0 - FViewX), top = int(zy0 - FViewY);
    for (int j = 0; j < visH; ++j) {
        const int sy = j - top;
        if (sy < 0 || sy >= scaled.Height())
            continue;
        const std::uint8_t* src = scaled.ScanLine(sy);
        auto* dst = reinterpret_cast<QRgb*>(Out.scanLine(FOffY + j)) + FOffX;
        for (int i = 0; i < visW; ++i) {
            const int sx = i - left;
            if (sx < 0 || sx >= scaled.Width())
                continue;
            const std::uint8_t* p = src + 3 * sx;
            dst[i] = 0xFF000000u | (QRgb(p[2]) << 16) | (QRgb(p[1]) << 8) | p[0];
        }
    }
    return true;
}

void TImageView::DrawOutline(QPainter& Painter) {
    if (FSel.empty())
        return;
    std::vector<QPoint> window;
    window.reserve(FSel.size());
    for (const QPoint& p : FSel)
        window.push_back(PictureToWindow(p));
    const QRect clip = viewport()->rect();
    QPolygon black, white;
    std::int64_t walked = 0;
    // Each side pixel by pixel, the end point left out; dashes of three black and three white pixels.
    auto side = [&](const QPoint& a, const QPoint& b) {
        LineDDA(a.x(), a.y(), b.x(), b.y(), clip.left(), clip.top(), clip.right(), clip.bottom(),
                [&](int x, int y, long long step) {
                    ((walked + step + FPhase) % 6 < 3 ? black : white).append(QPoint(x, y));
                });
        walked += std::max(std::llabs(std::int64_t(b.x()) - a.x()), std::llabs(std::int64_t(b.y()) - a.y()));
    };
    for (std::size_t i = 0; i + 1 < window.size(); ++i)
        side(window[i], window[i + 1]);
    if (window.size() == 1 && clip.contains(window[0]))
        black.append(window[0]);
    if (FPolyInProgress) {
        if (FRubberShown)
            side(window.back(), FRubber);
    } else if (window.size() > 1) {
        side(window.back(), window.front());
    }
    Painter.setPen(Qt::black);
    Painter.drawPoints(black);
    Painter.setPen(Qt::white);
    Painter.drawPoints(white);
}

void TImageView::paintEvent(QPaintEvent*) {
    if (FUpdateLock > 0)
        return;
    QPainter painter(viewport());
    const QSize client = viewport()->size();
    if (FDoubleBuffer) {
        // The composed view is kept and drawn again until the view changes: the marching outline
        // never resamples the picture.
        if (FBuffer.size() != client) {
            FBuffer = QImage(client, QImage::Format_RGB32);
            FViewDirty = true;
        }
        if (FViewDirty) {
            Compose(FBuffer);
            FViewDirty = false;
        }
        painter.drawImage(0, 0, FBuffer);
    } else {
        QImage view(client, QImage::Format_RGB32);
        Compose(view);
        painter.drawImage(0, 0, view);
    }
    DrawOutline(painter);
}
