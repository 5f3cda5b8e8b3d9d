#pragma once
// The right-to-left list box: when its Arabic switch is on the items read right to left, sit at the
// right and the scroll bar is on the left.

#include <QListWidget>
#include <QStringList>

class TCustomArabListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCustomArabListBox(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support.
    void SetArabic(bool Value);

    QStringList ItemList() const;
    // Replaces every item by the lines of Items.
    void SetItemList(const QStringList& Items);

private:
    void ApplyDirection();
    bool FArabic;
};

class TArabListBox : public TCustomArabListBox {
    Q_OBJECT
public:
    using TCustomArabListBox::TCustomArabListBox;
};
