#pragma once
// A drag of rows delivered without a window system, for the container tests and paneltool: the
// drag context holds the source for the time of the drag, and the target widget gets the enter,
// the moves and the drop that a real drag would give the widget under the pointer.

#include "editors/MRDrag.h"

#include <QDropEvent>
#include <QMimeData>

namespace dragtest {

struct TDelivered {
    bool Entered = false; // the enter was accepted
    bool Moved = false;   // one of the moves was accepted
    bool Dropped = false; // the drop was accepted
};

// The rows of Source (its drag record set by BeginRowDrag; null stands for a source window that has
// closed) dragged over Target at Pos: an enter, Moves moves and, with Drop, the drop, carrying Data
// (the rows type when none is given). The events go to Target itself, as the drag manager hands
// them to the widget that took the enter.
inline TDelivered DeliverRowsDrag(MRContainerPanel* Source, QWidget& Target, QPoint Pos, int Moves = 1,
                                  bool Drop = true, const QMimeData* Data = nullptr) {
    QMimeData rows;
    rows.setData(QLatin1String(RowsMimeType), "1");
    const QMimeData* data = Data ? Data : &rows;
    DragContext().Clear();
    DragContext().Container = Source;
    QObject& to = Target;
    TDelivered result;
    QDragEnterEvent enter(Pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    to.event(&enter);
    result.Entered = enter.isAccepted();
    for (int i = 0; i < Moves; ++i) {
        QDragMoveEvent move(Pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        to.event(&move);
        result.Moved = result.Moved || move.isAccepted();
    }
    if (Drop) {
        QDropEvent drop(QPointF(Pos), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        to.event(&drop);
        result.Dropped = drop.isAccepted();
    }
    DragContext().Clear();
    return result;
}

} // namespace dragtest
