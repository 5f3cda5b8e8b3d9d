#pragma once
// The bilingual combo box: hint, width, height and position per language (its text is the user's);
// follows the language font and the right-to-left switch.

#include "ui/AComboBx.h"
#include "ui/control_m.h"

class MComboBox : public MBilingualControl<TArabComboBox> {
    Q_OBJECT
public:
    explicit MComboBox(QObject* Owner, QWidget* Parent = nullptr);

protected:
    void ArabicMessage(bool On) override { SetArabic(On); }
};
