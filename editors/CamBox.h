#pragma once
// The cam code cell of the Z rows: a small box showing a cam code's name that opens the shared cam
// menu when clicked (or on Enter or Space) and takes the code chosen there. A second click while the
// menu was opened only closes the cycle; Delete clears the box; with Enhanced the navigation and
// command keys and the characters go to the row as the cell key message (Ctrl+Delete among them).

#include "editors/CamPopupMenu_m.h"
#include "editors/CellInput.h"

class TCamBox : public TCellBox, public MCamMenuClient {
    Q_OBJECT
public:
    explicit TCamBox(QWidget* Parent = nullptr);

    // The chosen cam code. Writing a different value stores it, shows the caption of the active
    // menu's item at that position (empty past the items) and fires OnChange.
    int Value() const { return FValue; }
    void SetValue(int Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int CurrentMenu() const { return FMenus.CurrentMenu(); }
    void SetCurrentMenu(int Value);
    MCamPopupMenu* CamPopupMenu1() const { return FMenus.Menu1(); }
    void SetCamPopupMenu1(MCamPopupMenu* Value);
    MCamPopupMenu* CamPopupMenu2() const { return FMenus.Menu2(); }
    void SetCamPopupMenu2(MCamPopupMenu* Value);
    // The menu that is shown and names the value.
    MCamPopupMenu* ActiveMenu() const { return FMenus.Active(); }
    // True from opening the menu until the cycle closes (a choice, a second click, leaving the box).
    bool MenuOpened() const { return FOpened; }

    void Click() override;
    // Value 0.
    void ClearCell() override { SetValue(0); }

    void CamMenuItemClick(const QString& Caption, int Tag) override;
    void CamMenuClosed() override;

    // After Value changed.
    TNotifyEvent OnChange;
    // Before the menu opens (the row shows and breaks its items here).
    TNotifyEvent OnPopup;

protected:
    void PaintContent(QImage& Canvas) const override;
    bool KindKeyDown(const TCellKey& Key) override;
    void FocusLost() override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void ActiveMenuChanged();

    int FValue = 0;
    QString FCaption;
    TCamMenus FMenus;
    bool FOpened = false;
};
