#pragma once
// The dialing window: shown while a call is placed or answered, with the line's name, a small
// telephone animation ("PhoneLine.avi" beside the program, played by TAnimate) and the Hang up
// button. One per program: the program entry makes it, and the telephone line makes one when it
// finds none.

#include "transfer/AviClip.h"
#include "transfer/PhoneLine.h"
#include "ui/Adapter.h"

#include <QWidget>

class MButton;
class MLabel;
class QLabel;
class QTimer;

// A small animation control: plays a clip's frames in a loop while active and shows its stop
// frame while not.
class TAnimate : public QWidget {
    Q_OBJECT
public:
    explicit TAnimate(QWidget* Parent = nullptr);

    // Loads a clip; false (and no clip) when the file cannot be read.
    bool Open(const QString& FileName);
    bool Loaded() const { return !FClip.Frames.empty(); }
    const TAviClip& Clip() const { return FClip; }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // The frame shown while inactive, counted from 1.
    int StopFrame = 1;
    // The frame shown now, counted from 0.
    int Frame() const { return FFrame; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TAviClip FClip;
    std::vector<QImage> FImages;
    bool FActive = false;
    int FFrame = 0;
    QTimer* FTimer = nullptr;
};

class TformDialing : public MForm, public TDialingView {
    Q_OBJECT
public:
    explicit TformDialing(QWidget* Parent = nullptr);
    ~TformDialing() override;

    MLabel* ModemName;
    QLabel* Image;
    MButton* bHangUp;
    TAnimate* Animate;

    // TDialingView
    void ShowDialing() override;
    void HideDialing() override;
    void SetModemName(const QString& Name) override;

    // Makes the process-wide window when there is none; the line's factory.
    static TDialingView* Ensure();
};
