#pragma once
// The program's own flat push button: a focusable control that paints its face, caption and a
// two-pixel 3-D frame itself. It can look flat until the pointer passes over it, change its face
// colour with the keyboard focus, keep a selected state that flips on every click, and, with
// Enhanced on, hand the navigation and clipboard keys to its row as the cell key message.

#include "platform/SysColors.h"
#include "ui/OwnerDrawnButton.h"

#include <QFont>
#include <QImage>

#include <functional>

class TFlatBtn : public TOwnerDrawnButton {
    Q_OBJECT
public:
    explicit TFlatBtn(QWidget* Parent = nullptr);

    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool Value) { FEnhanced = Value; }
    int ID() const { return FID; }
    void SetID(int Value) { FID = Value; }
    bool BorderWhenFlat() const { return FBorderWhenFlat; }
    void SetBorderWhenFlat(bool Value);
    bool DownWhenSelected() const { return FDownWhenSelected; }
    void SetDownWhenSelected(bool Value);
    bool ClearWhenSelected() const { return FClearWhenSelected; }
    void SetClearWhenSelected(bool Value);
    bool NoFlicker() const { return FNoFlicker; }
    void SetNoFlicker(bool Value) { FNoFlicker = Value; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool Value);
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& Value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor NonFocusedColor() const { return FNonFocusedColor; }
    void SetNonFocusedColor(TColor Value);
    TColor FocusedColor() const { return FFocusedColor; }
    void SetFocusedColor(TColor Value);
    TColor ClearColor() const { return FClearColor; }
    void SetClearColor(TColor Value) { FClearColor = Value; }
    // TabStop: reached by Tab (a click focuses the button either way).
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);

    // State.
    bool IsDown() const { return FIsDown; }
    bool ClicksDisabled() const { return FClicksDisabled; }
    bool IsFocused() const { return FIsFocused; }
    bool Pressed() const { return FPressed; }

    // Flips Selected, then fires OnClick. A descendant steps its caption first.
    void Click() override;
    QImage Render() override;

    TNotifyEvent OnSelected;
    // The key-down (Key is the virtual key, 0 once consumed) and the typed character.
    std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject* Sender, int& Key)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    // While a mouse button is held on it, the button is down exactly while the pointer is over it.
    void MouseInsideChanged() override;

private:
    void Press(QMouseEvent* Event);
    // The pointer's coming and going; a disabled button ignores both.
    void PointerEntered();
    void PointerLeft();

    bool FEnhanced = false;
    int FID = 0;
    bool FBorderWhenFlat = false;
    bool FDownWhenSelected = false;
    bool FClearWhenSelected = false;
    bool FIsDown = false;
    bool FNoFlicker = true;
    bool FClicksDisabled = false;
    bool FIsFocused = false;
    bool FPressed = false;
    bool FSelected = false;
    bool FTabStop = true;
    QFont FFont;
    TColor FFontColor = clWindowText;
    TColor FColor = clBtnFace;
    TColor FNonFocusedColor = clBtnFace;
    TColor FFocusedColor = 0xDFDFDF;
    TColor FClearColor = clBtnFace;
};

// The caption font of the flat button: "Courier" by Liberation Mono (or DejaVu Sans Mono), 11 pixels; the
// one Courier of the program's own controls.
QFont FlatButtonFont();
