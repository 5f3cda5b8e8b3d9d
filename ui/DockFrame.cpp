// Tool window frames: painting docked and floating, hit tests, the pointer on the frame and the
// close button.

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/DockPrivate.h"
#include "ui/Docks.h"
#include "ui/GfxUtils.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTextOption>

namespace {

TRect ToT(const QRect& R) {
    return TRect::FromQRect(R);
}

// A one-pixel ring along the inside of R, which moves in by one.
void Ring(QImage& Image, TRect& R, TColor Color) {
    Frame3D(Image, R, Color, Color);
}

// The small close button of captions: a raised square with a cross, sunken while pushed.
void DrawCloseButton(QImage& Image, const QRect& Rect, bool Pushed) {
    if (Rect.width() <= 0 || Rect.height() <= 0)
        return;
    TRect r = ToT(Rect);
    FillRect(Image, r, clBtnFace);
    if (Pushed) {
        Frame3D(Image, r, cl3DDkShadow, clBtnHighlight);
        Frame3D(Image, r, clBtnShadow, cl3DLight);
    } else {
        Frame3D(Image, r, clBtnHighlight, cl3DDkShadow);
        Frame3D(Image, r, cl3DLight, clBtnShadow);
    }
    // A cross two pixels thick, centred, one pixel lower and to the right while pushed.
    const int side = std::min(Rect.width(), Rect.height());
    const int g = std::max(side - 6, 2);
    const int shift = Pushed ? 1 : 0;
    const int left = Rect.x() + (Rect.width() - g - 1) / 2 + shift;
    const int top = Rect.y() + (Rect.height() - g) / 2 + shift;
    for (int i = 0; i < g; ++i) {
        PutPixel(Image, left + i, top + i, clBtnText);
        PutPixel(Image, left + i + 1, top + i, clBtnText);
        PutPixel(Image, left + g - 1 - i, top + i, clBtnText);
        PutPixel(Image, left + g - i, top + i, clBtnText);
    }
}

// The blank a floating caption's text keeps before the close button's ring, in either language: a
// right-aligned (Arabic) caption ends as far from the button as a cut English one.
constexpr int CaptionTextGap = 4;

QFont CaptionFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

QRect TCustomDockWindow::CloseButtonRect() const {
    if (Floating())
        return FShowCaption && FCloseButton ? FloatingCloseButtonRect(FResizable, ClientWidth()) : QRect();
    if (FDocked && FDockedTo && FDockedTo->AllowDrag())
        return DockedCloseButtonRect(FDockedTo->Vertical(), ClientWidth(), FCloseButtonWhenDocked,
                                     FDragHandleStyle);
    return {};
}

TDockHit TCustomDockWindow::HitTest(QPoint P) const {
    if (Floating()) {
        TFloatingHitInput in;
        in.WindowSize = size();
        in.Resizable = FResizable;
        in.ShowCaption = FShowCaption;
        in.CloseButton = FCloseButton;
        in.EightCorners = FParams.ResizeEightCorner;
        return FloatingHitTest(in, P);
    }
    if (FDocked && FDockedTo) {
        const QRect close = CloseButtonRect();
        return DockedHitTest(close, !close.isEmpty(), P);
    }
    return TDockHit::Client;
}

QImage TCustomDockWindow::PaintWindow() {
    const int w = width(), h = height();
    QImage image = NewImage(w, h, FColor);
    if (w <= 0 || h <= 0)
        return image;
    if (FDocked && FDockedTo) {
        TDockArea* dock = FDockedTo;
        const bool background = dock->HasBackground() && dock->BackgroundOnToolbars();
        if (background) {
            // The tiles line up with the dock's own.
            QPainter p(&image);
            const QPoint origin = dock->ClientOrigin() - pos();
            dock->TileBackground(p, image.rect(), QRect(), QRect(origin, dock->ClientRect().size()));
        }
        TRect r{0, 0, w, h};
        if (FBorderStyle == TDockBorderStyle::bsSingle)
            Frame3D(image, r, clBtnHighlight, clBtnShadow);
        else
            Ring(image, r, FColor);
        if (!background)
            Ring(image, r, FColor);
        if (dock->AllowDrag()) {
            const bool vertical = dock->Vertical();
            const int handle = DragHandleSize(FCloseButtonWhenDocked, FDragHandleStyle);
            const int offset = DragHandleOffset(FCloseButtonWhenDocked, FDragHandleStyle);
            const int bars = FDragHandleStyle == TDragHandleStyle::dhDouble   ? 2
                             : FDragHandleStyle == TDragHandleStyle::dhSingle ? 1
                                                                              : 0;
            for (int i = 0; i < bars; ++i) {
                const int along = offset + 2 + 3 * i;
                TRect bar;
                if (!vertical) {
                    const int start = FCloseButtonWhenDocked ? handle : 2;
                    bar = {along, start, along + 3, ClientHeight() + 2};
                } else {
                    const int end = ClientWidth() + 2 - (FCloseButtonWhenDocked ? handle - 2 : 0);
                    bar = {2, along, end, along + 3};
                }
                if (bar.Right <= bar.Left || bar.Bottom <= bar.Top)
                    continue;
                FillRect(image, bar, clBtnFace);
                TRect edge = bar;
                Frame3D(image, edge, clBtnHighlight, clBtnShadow);
                if (!vertical)
                    PutPixel(image, bar.Left, bar.Bottom - 1, clBtnHighlight);
                else
                    PutPixel(image, bar.Right - 1, bar.Top, clBtnHighlight);
            }
            if (FCloseButtonWhenDocked)
                DrawCloseButton(image, CloseButtonRect(), FCloseButtonPressed);
        }
        return image;
    }
    if (!Floating())
        return image;

    // Floating: a raised border, the small caption and its close button.
    FillRect(image, TRect{0, 0, w, h}, clBtnFace);
    FillRect(image, TRect{FFrame.Left, FFrame.Top, w - FFrame.Right, h - FFrame.Bottom}, FColor);
    TRect r{0, 0, w, h};
    Frame3D(image, r, cl3DLight, cl3DDkShadow);
    Frame3D(image, r, clBtnHighlight, clBtnShadow);
    if (!FShowCaption)
        return image;
    const int border = FloatingBorderSize(FResizable);
    const int clientWidth = ClientWidth();
    const TColor captionColor = FInactiveCaption ? clInactiveCaption : clActiveCaption;
    const TColor textColor = FInactiveCaption ? clInactiveCaptionText : clCaptionText;
    const QRect caption = FloatingCaptionRect(FResizable, clientWidth, FCloseButton);
    FillRect(image, ToT(caption), captionColor);
    {
        QPainter p(&image);
        const QFont font = CaptionFont();
        p.setFont(font);
        p.setPen(SysQColor(textColor));
        const QRect text = caption.adjusted(1, 0, FCloseButton ? -CaptionTextGap : -1, 0);
        QTextOption option(Qt::AlignVCenter | Qt::AlignAbsolute | (FArabic ? Qt::AlignRight : Qt::AlignLeft));
        option.setTextDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
        option.setWrapMode(QTextOption::NoWrap);
        p.setClipRect(text);
        p.drawText(text, CutCaption(FCaption, QFontMetrics(font), text.width()), option);
    }
    const int lineY = border + smSmallCaption - 1;
    FillRect(image, TRect{border, lineY, border + clientWidth, lineY + 1}, clBtnFace);
    if (FCloseButton) {
        const QRect square = FloatingCloseButtonRect(FResizable, clientWidth);
        TRect ring = ToT(square);
        Ring(image, ring, captionColor);
        DrawCloseButton(image, square.adjusted(1, 1, -1, -1), FCloseButtonPressed);
    }
    return image;
}

void TCustomDockWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, PaintWindow());
}

