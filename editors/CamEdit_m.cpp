#include "editors/CamEdit_m.h"

MCamEdit::MCamEdit(QObject* Owner, QWidget* Parent) : TTextCell(Owner, Parent) {
    setReadOnly(true);
    // Cam names read left to right in both languages; the keyboard layout is not touched.
    StoreArabic(false);
    KeyboardLanguage = false;
    M_Arabic = false;
}

void MCamEdit::SetValue(int Value) {
    if (Value == FValue)
        return;
    FValue = Value;
    if (const MCamPopupMenu* m = FMenus.Active())
        setText(m->ItemCaption(Value));
    if (OnChange)
        OnChange(this);
}

void MCamEdit::ActiveMenuChanged() {
    if (const MCamPopupMenu* m = FMenus.Active())
        setText(m->ItemCaption(FValue));
}

void MCamEdit::SetCurrentMenu(int Value) {
    if (FMenus.SetCurrentMenu(Value))
        ActiveMenuChanged();
}

void MCamEdit::SetCamPopupMenu1(MCamPopupMenu* Value) {
    if (FMenus.SetMenu1(Value))
        ActiveMenuChanged();
}

void MCamEdit::SetCamPopupMenu2(MCamPopupMenu* Value) {
    if (FMenus.SetMenu2(Value))
        ActiveMenuChanged();
}

void MCamEdit::Click() {
    MCamPopupMenu* m = FMenus.Active();
    if (!m)
        return;
    if (OnPopup)
        OnPopup(this);
    m->PopupFor(this);
}

void MCamEdit::CamMenuItemClick(const QString& Caption, int Tag) {
    setText(Caption);
    SetValue(Tag);
}

void MCamEdit::mouseReleaseEvent(QMouseEvent* Event) {
    TTextCell::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        Click();
}
