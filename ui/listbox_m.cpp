#include "ui/listbox_m.h"

#include "ui/control_m.tpp"

template class MBilingualControl<TArabListBox>;

MListBox::MListBox(QObject* Owner, QWidget* Parent)
    : MBilingualControl(Owner, Parent, mcItems | mcArabic | mcFont) {}

void MListBox::SetItems(const QStringList& Items) {
    SetItemList(Items);
    if (Reading())
        return;
    MItems& items = *M_Items();
    items.SetApplying(true);
    struct Reset {
        MItems& I;
        ~Reset() { I.SetApplying(false); }
    } reset{items};
    items.SetSection(Items, LanguageIndex());
}
