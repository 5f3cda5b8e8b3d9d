#pragma once
// Fixtures of the row and container tests: a small row kind with two number cells (the number and
// a value) over the sample module kind, its container, and a host window that owns the container,
// shows it active and follows a language pack.

#include "editors/NumEdit_m.h"
#include "editors/RContainerPanel_m.h"
#include "model/MClpBrd.h"
#include "model/UProject.h"
#include "tests/editors/CellTestSupport.h"
#include "tests/support/SampleKind.h"
#include "tests/support/ScriptedMessages.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace paneltest {

using kdstest::MUnvSample;

class MSampleList : public MUnvList {
public:
    MSampleList() : MUnvList(lkR, std::make_unique<MUnvSample>()) {}
    MUnvSample& Get(int Number) const { return static_cast<MUnvSample&>(FindByNumber(Number)); }
    // Modules with the given numbers, each with Value = number mod 10; not marked modified.
    void Fill(std::initializer_list<int> Numbers) {
        for (int n : Numbers)
            Put(n, n % 10);
        Modified = false;
    }
    void FillRange(int First, int Last) {
        for (int n = First; n <= Last; ++n)
            Put(n, n % 10);
        Modified = false;
    }
    void Put(int Number, int Value) {
        MUnvSample m;
        m.Number = Number;
        m.Value = Value;
        AddOrReplace(m);
    }
    std::vector<int> Numbers() const {
        std::vector<int> v;
        for (int i = 0; i < Count(); ++i)
            v.push_back(ItemAt(i).Number);
        return v;
    }
    std::vector<int> SelectedNumbers() const {
        std::vector<int> v;
        for (int i = 0; i < Count(); ++i)
            if (ItemAt(i).Marks.Selected)
                v.push_back(ItemAt(i).Number);
        return v;
    }
};

// The test row: the select button, the number cell (Tag 0, 3 digits) and the value cell (Tag 100).
class MRSamplePanel : public MRBasePanel {
public:
    explicit MRSamplePanel(QObject* Owner)
        : MRBasePanel(Owner, nullptr, std::make_unique<MUnvSample>(), QSize(150, 28)) {
        MakeSelectButton(QRect(3, 3, 20, 21), QStringLiteral("S"));
        MakeNumberCell(0, 0, QRect(28, 3, 40, 21), 3);
        ValueCell = MakeNumEdit(
            1, 100, QRect(74, 3, 50, 21), 4,
            [this](QObject*) {
                if (!Loading())
                    Sample().Value = ValueCell->Value();
            },
            0, CellFocusColor);
    }
    MUnvSample& Sample() { return static_cast<MUnvSample&>(*WorkItem); }
    MNumEdit* ValueCell;
    // What the drops reached: (sender tag, source container) of each drop.
    int Drops = 0;

    void CellDragOver(QWidget* Sender, const TDragSource& Source, int X, int Y, TDragState State,
                      bool& Accept) override {
        MRBasePanel::CellDragOver(Sender, Source, X, Y, State, Accept);
        MRContainerPanel* own = Container();
        Accept = own && Source.Container &&
                 (own->IsSameKindContainer(*Source.Container) ||
                  (Source.Container == own && own->DragNumber != EntryNumber));
    }
    void CellDragDrop(QWidget* Sender, const TDragSource& Source, int X, int Y) override {
        MRBasePanel::CellDragDrop(Sender, Source, X, Y);
        MRContainerPanel* own = Container();
        if (!own || !Source.Container)
            return;
        ++Drops;
        if (Source.Container == own)
            own->DragWithin(own->DragNumber, EntryNumber);
        else if (own->IsSameKindContainer(*Source.Container))
            own->DropEntries(*Source.Container, Source.Container->DragNumber, EntryNumber);
    }

protected:
    void ShowCells() override;
};

class MRSampleContainer : public MRContainerPanel {
public:
    explicit MRSampleContainer(QObject* Owner) : MRContainerPanel(Owner) {
        RowWidth = 150;
        RowHeight = 28;
    }
    MRBasePanel* NewRowPanel() override { return new MRSamplePanel(this); }
    int WindowIndex() const override { return wiR; }
    // Drags from other containers of the kind scroll the bar.
    bool ScrollsForSource(const TDragSource& Source) const override {
        return Source.Container && Source.Container != this;
    }
    MRSamplePanel* Row(int Slot) const { return static_cast<MRSamplePanel*>(Rows()[std::size_t(Slot)]); }
    // Run by every row as it shows an entry; a test's failure raised here stands for a kind's cells
    // that cannot show their entry.
    std::function<void(int Number)> OnShowCells;
};

inline void MRSamplePanel::ShowCells() {
    if (auto* c = static_cast<MRSampleContainer*>(Container()); c && c->OnShowCells)
        c->OnShowCells(Sample().Number);
    ShowCellValue(ValueCell, Sample().Value);
}

// A bilingual window holding a container of sample rows over a list, with a plain edit outside the
// container (somewhere else for the focus to go). Shown and active.
class PanelWindow : public MForm {
public:
    explicit PanelWindow(MLanguagePack* Pack = nullptr, TContainerLayout Layout = ContainerLayoutOf(wiN)) {
        resize(400, 300);
        new MLanguageAdapter(this);
        if (Pack)
            SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        Container = new MRSampleContainer(this);
        Container->Columns = Layout.Columns;
        Container->Project = &Project;
        Container->InitLayout(0);
        Container->ApplyLayout(Layout);
        Container->SetClipboard(&Clipboard);
        Outside = new QLineEdit(this);
        Outside->setGeometry(0, 280, 100, 20);
        FinishLoading();
    }
    ~PanelWindow() override { DestroyComponents(); }

    void Show() {
        Container->SetItems(&List);
        buttontest::ShowActive(*this);
        Outside->move(0, height() - 20);
    }
    MRSamplePanel* Row(int Slot) const { return Container->Row(Slot); }
    // The entry numbers the visible rows show, slot by slot (-1 for a hidden slot).
    std::vector<int> Shown() const {
        std::vector<int> v;
        for (MRBasePanel* r : Container->Rows())
            v.push_back(r->isHidden() ? -1 : r->EntryNumber);
        return v;
    }
    // Focuses a cell and lets the focus tracker see it.
    static void Focus(QWidget* W) {
        W->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    MSampleList List;
    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRSampleContainer* Container;
    QLineEdit* Outside;
};

// Sends a key as the keyboard does (the shortcut override first) to the focused widget.
inline void KeyClick(QWidget* W, Qt::Key Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::keyClick(W, Key, Modifiers);
    QApplication::processEvents();
}

} // namespace paneltest
