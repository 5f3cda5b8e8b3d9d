#pragma once
// The bilingual check box. Justification puts the caption on the left of the box (the right-to-left
// arrangement) or on its right.

#include "ui/AChkBox.h"
#include "ui/control_m.h"

class MCheckBox : public MBilingualControl<TArabCheckBox> {
    Q_OBJECT
public:
    explicit MCheckBox(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& Text);

protected:
    void SelfAlignMessage(bool Right) override;
    void ArabicMessage(bool On) override { SetArabic(On); }
};
