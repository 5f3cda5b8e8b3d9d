#include "imaging/ImgViewLink.h"

TImageAttachment::TImageAttachment(QObject* owner, TBitmap*& bitmap) : FOwner(owner), FBitmap(bitmap) {}

TImageAttachment::~TImageAttachment() {
    StopListening();
    QObject::disconnect(FViewGone);
    QObject::disconnect(FImageGone);
}

void TImageAttachment::StopListening() {
    if (!FListening)
        return;
    FListening = false;
    if (TImgViewLink* view = View())
        view->RemoveBitmapChangeEvent(FOwner);
}

void TImageAttachment::ForgetView() {
    QObject::disconnect(FViewGone);
    // A bitmap that belonged to the view is no longer the component's to use.
    if (FBitmap != nullptr && FBitmap == FViewBitmap)
        FBitmap = nullptr;
    FView = nullptr;
    FViewObject = nullptr;
    FViewBitmap = nullptr;
}

void TImageAttachment::ForgetImage() {
    QObject::disconnect(FImageGone);
    if (FBitmap != nullptr && FBitmap == FImageBitmap)
        FBitmap = nullptr;
    FImage = nullptr;
    FImageObject = nullptr;
    FImageBitmap = nullptr;
}

void TImageAttachment::SetBitmap(TBitmap* bitmap) {
    StopListening();
    if (bitmap == nullptr && (View() || Image()))
        return;
    if (bitmap != nullptr) {
        FViewBitmap = nullptr;
        FImageBitmap = nullptr;
        ForgetView();
        ForgetImage();
    }
    FBitmap = bitmap;
}

void TImageAttachment::SetView(TImgViewLink* view) {
    StopListening();
    ForgetView();
    if (view == nullptr)
        return;
    FImageBitmap = nullptr;
    ForgetImage();
    FView = view;
    FViewObject = view->LinkObject();
    // The view's own parts are gone by the time destroyed() arrives: nothing of it is called then.
    FViewGone = QObject::connect(FViewObject.data(), &QObject::destroyed, FOwner, [this] {
        FListening = false;
        ForgetView();
    });
    FViewBitmap = view->GetBitmap();
    FBitmap = FViewBitmap;
    view->RegisterBitmapChangeEvent(FOwner, [this] {
        if (TImgViewLink* v = View()) {
            FViewBitmap = v->GetBitmap();
            FBitmap = FViewBitmap;
        }
    });
    FListening = true;
}

void TImageAttachment::SetImage(TBitmapPictureLink* image) {
    StopListening();
    ForgetImage();
    if (image == nullptr)
        return;
    FViewBitmap = nullptr;
    ForgetView();
    FImage = image;
    FImageObject = image->LinkObject();
    FImageGone =
        QObject::connect(FImageObject.data(), &QObject::destroyed, FOwner, [this] { ForgetImage(); });
    FImageBitmap = image->PictureBitmap();
    FBitmap = FImageBitmap;
}

void TImageAttachment::Refresh() {
    if (TImgViewLink* view = View()) {
        view->Update();
        view->ImageChange();
    } else if (FBitmap) {
        FBitmap->SetModified(true);
    }
}

TColor TPictureComponent::Background() const {
    return AttachedImageView() ? AttachedImageView()->Background() : FBackground;
}

void TPictureComponent::SetBackground(TColor color) {
    if (AttachedImageView())
        AttachedImageView()->SetBackground(color);
    else
        FBackground = color;
}
