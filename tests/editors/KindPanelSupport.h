#pragma once
// What the tests of the kinds' rows and lists share: a window holding two lists of one project,
// lists that store modules as they stand, drops of rows onto a row or a list, drags over a scroll
// bar, and the places of every row and cell.

#include "editors/RContainerPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/editors/RowDragSupport.h"
#include "ui/Adapter.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <initializer_list>
#include <vector>

namespace kindtest {

// A window of Width x 300 in English, following Pack when one is given, of one project holding two of
// its lists side by side, with an edit outside them. The kind makes both containers with the window
// as owner and parent and hands them to AddLists.
class PairWindow : public MForm {
public:
    PairWindow(MLanguagePack* Pack, int Width) {
        resize(Width, 300);
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        Outside = new QLineEdit(this);
        Outside->setGeometry(0, 280, 100, 20);
    }
    ~PairWindow() override { DestroyComponents(); }
    // The two lists of the project, Second beside First.
    void AddLists(MRContainerPanel* First, MRContainerPanel* Second) {
        FFirst = First;
        FSecond = Second;
        for (MRContainerPanel* c : {First, Second}) {
            c->Project = &Project;
            c->InitLayout(0);
            c->SetClipboard(&Clipboard);
        }
        Second->move(First->width() + 10, 0);
        FinishLoading();
    }
    // Binds the lists, shows the window active and eight rows of each.
    void ShowLists(MUnvList& FirstItems, MUnvList& SecondItems) {
        FFirst->SetItems(&FirstItems);
        FSecond->SetItems(&SecondItems);
        buttontest::ShowActive(*this);
        // No mouse button stays held from an earlier test.
        QTest::mouseRelease(this, Qt::LeftButton, {}, QPoint(1, 1));
        FFirst->SetVisibleRows(8);
        FSecond->SetVisibleRows(8);
    }
    // The focus leaves the lists.
    void Leave() { Focus(Outside); }
    // Focuses a cell and lets the focus tracker see it.
    static void Focus(QWidget* Cell) {
        Cell->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    static void Retype(QLineEdit* Cell, const QString& Text) {
        Cell->selectAll();
        Cell->del();
        celltest::Type(Cell, Text);
    }

    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    QLineEdit* Outside = nullptr;

private:
    MRContainerPanel* FFirst = nullptr;
    MRContainerPanel* FSecond = nullptr;
};

// Lists that store modules as they stand, out-of-range values included.
struct Unvalidated {
    Unvalidated() : Old(ListsAutoValidate) { ListsAutoValidate = false; }
    ~Unvalidated() { ListsAutoValidate = Old; }
    Unvalidated(const Unvalidated&) = delete;
    Unvalidated& operator=(const Unvalidated&) = delete;
    bool Old;
};

// A drop of rows of Source onto Target at Pos; true when taken.
inline bool Drop(MRContainerPanel* Source, QWidget* Target, QPoint Pos) {
    const dragtest::TDelivered d = dragtest::DeliverRowsDrag(Source, *Target, Pos);
    return d.Moved && d.Dropped;
}

// Scroll bar drag moves from Source at the bar's lower end; whether any was accepted.
inline bool DragOverBarBottom(MRContainerPanel* Source, MRContainerPanel& Target, int Moves) {
    QScrollBar* bar = Target.ScrollBar();
    return dragtest::DeliverRowsDrag(Source, *bar, QPoint(3, bar->height() - 3), Moves, false).Moved;
}

// The geometry of every row of the lists and of every widget on them, in order.
inline std::vector<QRect> RowGeometry(std::initializer_list<const MRContainerPanel*> Lists) {
    std::vector<QRect> g;
    for (const MRContainerPanel* c : Lists)
        for (const MRBasePanel* r : c->Rows()) {
            g.push_back(r->geometry());
            for (const QObject* o : r->children())
                if (const auto* w = qobject_cast<const QWidget*>(o))
                    g.push_back(w->geometry());
        }
    return g;
}

} // namespace kindtest
