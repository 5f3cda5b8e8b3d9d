#pragma once
// What the two cam code cells (the cam box and the cam edit) share: the code they hold, the two cam
// menus with the active one, and the caption of the active menu's item at the code, which each cell
// shows in its own way (ShowCamCaption).

#include "editors/CamPopupMenu_m.h"
#include "editors/CellInput.h"

template <class Base>
class TCamCell : public Base, public MCamMenuClient {
public:
    using Base::Base;

    // The chosen cam code. Writing a different value stores it, shows the caption of the active
    // menu's item at that position (empty past the items) and fires OnChange.
    int Value() const { return FValue; }
    void SetValue(int Value) {
        if (Value == FValue)
            return;
        FValue = Value;
        ActiveMenuChanged();
        if (OnChange)
            OnChange(this);
    }
    int CurrentMenu() const { return FMenus.CurrentMenu(); }
    void SetCurrentMenu(int Value) {
        if (FMenus.SetCurrentMenu(Value))
            ActiveMenuChanged();
    }
    MCamPopupMenu* CamPopupMenu1() const { return FMenus.Menu1(); }
    void SetCamPopupMenu1(MCamPopupMenu* Value) {
        if (FMenus.SetMenu1(Value))
            ActiveMenuChanged();
    }
    MCamPopupMenu* CamPopupMenu2() const { return FMenus.Menu2(); }
    void SetCamPopupMenu2(MCamPopupMenu* Value) {
        if (FMenus.SetMenu2(Value))
            ActiveMenuChanged();
    }
    // The menu that is shown and names the value.
    MCamPopupMenu* ActiveMenu() const { return FMenus.Active(); }

    // Value 0.
    void ClearCell() override { SetValue(0); }

    // After Value changed.
    TNotifyEvent OnChange;
    // Before the menu opens (the row shows and breaks its items here).
    TNotifyEvent OnPopup;

protected:
    // Shows the caption of the code.
    virtual void ShowCamCaption(const QString& Caption) = 0;
    // A chosen item: its caption shows and its Tag becomes the value.
    void TakeMenuItem(const QString& Caption, int Tag) {
        ShowCamCaption(Caption);
        SetValue(Tag);
    }

private:
    void ActiveMenuChanged() {
        if (const MCamPopupMenu* m = FMenus.Active())
            ShowCamCaption(m->ItemCaption(FValue));
    }

    int FValue = 0;
    TCamMenus FMenus;
};
