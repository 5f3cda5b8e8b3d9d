#include "editors/CamPopupMenu_m.h"
#include "editors/MRBpanel.h"

#include "model/UCamCodes.h"
#include "platform/ColorQt.h"
#include "platform/SysColors.h"
#include "ui/GfxUtils.h"
#include "ui/control_m.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int MenuBorder = 2;
constexpr int ItemPadding = 10;
} // namespace

TCamMenuLayout CamMenuLayout(const std::vector<TCamMenuItem>& Items, int ItemWidth, int ItemHeight) {
    TCamMenuLayout l;
    l.Items.resize(Items.size());
    int column = -1, row = 0, rows = 0;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        if (!Items[i].Visible)
            continue;
        if (column < 0 || Items[i].Break) {
            ++column;
            row = 0;
        }
        l.Items[i] = QRect(MenuBorder + column * (ItemWidth + 1), MenuBorder + row * ItemHeight, ItemWidth,
                           ItemHeight);
        rows = std::max(rows, ++row);
    }
    l.Columns = column + 1;
    l.ItemWidth = ItemWidth;
    l.Size = QSize(2 * MenuBorder + l.Columns * ItemWidth + std::max(0, l.Columns - 1),
                   2 * MenuBorder + rows * ItemHeight);
    return l;
}

MCamPopupMenu::MCamPopupMenu(QObject* Owner, QWidget* Parent) : MPopupWindow(BilingualParent(Owner, Parent)) {
    SetComponentOwner(this, Owner);
    if (MForm* form = GetOwnerMForm(this))
        FLanguageIndex = form->LanguageDetail().LanguageID();
    // The cam box's fixed-pitch font: the five-character names with their own spaces line up in
    // straight columns.
    setFont(RowFont(rfCourier, 11, false));
    setMouseTracking(true);
}

void MCamPopupMenu::AddItem(const QString& Caption, int Tag) {
    FItems.push_back(TCamMenuItem{Caption, Tag, true, false});
}

void MCamPopupMenu::AddCamCodes() {
    for (int i = 0; i < CamCodeCount; ++i)
        AddItem(CamCodeName(i), i);
}

QString MCamPopupMenu::ItemCaption(int Position) const {
    return Position >= 0 && Position < Count() ? FItems[std::size_t(Position)].Caption : QString();
}

void MCamPopupMenu::MakeLayout() {
    const QFontMetrics fm(font());
    int w = 0;
    for (const auto& item : FItems)
        if (item.Visible)
            w = std::max(w, fm.horizontalAdvance(item.Caption));
    FLayout = CamMenuLayout(FItems, w + 2 * ItemPadding, fm.height() + 4);
    resize(FLayout.Size);
}

void MCamPopupMenu::PopupFor(QWidget* Control) {
    SetSource(Control);
    MakeLayout();
    FHighlight = -1;
    ShowFor(Control);
}

void MCamPopupMenu::ChooseItem(int Position) {
    if (Position < 0 || Position >= Count() || !FItems[std::size_t(Position)].Visible)
        return;
    const TCamMenuItem item = FItems[std::size_t(Position)];
    const QPointer<QWidget> source = Source();
    HidePopup();
    if (auto* client = dynamic_cast<MCamMenuClient*>(source.data()))
        client->CamMenuItemClick(item.Caption, item.Tag);
}

int MCamPopupMenu::ItemAt(const QPoint& Pos) const {
    for (std::size_t i = 0; i < FLayout.Items.size(); ++i)
        if (FLayout.Items[i].contains(Pos))
            return int(i);
    return -1;
}

void MCamPopupMenu::LanguageMessage(int Msg, std::intptr_t WParam, std::intptr_t) {
    if (Msg == LM_UPDATE_LANGUAGEID || Msg == LM_CHANGE_LANGUAGEID)
        FLanguageIndex = int(WParam);
}

