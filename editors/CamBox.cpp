#include "editors/CamBox.h"

#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/FlatBtn.h"

#include <QPainter>

TCamBox::TCamBox(QWidget* Parent) : TCamCell(Parent) {
    // Courier, 11 pixels high: the font of the flat buttons of the rows.
    SetFont(FlatButtonFont());
}

void TCamBox::SetCaption(const QString& Value) {
    if (Value != FCaption) {
        FCaption = Value;
        update();
    }
}

void TCamBox::Click() {
    if (MCamPopupMenu* m = ActiveMenu(); m && !FOpened) {
        if (OnPopup)
            OnPopup(this);
        FOpened = true;
        m->PopupFor(this);
    } else if (FOpened) {
        FOpened = false;
    }
    TCellBox::Click();
}

void TCamBox::CamMenuItemClick(const QString& Caption, int Tag) {
    TakeMenuItem(Caption, Tag);
    FOpened = false;
}

void TCamBox::CamMenuClosed() {
    FOpened = false;
}

void TCamBox::PaintContent(QImage& Canvas) const {
    if (FCaption.isEmpty())
        return;
    QPainter p(&Canvas);
    p.setFont(Font());
    p.setPen(SysQColor(clWindowText));
    p.drawText(QRect(0, 0, Canvas.width(), Canvas.height()), Qt::AlignCenter, FCaption);
}

bool TCamBox::KindKeyDown(const TCellKey& Key) {
    if (Key.VirtualKey != VK_DELETE || Key.Class != kcPlain)
        return false;
    SetCaption(QString());
    SetValue(0);
    return true;
}

void TCamBox::FocusLost() {
    FOpened = false;
}

void TCamBox::resizeEvent(QResizeEvent* Event) {
    TCellBox::resizeEvent(Event);
    update();
}
