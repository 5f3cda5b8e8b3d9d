#include "editors/CamEdit_m.h"

MCamEdit::MCamEdit(QObject* Owner, QWidget* Parent) : TCamCell(Owner, Parent) {
    setReadOnly(true);
    // Cam names read left to right in both languages; the keyboard layout is not touched.
    StoreArabic(false);
    KeyboardLanguage = false;
    M_Arabic = false;
}

void MCamEdit::Click() {
    MCamPopupMenu* m = ActiveMenu();
    if (!m)
        return;
    if (OnPopup)
        OnPopup(this);
    m->PopupFor(this);
}

void MCamEdit::CamMenuItemClick(const QString& Caption, int Tag) {
    TakeMenuItem(Caption, Tag);
}

void MCamEdit::mouseReleaseEvent(QMouseEvent* Event) {
    TTextCell::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        Click();
}
