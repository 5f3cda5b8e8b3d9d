#include "ui/AListBox.h"

#include "ui/BiDi.h"

TCustomArabListBox::TCustomArabListBox(QWidget* Parent) : QListWidget(Parent), FArabic(MiddleEastEnabled) {
    ApplyDirection();
}

void TCustomArabListBox::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyDirection();
}

void TCustomArabListBox::ApplyDirection() {
    setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
}

QStringList TCustomArabListBox::ItemList() const {
    QStringList result;
    for (int i = 0; i < count(); ++i)
        result.append(item(i)->text());
    return result;
}

void TCustomArabListBox::SetItemList(const QStringList& Items) {
    clear();
    addItems(Items);
}
