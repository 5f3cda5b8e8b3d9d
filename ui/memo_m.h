#pragma once
// The bilingual memo: hint, width, height and position per language (its text is the user's);
// follows the language font and the right-to-left switch.

#include "ui/AMemo.h"
#include "ui/control_m.h"

class MMemo : public MBilingualControl<TArabMemo> {
    Q_OBJECT
public:
    explicit MMemo(QObject* Owner, QWidget* Parent = nullptr);

protected:
    void ArabicMessage(bool On) override { SetArabic(On); }
};
