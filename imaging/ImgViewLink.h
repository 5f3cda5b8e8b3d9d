#pragma once
// What the picture components (TImageIO, TImageProc) need of the controls they can be attached to.
// The controls themselves are widgets and live above the codecs: the image view in the image
// library's widget part (imaging/ImageView.h), the picture control TImage in ui/. The components
// know them only through these two small interfaces, so the codecs never include a widget header.

#include "imaging/Bitmap.h"
#include "platform/Color.h"

#include <QMetaObject>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <functional>
#include <vector>

// An image view: it owns the bitmap the components then work on, holds the background colour and
// the resolution, may hold a selection, and refreshes itself when told. TImgViewBase implements it.
class TImgViewLink {
public:
    // The view's bitmap (24 bits per pixel); it lives as long as the view.
    virtual TBitmap* GetBitmap() = 0;
    virtual TColor Background() const = 0;
    virtual void SetBackground(TColor color) = 0;
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    virtual void SetDpi(int x, int y) = 0;
    // Recomputes the layout and repaints.
    virtual void Update() = 0;
    // Signals that the picture changed.
    virtual void ImageChange() = 0;
    // A listener is called whenever the view's bitmap object changes; listeners are known by their
    // object, which removes them again.
    virtual void RegisterBitmapChangeEvent(QObject* listener, std::function<void()> handler) = 0;
    virtual void RemoveBitmapChangeEvent(QObject* listener) = 0;
    // The selection in picture pixels: whether there is one, its bounding rectangle (inclusive) and
    // its points. A view without selections has none.
    virtual bool HasSelection() const { return false; }
    virtual QRect SelectionRect() const { return {}; }
    virtual std::vector<QPoint> SelectionPolygon() const { return {}; }
    // The object whose destroyed() signal tells the components that the view is gone.
    virtual QObject* LinkObject() = 0;

protected:
    ~TImgViewLink() = default;
};

// A picture control that can hold its picture as a bitmap the components change in place (ui's
// TImage). Changing the bitmap fires its change notification, which repaints the control.
class TBitmapPictureLink {
public:
    // Makes the picture a bitmap picture and answers its bitmap.
    virtual TBitmap* PictureBitmap() = 0;
    // The object whose destroyed() signal tells the components that the control is gone.
    virtual QObject* LinkObject() = 0;

protected:
    ~TBitmapPictureLink() = default;
};

// The attachment of one component: its bitmap, or the view or picture control whose bitmap it works
// on. The component keeps its bitmap pointer itself; the attachment keeps it in step. A view or
// control destroyed while attached leaves the component detached, without a bitmap.
class TImageAttachment {
public:
    TImageAttachment(QObject* owner, TBitmap*& bitmap);
    ~TImageAttachment();
    TImageAttachment(const TImageAttachment&) = delete;
    TImageAttachment& operator=(const TImageAttachment&) = delete;

    // The attached view or control; null when none is attached or it is gone.
    TImgViewLink* View() const { return FViewObject ? FView : nullptr; }
    TBitmapPictureLink* Image() const { return FImageObject ? FImage : nullptr; }

    // Stops listening to an attached view; a null bitmap while a view or control is attached changes
    // nothing else; otherwise the bitmap is stored and, when it is not null, the view and the control
    // are detached.
    void SetBitmap(TBitmap* bitmap);
    // Stops listening to the old view; a new view gives its bitmap, the control is detached and the
    // component listens to the view's bitmap changes.
    void SetView(TImgViewLink* view);
    // Stops listening to an attached view; a new control gives its picture's bitmap and the view is
    // detached.
    void SetImage(TBitmapPictureLink* image);

    // The refresh after a change: an attached view updates itself and signals the changed image;
    // otherwise the bitmap is marked modified (its change notification fires).
    void Refresh();

private:
    void StopListening();
    void ForgetView();
    void ForgetImage();

    QObject* FOwner;
    TBitmap*& FBitmap;
    TImgViewLink* FView = nullptr;
    QPointer<QObject> FViewObject;
    QMetaObject::Connection FViewGone;
    TBitmap* FViewBitmap = nullptr;
    bool FListening = false;
    TBitmapPictureLink* FImage = nullptr;
    QPointer<QObject> FImageObject;
    QMetaObject::Connection FImageGone;
    TBitmap* FImageBitmap = nullptr;
};

// What the picture components share: the bitmap they work on, given to them or lent by an attached
// view (TImgViewBase) or picture control (ui's TImage), and the background colour, which is the
// attached view's when there is one.
class TPictureComponent : public QObject {
public:
    TBitmap* AttachedBitmap() const { return FBitmap; }
    void SetAttachedBitmap(TBitmap* bitmap) { FAttach.SetBitmap(bitmap); }
    TImgViewLink* AttachedImageView() const { return FAttach.View(); }
    void SetAttachedImageView(TImgViewLink* view) { FAttach.SetView(view); }
    TBitmapPictureLink* AttachedTImage() const { return FAttach.Image(); }
    void SetAttachedTImage(TBitmapPictureLink* image) { FAttach.SetImage(image); }

    TColor Background() const;
    void SetBackground(TColor color);

protected:
    explicit TPictureComponent(QObject* owner) : QObject(owner) {}
    // The component's own background, whether or not a view is attached.
    TColor OwnBackground() const { return FBackground; }

    TBitmap* FBitmap = nullptr;
    TImageAttachment FAttach{this, FBitmap};

private:
    TColor FBackground = 0;
};
