// The container's list commands: the module popup menu with its keys, the tool buttons, the rows'
// clipboard keys, the module clipboard and the two dialogs.

#include "editors/ModuleMenu.h"
#include "editors/RContainerPanel_m.h"
#include "editors/SpecFuncForm.h"
#include "model/MClpBrd.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "ui/PopupMenu_m.h"
#include "ui/Speedbutton_m.h"
#include "ui/UApplication.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>

#include <memory>
#include <vector>

namespace {

// Eats the key press that follows a shortcut override the container took: the key was the
// container's command, not the cell's. Armed by the override, disarmed by the next key event.
class TKeySwallow : public QObject {
public:
    static TKeySwallow& Instance() {
        static QPointer<TKeySwallow> instance;
        if (!instance) {
            instance = new TKeySwallow(qApp);
            qApp->installEventFilter(instance);
        }
        return *instance;
    }
    void Arm(const QKeyEvent& Event) {
        FArmed = true;
        FKey = Event.key();
        FModifiers = Event.modifiers() & ~Qt::KeypadModifier;
    }

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        if (!FArmed)
            return false;
        if (Event->type() == QEvent::ShortcutOverride) {
            FArmed = false;
            return false;
        }
        if (Event->type() != QEvent::KeyPress)
            return false;
        FArmed = false;
        const auto* k = static_cast<QKeyEvent*>(Event);
        return k->key() == FKey && (k->modifiers() & ~Qt::KeypadModifier) == FModifiers;
    }

private:
    using QObject::QObject;
    bool FArmed = false;
    int FKey = 0;
    Qt::KeyboardModifiers FModifiers;
};

int CommandOfToolButton(int Button) {
    static const int commands[tbCount] = {
        ccNewItem, ccDelete, ccCopy, ccCut, ccInsert, ccPaste, ccGoto, ccSort, ccSpecialFunctions};
    return Button >= 0 && Button < tbCount ? commands[Button] : ccNone;
}

// Runs a change of the selected entries; false when nothing was selected (the list raised
// NothingSelected). Every other error passes on.
bool ChangeSelected(const std::function<void()>& Change, int NothingSelected) {
    try {
        Change();
        return true;
    } catch (const MException& e) {
        if (e.Code != NothingSelected)
            throw;
        return false;
    }
}

} // namespace

// ---- The menu and the tool buttons.

int MRContainerPanel::MenuCommandAt(int Position) const {
    return ModuleMenuCommandAt(false, Position);
}

