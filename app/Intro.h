#pragma once
// The intro window, shown while the main window is being built, and the about window of Help >
// About.

#include "ui/ModalForm.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

class MButton;
class MImage;
class MLabel;
class MTwoImageButton;

// The top-left corner that centres a window on a screen, each half taken with division towards
// zero.
QPoint CentredOrigin(QSize Screen, QSize Window);

// No border, above other windows, 500 x 250, filled by its picture button.
class TFormIntro : public QWidget {
    Q_OBJECT
public:
    explicit TFormIntro(QWidget* Parent = nullptr);
    ~TFormIntro() override;

    MTwoImageButton* MTwoImageButton1;
};

class TFormAbout : public MModalForm {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* Parent = nullptr);
    ~TFormAbout() override;

    MImage* MImage1;
    // The program's name and its version, over the picture.
    MLabel* lblData1;
    MLabel* lblData4;
    MButton* btnOK;

    void btnOKClick();

protected:
    void FormCreate();
};

// Help > About: the window is made, shown modally and freed.
void ShowAbout();
