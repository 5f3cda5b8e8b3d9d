#pragma once
// The bilingual radio button; it behaves as the bilingual check box.

#include "ui/ARadio.h"
#include "ui/control_m.h"

class MRadioButton : public MBilingualControl<TArabRadioButton> {
    Q_OBJECT
public:
    explicit MRadioButton(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);

protected:
    void SelfAlignMessage(bool Right) override;
    void ArabicMessage(bool On) override { SetArabic(On); }
};