void MRContainerPanel::SetPopupMenu(MPopupMenu* Menu) {
    if (Menu == FPopupMenu)
        return;
    FPopupMenu = Menu;
    if (!Menu)
        return;
    connect(Menu, &QMenu::aboutToShow, this, [this] {
        PopupRecordRow(FPopupAtKnown ? FPopupAt : QCursor::pos());
        FPopupAtKnown = false;
    });
    const QList<QAction*> actions = Menu->actions();
    for (int p = 0; p < actions.size(); ++p) {
        const int command = MenuCommandAt(p);
        if (command == ccNone || actions[p]->isSeparator())
            continue;
        actions[p]->setShortcutContext(Qt::WidgetShortcut);
        connect(actions[p], &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
}

void MRContainerPanel::AttachToolButtons() {
    for (int i = 0; i < tbCount; ++i)
        if (MSpeedButton* b = ToolButtons[std::size_t(i)]) {
            const int command = CommandOfToolButton(i);
            connect(b, &QAbstractButton::clicked, this, [this, command] { RunCommand(command); });
        }
}

void MRContainerPanel::PopupRecordRow(const QPoint& GlobalPos) {
    PopupRow = -1;
    PopupNumber = -1;
    const QPoint at = mapFromGlobal(GlobalPos);
    for (MRBasePanel* row : Rows())
        if (!row->isHidden() && row->geometry().contains(at)) {
            PopupRow = row->PanelIndex;
            PopupNumber = row->EntryNumber;
            return;
        }
}

int MRContainerPanel::ShortcutCommand(const QKeyEvent& Event) const {
    if (!FPopupMenu || Event.key() == 0 || Event.key() == Qt::Key_unknown)
        return ccNone;
    const QKeySequence key(QKeyCombination(Event.modifiers() & ~Qt::KeypadModifier, Qt::Key(Event.key())));
    const QList<QAction*> actions = FPopupMenu->actions();
    for (int p = 0; p < actions.size(); ++p) {
        const QAction* a = actions[p];
        if (a->isSeparator() || !a->isEnabled() || !a->isVisible() || a->shortcut().isEmpty())
            continue;
        const int command = MenuCommandAt(p);
        if (command != ccNone && a->shortcut() == key)
            return command;
    }
    return ccNone;
}

bool MRContainerPanel::ClaimsShortcut(const QKeyEvent& Event) const {
    return ShortcutCommand(Event) != ccNone;
}

bool MRContainerPanel::HandleShortcutOverride(QKeyEvent& Event) {
    const int command = ShortcutCommand(Event);
    if (command == ccNone)
        return false;
    Event.accept();
    TKeySwallow::Instance().Arm(Event);
    RunCommand(command);
    return true;
}

void MRContainerPanel::RunCommand(int Command) {
    GuardedAction([&] {
        switch (Command) {
        case ccNewItem:
            InsertNewItem();
            break;
        case ccDelete:
            DeleteSelected();
            break;
        case ccCopy:
            CopySelected();
            break;
        case ccCut:
            CutSelected();
            break;
        case ccInsert:
            InsertFromClipboard();
            break;
        case ccPaste:
            PasteFromClipboard();
            break;
        case ccInsertMirror:
            InsertMirrored();
            break;
        case ccPasteMirror:
            PasteMirrored();
            break;
        case ccSelectAll:
            SelectAll();
            break;
        case ccDeselectAll:
            DeselectAll();
            break;
        case ccInvertSelection:
            InvertSelection();
            break;
        case ccSpecialFunctions:
            SpecialFunctions();
            break;
        case ccDeleteContents:
            DeleteContents();
            break;
        case ccGoto:
            GotoItemDialog();
            break;
        case ccSort:
            SortItems();
            break;
        default:
            break;
        }
    });
}

// ---- The commands.

bool MRContainerPanel::CommandGuard() {
    if (NewItemMode || !Items())
        return false;
    return StoreEditingRow();
}

bool MRContainerPanel::TakePopupTarget(int& Target) {
    if (!CommandGuard())
        return false;
    Target = PopupNumber;
    PopupNumber = -1;
    return true;
}

void MRContainerPanel::ListCommand(TCommandGuard Guard, TCommandRefresh Refresh,
                                   const std::function<void(int Target)>& Operation) {
    int target = -1;
    if (Guard == cgCommand ? !TakePopupTarget(target) : !Items() || !StoreEditingRow())
        return;
    if (Guard == cgStore) {
        target = PopupNumber;
        PopupNumber = -1;
    }
    Operation(target);
    if (Refresh == crRows)
        RefreshRows();
    else if (Refresh == crFromTop)
        ShowFrom(TopIndex());
}

void MRContainerPanel::InsertNewItem() {
    ListCommand(cgCommand, crNone, [this](int Target) {
        int number;
        if (Target != -1)
            number = Target + 1;
        else if (const MRBasePanel* row = EditingRow())
            number = row->EntryNumber + 1;
        else
            number = Items()->MaxNumber() + 1;
        // The new entry goes after the kind's largest number, or the entries from it on shift past
        // it: the largest number is in use and the list has no room. Said with that number, not with
        // the number the shift would make, which the user never typed.
        const int highest = Items()->HighestNumber();
        if (number > highest || (Items()->Contains(number) && Items()->MaxNumber() >= highest)) {
            if (MessageBox)
                MessageBox->ShowCodeMessage(11, 4401, QString::number(highest), mbOK);
            return;
        }
        if (!Items()->Contains(number)) {
            std::unique_ptr<MUnvBase> m = Items()->NewItem();
            m->Number = number;
            Items()->AddOrReplace(*m);
        } else {
            Items()->InsertEmpty(number);
        }
        RefreshRows();
        GotoItem(number);
    });
}

void MRContainerPanel::DeleteSelected() {
    ListCommand(cgCommand, crNone, [this](int Target) {
        // Nothing selected: the entry under the popup alone.
        if (!ChangeSelected([&] { Items()->DeleteMarked(0); }, 1001)) {
            if (Target != -1)
                DeleteItem(Target);
            return;
        }
        RefreshRows();
    });
}

void MRContainerPanel::DeleteContents() {
    ListCommand(cgCommand, crRows, [this](int Target) {
        // Nothing selected: the entry under the popup alone, when it is still there (the editing
        // row's store may have renumbered it), as Delete passes over a missing one.
        if (!ChangeSelected([&] { Items()->ClearSelectedContents(); }, 1004) && Target != -1 &&
            Items()->Contains(Target))
            Items()->ClearNumber(Target);
    });
}

void MRContainerPanel::ClipboardCommand(TClipboardOp Op, int Slot) {
    const bool menu = Slot < 0;
    int number = -1;
    if (menu ? !TakePopupTarget(number) : !Items() || !StoreEditingRow())
        return;
    if (!Clipboard())
        return;
    // The first pasted entry, which takes the focus after a paste; 0 when nothing was pasted.
    int first = 0;
    try {
        if (!menu)
            number = RowNumber(Slot);
        if (Op == coCopy || Op == coCut) {
            SetClipboardKind();
            Op == coCopy ? Clipboard()->Copy(*Items(), number) : Clipboard()->Cut(*Items(), number);
        } else {
            CheckClipboardKind();
            MUnvList& buffer = Clipboard()->Buffer;
            // Pasted from the target on, or at the buffer's own numbers.
            const int at = number >= 0 ? number : buffer.MinNumber();
            PasteWhole(buffer, menu, [&](MUnvList& Dest) {
                switch (Op) {
                case coPasteInsert:
                    Clipboard()->PasteInsert(Dest, number);
                    break;
                case coPasteInsertMirrored:
                    Clipboard()->PasteInsertMirrored(Dest, number);
                    break;
                case coPasteOverMirrored:
                    Clipboard()->PasteOverMirrored(Dest, number);
                    break;
                default:
                    Clipboard()->PasteOver(Dest, number);
                    break;
                }
            });
            if (buffer.Count() > 0)
                first = at;
        }
    } catch (const MException& e) {
        // Another kind's modules are refused silently, but for the row's own Insert key.
        if (e.Code != 1020 || (!menu && Op == coPasteInsert))
            TApplication::ShowException(e);
    } catch (const std::exception& e) {
        TApplication::ShowException(e);
    }
    if (Op != coCopy)
        RefreshRows();
    if (first > 0)
        GotoItem(first);
}

void MRContainerPanel::PasteWhole(MUnvList& Buffer, bool ClearSelection,
                                  const std::function<void(MUnvList& Dest)>& Paste) {
    if (Buffer.Count() == 0) {
        if (ClearSelection)
            Items()->SelectNone();
        return;
    }
    // The paste runs on a copy of the list, taken only when all of it succeeded; a failed one also
    // gives the buffer's modules back the numbers it changed.
    const std::unique_ptr<MUnvList> work = Items()->ScratchCopy();
    std::vector<int> numbers;
    for (int i = 0; i < Buffer.Count(); ++i)
        numbers.push_back(Buffer.ItemAt(i).Number);
    try {
        if (ClearSelection)
            work->SelectNone();
        Paste(*work);
    } catch (...) {
        for (int i = 0; i < Buffer.Count(); ++i)
            Buffer.ItemAt(i).Number = numbers[std::size_t(i)];
        throw;
    }
    Items()->TakeContents(*work);
}

void MRContainerPanel::CopySelected() {
    ClipboardCommand(coCopy, -1);
}

void MRContainerPanel::CutSelected() {
    ClipboardCommand(coCut, -1);
}

void MRContainerPanel::InsertFromClipboard() {
    ClipboardCommand(coPasteInsert, -1);
}

void MRContainerPanel::PasteFromClipboard() {
    ClipboardCommand(coPasteOver, -1);
}

void MRContainerPanel::InsertMirrored() {
    ClipboardCommand(coPasteInsertMirrored, -1);
}

void MRContainerPanel::PasteMirrored() {
    ClipboardCommand(coPasteOverMirrored, -1);
}

void MRContainerPanel::SelectAll() {
    ListCommand(cgStore, crFromTop, [this](int) { Items()->SelectAll(); });
}

void MRContainerPanel::DeselectAll() {
    ListCommand(cgStore, crFromTop, [this](int) { Items()->SelectNone(); });
}

void MRContainerPanel::InvertSelection() {
    ListCommand(cgStore, crFromTop, [this](int) { Items()->InvertSelection(); });
}

void MRContainerPanel::SortItems() {
    ListCommand(cgCommand, crFromTop, [this](int) { Items()->SortByNumber(); });
}

void MRContainerPanel::SpecialFunctions() {
    ListCommand(cgCommand, crRows, [this](int) {
        auto form = std::make_unique<TSpecialFuncForm>(window());
        form->LargestNumber = Items()->MaxNumber();
        form->MaxItemNumber = Items()->HighestNumber();
        form->SetParams(SpecialParams);
        if (Columns > 1)
            form->SetLineOptions(true);
        if (form->ShowModal() != mrOk)
            return;
        form->GetParams(SpecialParams);
        try {
            switch (SpecialParams.Operation) {
            case sfCopy:
                Items()->CopyRange(SpecialParams, Clipboard());
                break;
            case sfMove:
                Items()->MoveRange(SpecialParams, Clipboard());
                break;
            case sfDelete:
                Items()->DeleteRange(SpecialParams);
                break;
            case sfNewItems:
                Items()->NewItemsRange(SpecialParams);
                break;
            default:
                break;
            }
        } catch (const std::exception& e) {
            TApplication::ShowException(e);
        }
    });
}

void MRContainerPanel::GotoItemDialog() {
    if (!Items())
        return;
    auto form = std::make_unique<TGoToForm>(window());
    if (form->ShowModal() != mrOk)
        return;
    const int number = form->ItemNumber;
    form.reset();
    if (Items()->Contains(number))
        GotoItem(number);
    else if (MessageBox)
        MessageBox->ShowCodeMessage(11, 1041, QString::number(number), mbOK);
}

// ---- The rows' clipboard keys. They act on the row's own entry; what the rows show is stored
// first, since the list changes under them.

void MRContainerPanel::CopyRow(int Slot) {
    ClipboardCommand(coCopy, Slot);
}

void MRContainerPanel::CutRow(int Slot) {
    ClipboardCommand(coCut, Slot);
}

void MRContainerPanel::PasteInsertRow(int Slot) {
    ClipboardCommand(coPasteInsert, Slot);
}

void MRContainerPanel::PasteOverRow(int Slot) {
    ClipboardCommand(coPasteOver, Slot);
}
