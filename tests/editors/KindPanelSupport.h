#pragma once
// What the tests of the kinds' rows and lists share: lists that store modules as they stand, drops
// of rows onto a row or a list, drags over a scroll bar, and the places of every row and cell.

#include "editors/RContainerPanel_m.h"
#include "tests/editors/RowDragSupport.h"

#include <initializer_list>
#include <vector>

namespace kindtest {

// Lists that store modules as they stand, out-of-range values included.
struct Unvalidated {
    Unvalidated() : Old(ListsAutoValidate) { ListsAutoValidate = false; }
    ~Unvalidated() { ListsAutoValidate = Old; }
    Unvalidated(const Unvalidated&) = delete;
    Unvalidated& operator=(const Unvalidated&) = delete;
    bool Old;
};

// A drop of rows of Source onto Target at Pos; true when taken.
inline bool Drop(MRContainerPanel* Source, QWidget* Target, QPoint Pos) {
    const dragtest::TDelivered d = dragtest::DeliverRowsDrag(Source, *Target, Pos);
    return d.Moved && d.Dropped;
}

// Scroll bar drag moves from Source at the bar's lower end; whether any was accepted.
inline bool DragOverBarBottom(MRContainerPanel* Source, MRContainerPanel& Target, int Moves) {
    QScrollBar* bar = Target.ScrollBar();
    return dragtest::DeliverRowsDrag(Source, *bar, QPoint(3, bar->height() - 3), Moves, false).Moved;
}

// The geometry of every row of the lists and of every widget on them, in order.
inline std::vector<QRect> RowGeometry(std::initializer_list<const MRContainerPanel*> Lists) {
    std::vector<QRect> g;
    for (const MRContainerPanel* c : Lists)
        for (const MRBasePanel* r : c->Rows()) {
            g.push_back(r->geometry());
            for (const QObject* o : r->children())
                if (const auto* w = qobject_cast<const QWidget*>(o))
                    g.push_back(w->geometry());
        }
    return g;
}

} // namespace kindtest
