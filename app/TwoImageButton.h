#pragma once
// The picture button: an image that shows its focus picture while the pointer is over it, goes back
// to its down picture when a sibling takes the pointer, and plays a sound when clicked.

#include "ui/Image_m.h"
#include "ui/UComponents.h"

#include <QString>

// The sound player a picture button may use. The station has no sound back end, so no window
// assigns one; a button without one stays silent.
class MMediaPlayer {
public:
    virtual ~MMediaPlayer() = default;
    virtual void SetFileName(const QString& FileName) = 0;
    virtual void Open() = 0;
    virtual void Play() = 0;
};

class MTwoImageButton : public TImage {
    Q_OBJECT
public:
    explicit MTwoImageButton(QWidget* Owner = nullptr);
    ~MTwoImageButton() override;

    MMediaPlayer* M_MediaPlayer = nullptr;
    // The picture shown normally, the one shown under the pointer and the sound of a click (file
    // names; a picture that cannot be read leaves the one shown).
    QString M_DownImageName;
    QString M_FocusImageName;
    QString M_WaveImageName;
    bool Focused() const { return FFocused; }
    bool Clicking() const { return FClicking; }

    void ShowDownImage();
    void ShowFocusImage();
    void LeaveFocus();
    void PlayWave();
    // The click: the down picture, the sound, then OnClick.
    void Click();

    TNotifyEvent OnClick;

protected:
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void LoadPicture(const QString& FileName);
    bool FFocused = false;
    bool FClicking = false;
    bool FPressed = false;
};