void MCamPopupMenu::paintEvent(QPaintEvent*) {
    QImage image = NewImage(width(), height(), clMenu);
    TRect frame{0, 0, width(), height()};
    Frame3D(image, frame, cl3DLight, cl3DDkShadow);
    Frame3D(image, frame, clBtnHighlight, clBtnShadow);
    // A line between two columns.
    for (int c = 1; c < FLayout.Columns; ++c) {
        const int x = MenuBorder + c * (FLayout.ItemWidth + 1) - 1;
        FillRect(image, TRect{x, MenuBorder, x + 1, height() - MenuBorder}, clBtnShadow);
    }
    QPainter p(&image);
    p.setFont(font());
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const QRect r = i < FLayout.Items.size() ? FLayout.Items[i] : QRect();
        if (r.isEmpty())
            continue;
        const bool hot = int(i) == FHighlight;
        if (hot)
            p.fillRect(r, SysQColor(clHighlight));
        p.setPen(SysQColor(hot ? clHighlightText : clMenuText));
        // The names are five characters wide with their own spaces: they keep them.
        p.drawText(r.adjusted(ItemPadding, 0, -ItemPadding, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   FItems[i].Caption);
    }
    p.end();
    QPainter w(this);
    w.drawImage(0, 0, image);
}

void MCamPopupMenu::mouseMoveEvent(QMouseEvent* Event) {
    const int i = ItemAt(Event->position().toPoint());
    if (i != FHighlight && (i >= 0 || rect().contains(Event->position().toPoint()))) {
        FHighlight = i;
        update();
    }
}

void MCamPopupMenu::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) {
        const int i = ItemAt(Event->position().toPoint());
        if (i >= 0) {
            ChooseItem(i);
            return;
        }
    }
    MPopupWindow::mouseReleaseEvent(Event);
}

void MCamPopupMenu::MoveHighlight(int Key) {
    std::vector<int> shown;
    for (std::size_t i = 0; i < FLayout.Items.size(); ++i)
        if (!FLayout.Items[i].isEmpty())
            shown.push_back(int(i));
    if (shown.empty())
        return;
    const auto at = std::find(shown.begin(), shown.end(), FHighlight);
    int next = shown.front();
    if (at != shown.end()) {
        const QRect cur = FLayout.Items[std::size_t(*at)];
        const std::size_t k = std::size_t(at - shown.begin());
        if (Key == Qt::Key_Down) {
            next = shown[(k + 1) % shown.size()];
        } else if (Key == Qt::Key_Up) {
            next = shown[(k + shown.size() - 1) % shown.size()];
        } else {
            // The item of the neighbouring column nearest to the same row.
            const int dx = Key == Qt::Key_Right ? 1 : -1;
            int best = -1, bestDistance = 0;
            for (int i : shown) {
                const QRect r = FLayout.Items[std::size_t(i)];
                if ((r.left() - cur.left()) * dx <= 0)
                    continue;
                const int d = std::abs(r.left() - cur.left()) * 1000 + std::abs(r.top() - cur.top());
                if (best < 0 || d < bestDistance) {
                    best = i;
                    bestDistance = d;
                }
            }
            next = best >= 0 ? best : FHighlight;
        }
    } else if (Key == Qt::Key_Up) {
        next = shown.back();
    }
    FHighlight = next;
    update();
}

void MCamPopupMenu::keyPressEvent(QKeyEvent* Event) {
    Event->accept();
    switch (Event->key()) {
    case Qt::Key_Escape:
        HidePopup();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        ChooseItem(FHighlight);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        MoveHighlight(Event->key());
        break;
    default:
        break;
    }
}

void MCamPopupMenu::hideEvent(QHideEvent* Event) {
    MPopupWindow::hideEvent(Event);
    if (auto* client = dynamic_cast<MCamMenuClient*>(Source()))
        client->CamMenuClosed();
}

// ---- TCamMenus

bool TCamMenus::Activate(MCamPopupMenu* Menu) {
    if (Menu == FActive)
        return false;
    FActive = Menu;
    return true;
}

bool TCamMenus::SetMenu1(MCamPopupMenu* Menu) {
    F1 = Menu;
    return FCurrent == 0 && Activate(Menu);
}

bool TCamMenus::SetMenu2(MCamPopupMenu* Menu) {
    F2 = Menu;
    return FCurrent == 1 && Activate(F1);
}

bool TCamMenus::SetCurrentMenu(int Value) {
    Value = std::min(Value, 1);
    if (Value == FCurrent)
        return false;
    FCurrent = Value;
    return Activate(Value == 1 ? F1.data() : F2.data());
}
