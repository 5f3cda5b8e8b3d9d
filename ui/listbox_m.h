#pragma once
// The bilingual list box: its items, hint, width, height and position per language; follows the
// language font and the right-to-left switch.

#include "ui/AListBox.h"
#include "ui/control_m.h"

class MListBox : public MBilingualControl<TArabListBox> {
    Q_OBJECT
public:
    explicit MListBox(QObject* Owner, QWidget* Parent = nullptr);

    QStringList Items() const { return ItemList(); }
    // Replaces the items and, unless the form is being built, records them as the items of the
    // shown language.
    void SetItems(const QStringList& Items);

protected:
    void ArabicMessage(bool On) override { SetArabic(On); }
};
