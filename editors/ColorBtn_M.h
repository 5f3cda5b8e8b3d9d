#pragma once
// The colour swatch of the popup palette: a small control that paints its colour, a caption and a
// one-pixel raised frame (sunken while pressed), and toggles its Selected state when clicked. A
// selected swatch with ClearWhenSelected shows the button face and no caption.

#include "platform/Color.h"
#include "ui/UComponents.h"

#include <QFont>
#include <QImage>
#include <QWidget>

class MColorBtn : public QWidget, public virtual MTag {
    Q_OBJECT
public:
    explicit MColorBtn(QWidget* Parent = nullptr);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool NoFlicker() const { return FNoFlicker; }
    void SetNoFlicker(bool Value) { FNoFlicker = Value; }
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& Value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value);
    bool DownWhenSelected() const { return FDownWhenSelected; }
    void SetDownWhenSelected(bool Value);
    bool ClearWhenSelected() const { return FClearWhenSelected; }
    void SetClearWhenSelected(bool Value);
    bool Selected() const { return FSelected; }
    // Stores, repaints and fires OnSelected.
    void SetSelected(bool Value);

    // What the swatch shows now.
    TColor ShownColor() const;
    QString ShownCaption() const;
    bool LooksPressed() const { return FPressed || (FSelected && FDownWhenSelected); }
    QImage Render() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnSelected;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    void Changed();
    void SetInside(bool Inside);

    TColor FColor = 0x0000FF;
    QString FCaption = QStringLiteral("A");
    bool FNoFlicker = true;
    QFont FFont;
    TColor FFontColor = 0;
    bool FDownWhenSelected = false;
    bool FClearWhenSelected = false;
    bool FSelected = false;
    TColor FClearColor;
    bool FPressed = false;
    bool FMouseInside = false;
    bool FHeld = false;
};
