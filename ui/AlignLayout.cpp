#include "ui/AlignLayout.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace {
constexpr const char* AlignProperty = "kdsAlign";
}

void SetAlign(QWidget* Widget, TAlign Align) {
    if (!Widget || AlignOf(Widget) == Align)
        return;
    Widget->setProperty(AlignProperty, int(Align));
    AlignLayout::RealignParentOf(Widget);
}

TAlign AlignOf(const QWidget* Widget) {
    const QVariant v = Widget ? Widget->property(AlignProperty) : QVariant();
    return v.isValid() ? TAlign(v.toInt()) : TAlign::alNone;
}

AlignLayout::AlignLayout(QWidget* Parent) : QLayout(Parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

AlignLayout::~AlignLayout() {
    while (!FItems.isEmpty())
        delete FItems.takeFirst();
}

void AlignLayout::addItem(QLayoutItem* Item) {
    FItems.append(Item);
}

QLayoutItem* AlignLayout::itemAt(int Index) const {
    return FItems.value(Index);
}

QLayoutItem* AlignLayout::takeAt(int Index) {
    return Index >= 0 && Index < FItems.size() ? FItems.takeAt(Index) : nullptr;
}

int AlignLayout::count() const {
    return int(FItems.size());
}

QSize AlignLayout::sizeHint() const {
    return minimumSize();
}

QSize AlignLayout::minimumSize() const {
    return QSize(0, 0);
}

void AlignLayout::setGeometry(const QRect& Rect) {
    QLayout::setGeometry(Rect);
    Place(Rect);
}

void AlignLayout::Realign() {
    if (QWidget* w = parentWidget())
        Place(w->contentsRect());
}

void AlignLayout::RealignParentOf(QWidget* W) {
    QWidget* parent = W ? W->parentWidget() : nullptr;
    if (auto* layout = parent ? qobject_cast<AlignLayout*>(parent->layout()) : nullptr)
        layout->Realign();
}

void AlignLayout::Place(const QRect& Rect) {
    // A thickness change while placing (a dock arranging its bars) places everything once more.
    if (FPlacing) {
        FAgain = true;
        return;
    }
    FPlacing = true;
    int pass = 0;
    do {
        FAgain = false;
        int left = Rect.x(), top = Rect.y(), right = Rect.x() + Rect.width(),
            bottom = Rect.y() + Rect.height();
        auto put = [](QWidget* w, int x, int y, int width, int height) {
            const QRect r(x, y, std::max(width, 0), std::max(height, 0));
            const QSize old = w->size();
            if (w->geometry() == r)
                return;
            w->setGeometry(r);
            // A hidden widget hears of its new size only when shown: tell it now.
            if (!w->isVisible() && old != r.size()) {
                QResizeEvent e(r.size(), old);
                QCoreApplication::sendEvent(w, &e);
            }
        };
        for (TAlign align :
             {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
            for (QLayoutItem* item : std::as_const(FItems)) {
                QWidget* w = item->widget();
                if (!w || w->isHidden() || AlignOf(w) != align)
                    continue;
                switch (align) {
                case TAlign::alTop:
                    put(w, left, top, right - left, w->height());
                    top = std::min(top + w->height(), bottom);
                    break;
                case TAlign::alBottom:
                    put(w, left, bottom - w->height(), right - left, w->height());
                    bottom = std::max(bottom - w->height(), top);
                    break;
                case TAlign::alLeft:
                    put(w, left, top, w->width(), bottom - top);
                    left = std::min(left + w->width(), right);
                    break;
                case TAlign::alRight:
                    put(w, right - w->width(), top, w->width(), bottom - top);
                    right = std::max(right - w->width(), left);
                    break;
                case TAlign::alClient:
                    put(w, left, top, right - left, bottom - top);
                    break;
                case TAlign::alNone:
                    break;
                }
            }
        }
    } while (FAgain && ++pass < 8);
    FPlacing = false;
}
