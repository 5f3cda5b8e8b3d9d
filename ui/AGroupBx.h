#pragma once
// The right-to-left group box: with its Arabic switch on, the frame caption sits at the right.

#include <QGroupBox>

class TCustomArabGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TCustomArabGroupBox(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support; otherwise repaints.
    virtual void SetArabic(bool Value);

protected:
    bool FArabic;

private:
    void ApplyTitle();
};

class TArabGroupBox : public TCustomArabGroupBox {
    Q_OBJECT
public:
    using TCustomArabGroupBox::TCustomArabGroupBox;
};
