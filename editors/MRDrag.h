#pragma once
// Drag and drop of module rows and cells between the module windows. A drag carries one of two
// private MIME types: a drag of rows (whole entries of a container's list) or a drag of one cell. The
// source container or cell lives in the process-wide DragContext from the start of the drag to its
// end, held by a guarded pointer: the targets read the source there, never from the drop event, so
// a drag whose source window closed meanwhile finds no source and is refused. A drop of any other
// type (files, text) is refused without a message.

#include "editors/MRBpanel.h"

#include <QPointer>

#include <functional>

class QDrag;
class QMimeData;

inline constexpr char RowsMimeType[] = "application/x-kds-module-rows";
inline constexpr char CellMimeType[] = "application/x-kds-module-cell";

struct TDragContext {
    QPointer<MRContainerPanel> Container;
    QPointer<QWidget> Cell;
    void Clear() {
        Container = nullptr;
        Cell = nullptr;
    }
};
// The drag running now.
TDragContext& DragContext();

// The source of a drag with this data: the context's container for the rows type, its cell for the
// cell type; empty for any other data or when the source is gone.
TDragSource DragSourceOf(const QMimeData* Data);

// Runs a prepared drag and returns the action taken; tests replace it.
extern std::function<Qt::DropAction(QDrag& Drag)> DragExec;

// Drags rows of Source starting from the widget From (the container's drag record is already set);
// the context holds Source until the drag ends.
void StartRowsDrag(MRContainerPanel& Source, QWidget& From);
// Drags one cell.
void StartCellDrag(QWidget& Cell);
