#pragma once
// The image view controls: TImgViewBase holds a background colour, a resolution and the listeners to
// its bitmap; TImageView owns a 24-bit picture and shows it scrolled and zoomed, pixel by pixel or
// smoothly resampled, centred or fitted to the window, with mouse interaction (zoom by click, scroll
// by drag, rectangle, polygon and circle selection, zoom to a dragged rectangle) and a selection
// outline whose dashes march. The picture components attach to a view (AttachedImageView) and then
// work on its bitmap, background, resolution and selection.
//
// This is the image library's widget part: it links Qt Widgets, the codecs of the library do not.

#include "imaging/ImgViewLink.h"
#include "imaging/Resample.h"
#include "platform/SysColors.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

class TImgViewBase : public QAbstractScrollArea, public TImgViewLink {
    Q_OBJECT
public:
    enum TBorderStyle { bsNone, bsSingle };

    explicit TImgViewBase(QWidget* Parent = nullptr);
    ~TImgViewBase() override;

    // The colour around a picture smaller than the window (a system colour is resolved when painted;
    // the table of system colours, never Qt's palette, so the pixels are the same under any theme).
    TColor Background() const override { return FBackground; }
    void SetBackground(TColor Color) override;
    // A sunken client edge with Ctl3D, else a plain border; or none.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);

    TBitmap* GetBitmap() override { return nullptr; }
    int DpiX() const override { return FDpiX; }
    int DpiY() const override { return FDpiY; }
    virtual void SetDpiX(int Value) { FDpiX = Value; }
    virtual void SetDpiY(int Value) { FDpiY = Value; }
    void SetDpi(int X, int Y) override {
        SetDpiX(X);
        SetDpiY(Y);
    }
    void Update() override;
    void ImageChange() override {}
    void RegisterBitmapChangeEvent(QObject* Listener, std::function<void()> Handler) override;
    void RemoveBitmapChangeEvent(QObject* Listener) override;
    QObject* LinkObject() override { return this; }

protected:
    // Tells the listeners that the bitmap object changed.
    void BitmapChanged();
    void ApplyBorder();

private:
    TColor FBackground = clBtnFace;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    int FDpiX, FDpiY;
    std::vector<std::pair<QObject*, std::function<void()>>> FListeners;
};

// What the mouse does (a set of these bits).
enum TImgMouseInteractItems : unsigned {
    miZoom = 1,
    miScroll = 2,
    miSelect = 4,
    miSelectPolygon = 8,
    miSelectCircle = 16,
    miSelectZoom = 32,
};
using TImgMouseInteract = unsigned;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Called with 0 after a scroll and 1 after a zoom change.
using TViewChangeEvent = std::function<void(QObject* Sender, int Change)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

class TImageView : public TImgViewBase {
    Q_OBJECT
public:
    explicit TImageView(QWidget* Parent = nullptr);
    ~TImageView() override;

    // ---- The picture and its look.
    TBitmap* GetBitmap() override { return &FBitmap; }
    TBitmap& Bitmap() { return FBitmap; }
    // Copies a picture in: none fills the bitmap with the background; another view gives its bitmap,
    // background and resolution; a bitmap of 24 or 1 bits is copied, any other converted to 24 bits.
    void Assign(std::nullptr_t);
    void Assign(const TImageView* Source);
    void Assign(const TBitmap* Source);

