#pragma once
// The cam code cell as a read-only edit: a click opens the active cam menu and the code chosen there
// shows as text; with Enhanced the key-downs of the number cell's table go to the row, while the
// characters are left to the read-only edit.

#include "editors/CamPopupMenu_m.h"
#include "editors/CellInput.h"
#include "ui/edit_m.h"

class MCamEdit : public TTextCell<MEdit>, public MCamMenuClient {
    Q_OBJECT
public:
    explicit MCamEdit(QObject* Owner, QWidget* Parent = nullptr);

    // As the cam box's Value: a different value is stored, the active menu's caption at that
    // position becomes the text, and OnChange fires.
    int Value() const { return FValue; }
    void SetValue(int Value);
    int CurrentMenu() const { return FMenus.CurrentMenu(); }
    void SetCurrentMenu(int Value);
    MCamPopupMenu* CamPopupMenu1() const { return FMenus.Menu1(); }
    void SetCamPopupMenu1(MCamPopupMenu* Value);
    MCamPopupMenu* CamPopupMenu2() const { return FMenus.Menu2(); }
    void SetCamPopupMenu2(MCamPopupMenu* Value);
    MCamPopupMenu* ActiveMenu() const { return FMenus.Active(); }

    // Value 0.
    void ClearCell() override { SetValue(0); }

    // Opens the active menu after OnPopup.
    void Click();

    void CamMenuItemClick(const QString& Caption, int Tag) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnPopup;

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void ActiveMenuChanged();

    int FValue = 0;
    TCamMenus FMenus;
};
