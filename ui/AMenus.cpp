#include "ui/AMenus.h"

#include "ui/BiDi.h"

#include <QActionEvent>

TArabMainMenu::TArabMainMenu(QWidget* Parent) : QMenuBar(Parent), FArabic(MiddleEastEnabled) {}

void TArabMainMenu::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyOrder();
}

void TArabMainMenu::actionEvent(QActionEvent* Event) {
    QMenuBar::actionEvent(Event);
    // The order is applied the first time the bar has items.
    if (!FOrderApplied && Event->type() == QEvent::ActionAdded)
        ApplyOrder();
}

void TArabMainMenu::ApplyOrder() {
    // The order is the bar's own, not its items': a switch made while the bar is empty holds for
    // the items added later.
    setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    if (!actions().isEmpty())
        FOrderApplied = true;
    update();
}

TArabPopupMenu::TArabPopupMenu(QWidget* Parent) : QMenu(Parent), FArabic(MiddleEastEnabled) {
    // Applied lazily, the first time the menu pops up with items.
    connect(this, &QMenu::aboutToShow, this, [this] {
        if (!FOrderApplied)
            ApplyOrder();
    });
}

void TArabPopupMenu::SetArabic(bool Value) {
    if (Value == FArabic || !MiddleEastEnabled)
        return;
    FArabic = Value;
    ApplyOrder();
}

void TArabPopupMenu::ApplyOrder() {
    setLayoutDirection(FArabic ? Qt::RightToLeft : Qt::LeftToRight);
    if (!actions().isEmpty())
        FOrderApplied = true;
}
