#pragma once
// The right-to-left label: with its Arabic switch on, the caption reads right to left; on a
// middle-east platform it starts right-justified.

#include "ui/BiDi.h"

#include <QLabel>

// The text a label is given: CR LF and a lone CR become LF. A label draws a CR as a blank at the end
// of its line; a right-aligned right-to-left line then stands one blank too far right and loses its
// first letter at the edge.
QString LabelText(QString Text);

class TCustomArabLabel : public QLabel {
    Q_OBJECT
public:
    explicit TCustomArabLabel(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support; otherwise repaints.
    void SetArabic(bool Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void ApplyText();
    bool FArabic;
    TAlignment FAlignment;
};

class TArabLabel : public TCustomArabLabel {
    Q_OBJECT
public:
    using TCustomArabLabel::TCustomArabLabel;
};
