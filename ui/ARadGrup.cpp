#include "ui/ARadGrup.h"

#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

TArabGroupButton::TArabGroupButton(QWidget* Group, bool Arabic) : TArabRadioButton(Group) {
    SetArabic(Arabic);
    SetAlignment(Arabic ? taLeftJustify : taRightJustify);
}

TCustomArabRadioGroup::TCustomArabRadioGroup(QWidget* Parent) : TCustomArabGroupBox(Parent) {}

void TCustomArabRadioGroup::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    TCustomArabGroupBox::SetArabic(Value);
    BuildButtons();
}

void TCustomArabRadioGroup::SetItems(const QStringList& Items) {
    FItems = Items;
    FItemIndex = std::min(FItemIndex, static_cast<int>(FItems.size()) - 1);
    BuildButtons();
}

void TCustomArabRadioGroup::SetColumns(int Value) {
    Value = std::clamp(Value, 1, 16);
    if (Value == FColumns)
        return;
    FColumns = Value;
    ArrangeButtons();
}

void TCustomArabRadioGroup::SetItemIndex(int Value) {
    Value = std::clamp(Value, -1, static_cast<int>(FItems.size()) - 1);
    if (Value == FItemIndex)
        return;
    FItemIndex = Value;
    UpdateChecks();
}

void TCustomArabRadioGroup::BuildButtons() {
    qDeleteAll(FButtons);
    FButtons.clear();
    for (int i = 0; i < FItems.size(); ++i) {
        auto* b = new TArabGroupButton(this, FArabic);
        b->setText(FItems[i]);
        connect(b, &QAbstractButton::clicked, this, [this, i] {
            FItemIndex = i;
            UpdateChecks();
            if (OnClick)
                OnClick();
        });
        b->show();
        FButtons.append(b);
    }
    UpdateChecks();
    ArrangeButtons();
}

void TCustomArabRadioGroup::UpdateChecks() {
    for (int i = 0; i < FButtons.size(); ++i) {
        TArabGroupButton* b = FButtons[i];
        // A group with no choice unchecks every button, which exclusive buttons refuse.
        b->setAutoExclusive(false);
        b->setChecked(i == FItemIndex);
        b->setAutoExclusive(true);
    }
}

void TCustomArabRadioGroup::ArrangeButtons() {
    const int count = static_cast<int>(FButtons.size());
    if (count == 0)
        return;
    const int T = QFontMetrics(font()).height();
    const int rows = (count + FColumns - 1) / FColumns;
    const int buttonWidth = (width() - 16) / FColumns;
    const int free = height() - T - 5;
    const int buttonHeight = free / rows;
    const int topMargin = T + 1 + (free % rows) / 2;
    for (int i = 0; i < count; ++i) {
        TArabGroupButton* b = FButtons[i];
        int column = i / rows;
        if (b->Arabic())
            column = FColumns - 1 - column;
        b->setGeometry(8 + column * buttonWidth, topMargin + (i % rows) * buttonHeight,
                       std::max(buttonWidth, 0), std::max(buttonHeight, 0));
    }
}

void TCustomArabRadioGroup::resizeEvent(QResizeEvent* Event) {
    TCustomArabGroupBox::resizeEvent(Event);
    ArrangeButtons();
}

void TCustomArabRadioGroup::changeEvent(QEvent* Event) {
    TCustomArabGroupBox::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        ArrangeButtons();
}
