#pragma once
// The bilingual label: caption, hint, width, height and position per language; follows the
// language font, the justification (right for right-to-left) and the right-to-left switch.

#include "ui/ALabel.h"
#include "ui/control_m.h"

class MLabel : public MBilingualControl<TArabLabel> {
    Q_OBJECT
public:
    explicit MLabel(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return text(); }
    // Shows the text at once and records it for the shown language.
    void SetCaption(const QString& Text);

protected:
    void SelfAlignMessage(bool Right) override;
    void ArabicMessage(bool On) override { SetArabic(On); }
};
