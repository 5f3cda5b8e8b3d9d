#pragma once
// The cam menu: the popup that offers the cam codes to the cam cells of a Z window, one per container
// and shared by all its cells. It is a small popup of its own, because a row of cam codes is laid out
// in columns: an item with Break starts a new column, and hidden items are left out. Item i carries
// Tag i, so that an item's position equals its Tag. Choosing an item (click, or Enter on the
// highlighted one) reports its caption and Tag to the cell the menu was opened for. The menu stays
// left-to-right in both languages.

#include "editors/PopPalette_m.h"
#include "ui/Adapter.h"

#include <QPointer>

#include <vector>

class MCamPopupMenu;

// A cell that opens the cam menu.
class MCamMenuClient {
public:
    virtual ~MCamMenuClient() = default;
    // An item was chosen.
    virtual void CamMenuItemClick(const QString& Caption, int Tag) = 0;
    // The menu closed (after a choice too).
    virtual void CamMenuClosed() {}
};

struct TCamMenuItem {
    QString Caption;
    int Tag = 0;
    bool Visible = true;
    bool Break = false; // starts a new column
};

// Where the items of a menu go: one rectangle per item (empty for a hidden one) and the menu's size.
struct TCamMenuLayout {
    QSize Size;
    std::vector<QRect> Items;
    int Columns = 0;
    int ItemWidth = 0;
};
TCamMenuLayout CamMenuLayout(const std::vector<TCamMenuItem>& Items, int ItemWidth, int ItemHeight);

class MCamPopupMenu : public MPopupWindow, public MLanguageControl {
    Q_OBJECT
public:
    explicit MCamPopupMenu(QObject* Owner, QWidget* Parent = nullptr);

    int Count() const { return int(FItems.size()); }
    TCamMenuItem& Item(int Position) { return FItems.at(std::size_t(Position)); }
    const TCamMenuItem& Item(int Position) const { return FItems.at(std::size_t(Position)); }
    void AddItem(const QString& Caption, int Tag);
    // The 27 cam codes, item i captioned with the name of code i and tagged i.
    void AddCamCodes();
    void ClearItems() { FItems.clear(); }
    // The caption of the item at a position; empty outside the items.
    QString ItemCaption(int Position) const;

    // The control the menu was last shown for.
    QWidget* PopupComponent() const { return Source(); }
    // Remembers the control and opens at its lower-left corner (kept on the control's screen).
    void PopupFor(QWidget* Control);
    // The item under the highlight, -1 for none.
    int Highlighted() const { return FHighlight; }
    // Chooses the item at a position as a click on it does.
    void ChooseItem(int Position);
    // The layout in use (made when the menu opens).
    const TCamMenuLayout& Layout() const { return FLayout; }

    bool Arabic() const { return false; }
    int LanguageIndex() const { return FLanguageIndex; }
    bool M_Arabic = false;
    void LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t LParam) override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    void MakeLayout();
    int ItemAt(const QPoint& Pos) const;
    void MoveHighlight(int Key);

    std::vector<TCamMenuItem> FItems;
    TCamMenuLayout FLayout;
    int FHighlight = -1;
    int FLanguageIndex = 0;
};

// The two menus a cam cell can hold and the one that is active (shown and naming the value). Writing
// CurrentMenu keeps values above 1 as 1 and, on a change, makes the first menu active for 1 and the
// second for any other value; writing the first menu makes it active only while CurrentMenu is 0, and
// writing the second makes the first active while CurrentMenu is 1. Cells set only the two menus, in
// that order, so the first one is active. Each setter answers true when the active menu changed.
class TCamMenus {
public:
    MCamPopupMenu* Menu1() const { return F1.data(); }
    MCamPopupMenu* Menu2() const { return F2.data(); }
    MCamPopupMenu* Active() const { return FActive.data(); }
    int CurrentMenu() const { return FCurrent; }
    bool SetMenu1(MCamPopupMenu* Menu);
    bool SetMenu2(MCamPopupMenu* Menu);
    bool SetCurrentMenu(int Value);

private:
    bool Activate(MCamPopupMenu* Menu);
    QPointer<MCamPopupMenu> F1, F2, FActive;
    int FCurrent = 0;
};
