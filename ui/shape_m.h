#pragma once
// The shape (a rectangle, square, rounded rectangle or square, ellipse or circle drawn with a pen
// and filled with a brush) and its bilingual wrapper: hint, width, height and position per
// language; follows the language font.

#include "ui/control_m.h"

#include <QBrush>
#include <QPen>
#include <QWidget>

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* Parent = nullptr);

    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType Value);
    const QPen& Pen() const { return FPen; }
    void SetPen(const QPen& Value);
    const QBrush& Brush() const { return FBrush; }
    void SetBrush(const QBrush& Value);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TShapeType FShape = stRectangle;
    QPen FPen;
    QBrush FBrush;
};

class MShape : public MBilingualControl<TShape> {
    Q_OBJECT
public:
    explicit MShape(QObject* Owner, QWidget* Parent = nullptr);
};
