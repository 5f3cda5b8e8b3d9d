#include "editors/MRDrag.h"

#include "editors/RContainerPanel_m.h"

#include <QDrag>
#include <QMimeData>

TDragContext& DragContext() {
    static TDragContext context;
    return context;
}

TDragSource DragSourceOf(const QMimeData* Data) {
    TDragSource source;
    if (!Data)
        return source;
    const TDragContext& c = DragContext();
    if (Data->hasFormat(QLatin1String(RowsMimeType)))
        source.Container = c.Container.data();
    else if (Data->hasFormat(QLatin1String(CellMimeType)))
        source.Cell = c.Cell.data();
    return source;
}

std::function<Qt::DropAction(QDrag&)> DragExec = [](QDrag& Drag) {
    return Drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
};

namespace {
// Runs the drag with the context set, and clears the context however the drag ends.
void RunDrag(QWidget& From, const char* MimeType) {
    struct TClear {
        ~TClear() { DragContext().Clear(); }
    } clear;
    auto* data = new QMimeData;
    data->setData(QLatin1String(MimeType), QByteArray("1"));
    QDrag drag(&From);
    drag.setMimeData(data);
    if (DragExec)
        DragExec(drag);
}
} // namespace

void StartRowsDrag(MRContainerPanel& Source, QWidget& From) {
    DragContext().Clear();
    DragContext().Container = &Source;
    RunDrag(From, RowsMimeType);
}

void StartCellDrag(QWidget& Cell) {
    DragContext().Clear();
    DragContext().Cell = &Cell;
    RunDrag(Cell, CellMimeType);
}
