#pragma once
// The right-to-left radio group: one button per line of Items, laid out in Columns by the group itself
// (never by a Qt layout); with the Arabic switch on, the columns are ordered from the right and each
// caption sits on the left of its circle.

#include "ui/AGroupBx.h"
#include "ui/ARadio.h"

#include <QList>
#include <QStringList>

#include <functional>

class TArabGroupButton : public TArabRadioButton {
    Q_OBJECT
public:
    TArabGroupButton(QWidget* Group, bool Arabic);
};

class TCustomArabRadioGroup : public TCustomArabGroupBox {
    Q_OBJECT
public:
    explicit TCustomArabRadioGroup(QWidget* Parent = nullptr);

    void SetArabic(bool Value) override;

    const QStringList& Items() const { return FItems; }
    // Replaces the items: the buttons are built again and arranged.
    void SetItems(const QStringList& Items);
    int Columns() const { return FColumns; }
    // Clamped to 1..16.
    void SetColumns(int Value);
    int ItemIndex() const { return FItemIndex; }
    // Clamped to -1..count-1; checks that button (none for -1).
    void SetItemIndex(int Value);
    const QList<TArabGroupButton*>& Buttons() const { return FButtons; }

    // Places the buttons by the group's formula.
    void ArrangeButtons();

    std::function<void()> OnClick;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void BuildButtons();
    void UpdateChecks();
    QStringList FItems;
    int FColumns = 1;
    int FItemIndex = -1;
    QList<TArabGroupButton*> FButtons;
};

class TArabRadioGroup : public TCustomArabRadioGroup {
    Q_OBJECT
public:
    using TCustomArabRadioGroup::TCustomArabRadioGroup;
};
