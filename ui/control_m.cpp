#include "ui/control_m.h"

QWidget* BilingualParent(QObject* Owner, QWidget* Parent) {
    if (Parent)
        return Parent;
    return qobject_cast<QWidget*>(Owner);
}
