#pragma once
// The bilingual single-line edit: hint, width, height and position per language (its text is the user's);
// follows the language font and the right-to-left switch.

#include "ui/AEdit.h"
#include "ui/control_m.h"

class MEdit : public MBilingualControl<TArabEdit> {
    Q_OBJECT
public:
    explicit MEdit(QObject* Owner, QWidget* Parent = nullptr);

protected:
    void ArabicMessage(bool On) override { SetArabic(On); }
};
