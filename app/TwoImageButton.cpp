#include "app/TwoImageButton.h"

#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"

#include <QMouseEvent>

MTwoImageButton::MTwoImageButton(QWidget* Owner) : TImage(Owner) {
    setMouseTracking(true);
}

MTwoImageButton::~MTwoImageButton() = default;

void MTwoImageButton::LoadPicture(const QString& FileName) {
    try {
        TBitmap bitmap;
        TImageIO io;
        io.SetAttachedBitmap(&bitmap);
        io.LoadFromFile(FileName);
        const QImage image = bitmap.ToQImage();
        if (!image.isNull())
            SetPicture(QPixmap::fromImage(image));
    } catch (const std::exception&) {
        // A hover picture that cannot be read is not worth a message on every pointer move: the
        // picture shown stays.
    }
}

void MTwoImageButton::ShowFocusImage() {
    FFocused = true;
    if (!M_FocusImageName.isEmpty())
        LoadPicture(M_FocusImageName);
}

void MTwoImageButton::ShowDownImage() {
    FFocused = false;
    if (!M_DownImageName.isEmpty())
        LoadPicture(M_DownImageName);
}

void MTwoImageButton::LeaveFocus() {
    if (FFocused)
        ShowDownImage();
}

void MTwoImageButton::PlayWave() {
    if (M_WaveImageName.isEmpty() || !M_MediaPlayer)
        return;
    M_MediaPlayer->SetFileName(M_WaveImageName);
    M_MediaPlayer->Open();
    M_MediaPlayer->Play();
}

void MTwoImageButton::Click() {
    FClicking = true;
    ShowDownImage();
    PlayWave();
    if (OnClick)
        OnClick(this);
    FClicking = false;
}

void MTwoImageButton::mouseMoveEvent(QMouseEvent* Event) {
    if (!FFocused) {
        ShowFocusImage();
        if (QWidget* owner = parentWidget())
            for (MTwoImageButton* sibling :
                 owner->findChildren<MTwoImageButton*>(QString(), Qt::FindDirectChildrenOnly))
                if (sibling != this)
                    sibling->LeaveFocus();
    }
    TImage::mouseMoveEvent(Event);
}

void MTwoImageButton::mousePressEvent(QMouseEvent* Event) {
    FPressed = Event->button() == Qt::LeftButton;
    TImage::mousePressEvent(Event);
}

void MTwoImageButton::mouseReleaseEvent(QMouseEvent* Event) {
    const bool click =
        FPressed && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
    FPressed = false;
    TImage::mouseReleaseEvent(Event);
    if (click)
        Click();
}
