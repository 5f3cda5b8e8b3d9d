#pragma once
// The bilingual group box: its frame caption per language; follows the language font and the
// right-to-left switch.

#include "ui/AGroupBx.h"
#include "ui/control_m.h"

class MGroupBox : public MBilingualControl<TArabGroupBox> {
    Q_OBJECT
public:
    explicit MGroupBox(QObject* Owner, QWidget* Parent = nullptr);

    QString Caption() const { return title(); }
    void SetCaption(const QString& Text);

protected:
    void ArabicMessage(bool On) override { SetArabic(On); }
};