    TResampleFilter ZoomFilter() const { return FZoomFilter; }
    void SetZoomFilter(TResampleFilter Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool AnimatedSel() const { return FAnimatedSel; }
    void SetAnimatedSel(bool Value) { FAnimatedSel = Value; }
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    TImgMouseInteract MouseInteract() const { return FMouseInteract; }
    // A member added to the set removes the members that do not combine with it.
    void SetMouseInteract(TImgMouseInteract Value);
    bool DoubleBuffer() const { return FDoubleBuffer; }
    void SetDoubleBuffer(bool Value);
    bool AutoFit() const { return FAutoFit; }
    void SetAutoFit(bool Value);

    TViewChangeEvent OnViewChange;
    TNotifyEvent OnImageChange;

    // ---- Zoom and scrolling.
    int Zoom() const { return FZoom; }
    // Percent, at least 1 and at most what keeps the zoomed size within int; a change clears the
    // selection.
    void SetZoom(int Percent);
    // The largest zoom for the present picture.
    int MaxZoom() const;
    int ViewX() const { return FViewX; }
    int ViewY() const { return FViewY; }
    void SetViewXY(int X, int Y);
    void SetViewX(int X) { SetViewXY(X, FViewY); }
    void SetViewY(int Y) { SetViewXY(FViewX, Y); }
    // Zooms so that the window point (X, Y) becomes the centre of the view.
    void ZoomAt(int X, int Y, int Percent);
    // Zoom and origin such that the selected rectangle fills the window.
    void ZoomToSelection();
    // The zoom after a zoom-in (or zoom-out) click at the present zoom.
    static int ZoomInStep(int Zoom);
    static int ZoomOutStep(int Zoom);
    // The layout: the picture's zoomed size, the largest scroll origin and where a picture smaller
    // than the window is drawn.
    QSize ZoomedSize() const { return QSize(FZoomedW, FZoomedH); }
    QPoint MaxView() const { return QPoint(FMaxX, FMaxY); }
    QPoint Offset() const { return QPoint(FOffX, FOffY); }

    // ---- Selection (window coordinates in, picture pixels kept).
    void SelectRect(int X1, int Y1, int X2, int Y2);
    void AddSelPoint(int X, int Y);
    void ClearSelection();
    bool HasSelection() const override { return !FSel.empty(); }
    QRect SelectionRect() const override;
    std::vector<QPoint> SelectionPolygon() const override { return FSel; }
    int SelectionPointCount() const { return int(FSel.size()); }
    // True while a selection is being made with the mouse.
    bool Selecting() const { return FRectInProgress || FPolyInProgress || FCircleInProgress; }
    // The dash phase of the outline (0 to 5).
    int SelectionPhase() const { return FPhase; }
    void SetSelectionPhase(int Phase);
    // One tick of the 150 ms timer: the outline marches, a selection dragged past the edge scrolls.
    void TimerTick();

    // ---- Refreshing.
    void Update() override;
    void ImageChange() override;
    // Painting waits while the lock is held (compound changes such as a zoom with a scroll).
    void LockUpdate() { ++FUpdateLock; }
    void UnlockUpdate();

    // Picture pixel of a window point and window point of a picture pixel, under the present layout.
    QPoint WindowToPicture(const QPoint& Window) const;
    QPoint PictureToWindow(const QPoint& Picture) const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    void Layout();
    // Draws the picture and the background around it into a picture of the window's size.
    void Compose(QImage& Out);
    // False when the visible part is drawn plainly instead.
    bool ComposeSmooth(QImage& Out, int visW, int visH);
    void DrawOutline(QPainter& Painter);
    void ScrollBarAction(Qt::Orientation Orientation, int Action);
    QPoint ClampToPicture(const QPoint& Window) const;
    void DragTo(const QPoint& Window, Qt::KeyboardModifiers Modifiers);
    void CircleSelection(const QPoint& Window, bool Round);
    void ViewChanged(int Change);
    void Invalidate();

    TBitmap FBitmap;
    TResampleFilter FZoomFilter = rfNone;
    TScrollStyle FScrollBars = ssNone;
    bool FAnimatedSel = true;
    bool FCenter = false;
    TImgMouseInteract FMouseInteract = 0;
    bool FDoubleBuffer = false;
    bool FAutoFit = false;

    int FZoom = 100;
    int FViewX = 0, FViewY = 0;
    int FZoomedW = 0, FZoomedH = 0;
    int FMaxX = 0, FMaxY = 0;
    int FOffX = 0, FOffY = 0;
    int FUpdateLock = 0;
    bool FInLayout = false;
    bool FSettingBars = false;

    // The double buffer and whether the view changed since it was drawn.
    QImage FBuffer;
    bool FViewDirty = true;

    // The selection in picture pixels, its dash phase and the state of a selection being made.
    std::vector<QPoint> FSel;
    int FPhase = 0;
    bool FRectInProgress = false, FPolyInProgress = false, FCircleInProgress = false;
    bool FRubberShown = false;
    QPoint FRubber;
    QPoint FDown, FDownRaw, FDownPicture, FDownOrigin, FLastMouse;
    Qt::MouseButton FDownButton = Qt::NoButton;
    bool FMoved = false;
    Qt::KeyboardModifiers FLastModifiers;
    QTimer FTimer;
};