// ---- The pointer on the window.

void TCustomDockWindow::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    if (InPointerLoop())
        return;
    PressOnFloating();
    const QPoint p = Event->position().toPoint();
    const TDockHit hit = HitTest(p);
    if (Event->button() == Qt::LeftButton) {
        const int edge = SizingEdgeOfHit(hit);
        if (edge >= 0) {
            BeginSizing(edge, Event->globalPosition().toPoint());
            return;
        }
        if (hit == TDockHit::Close) {
            BeginCloseTracking();
            return;
        }
        if (hit == TDockHit::Nowhere)
            return;
    }
    HandleMouseDown(Event->button(), false, p.x() - FFrame.Left, p.y() - FFrame.Top, Event->modifiers());
}

void TCustomDockWindow::mouseDoubleClickEvent(QMouseEvent* Event) {
    Event->accept();
    if (InPointerLoop())
        return;
    const QPoint p = Event->position().toPoint();
    const TDockHit hit = HitTest(p);
    if (hit != TDockHit::Client)
        return;
    HandleMouseDown(Event->button(), true, p.x() - FFrame.Left, p.y() - FFrame.Top, Event->modifiers());
}

void TCustomDockWindow::mouseMoveEvent(QMouseEvent* Event) {
    if (!InPointerLoop())
        UpdateHoverCursor(Event->position().toPoint());
    Event->accept();
}

void TCustomDockWindow::UpdateHoverCursor(QPoint WindowPos) {
    if (!Floating()) {
        unsetCursor();
        return;
    }
    switch (HitTest(WindowPos)) {
    case TDockHit::Left:
    case TDockHit::Right:
        setCursor(Qt::SizeHorCursor);
        break;
    case TDockHit::Top:
    case TDockHit::Bottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case TDockHit::TopLeft:
    case TDockHit::BottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case TDockHit::TopRight:
    case TDockHit::BottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void TCustomDockWindow::HandleMouseDown(Qt::MouseButton Button, bool Double, int X, int Y,
                                        Qt::KeyboardModifiers Modifiers) {
    if (Button != Qt::LeftButton)
        return;
    const QPoint at = QPoint(X, Y) + ClientOrigin();
    if (QWidget* child = childAt(at)) {
        while (child->parentWidget() != this)
            child = child->parentWidget();
        if (child->isVisible() && !ChildLetsDrag(child))
            return;
    }
    if (FDocked && FDockedTo && !FDockedTo->AllowDrag())
        return;
    if (Double)
        DoublePress();
    else
        BeginDrag(X, Y, Modifiers.testFlag(Qt::ControlModifier));
}

// ---- The close button.

bool TCustomDockWindow::CloseButtonTracking() const {
    return FCloseTracking;
}

void TCustomDockWindow::BeginCloseTracking() {
    FCloseTracking = true;
    FCloseButtonPressed = true;
    update();
    InstallLoop();
}

void TCustomDockWindow::CloseTrackMove(QPoint GlobalPos) {
    const bool on = CloseButtonRect().contains(mapFromGlobal(GlobalPos));
    if (on != FCloseButtonPressed) {
        FCloseButtonPressed = on;
        update();
    }
}

void TCustomDockWindow::EndCloseTracking(bool Clicked) {
    if (!FCloseTracking)
        return;
    FCloseTracking = false;
    RemoveLoop();
    FCloseButtonPressed = false;
    update();
    if (!Clicked)
        return;
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose)
        return;
    setVisible(false);
    if (OnClose)
        OnClose(this);
}
