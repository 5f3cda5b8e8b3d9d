#include "ui/AMenus.h"

#include "ui/BiDi.h"
#include "ui/UApplication.h"

#include <QActionEvent>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

namespace {
// Draws a menu's items in the menu's own direction. The application's style aligns an item's text
// by the painter's direction, which is the application's (left to right), not the menu's: a
// right-to-left menu would put its texts at the left of their column.
class TMenuDirectionStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement Element, const QStyleOption* Option, QPainter* Painter,
                     const QWidget* Widget) const override {
        if (Element != CE_MenuItem || !Painter || !Option) {
            QProxyStyle::drawControl(Element, Option, Painter, Widget);
            return;
        }
        const Qt::LayoutDirection old = Painter->layoutDirection();
        Painter->setLayoutDirection(Option->direction);
        QProxyStyle::drawControl(Element, Option, Painter, Widget);
        Painter->setLayoutDirection(old);
    }
};

QStyle* MenuDirectionStyle() {
    // One for all menus, freed with the application.
    static QPointer<QStyle> style;
    if (!style) {
        style = new TMenuDirectionStyle(NewStationStyle());
        style->setParent(QCoreApplication::instance());
    }
    return style;
}
} // namespace

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
    setStyle(MenuDirectionStyle());
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
