#pragma once
// Main and popup menus with right-to-left item order: with the Arabic switch on, the items run from
// the right and their texts are right-justified.

#include <QMenu>
#include <QMenuBar>

class TArabMainMenu : public QMenuBar {
    Q_OBJECT
public:
    explicit TArabMainMenu(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    // Ignored when unchanged or without right-to-left support.
    void SetArabic(bool Value);
    // True once the order has been applied to a menu with items.
    bool OrderApplied() const { return FOrderApplied; }

protected:
    void actionEvent(QActionEvent* Event) override;

private:
    void ApplyOrder();
    bool FArabic;
    bool FOrderApplied = false;
};

class TArabPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit TArabPopupMenu(QWidget* Parent = nullptr);

    bool Arabic() const { return FArabic; }
    void SetArabic(bool Value);
    bool OrderApplied() const { return FOrderApplied; }

private:
    void ApplyOrder();
    bool FArabic;
    bool FOrderApplied = false;
};
