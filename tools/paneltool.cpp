// paneltool: drives a module editor offscreen from a script, for checks from the shell.
//
//   paneltool run FILE.LST KIND SCRIPT [OUT.LST]
//   paneltool sample OUT.LST          writes the built-in sample project
//
// Builds KIND's list (W, N, P, FE, FD, FS, Z, R or S) over the program of FILE.LST in a bare window with the
// module menu, runs the script's commands one per line and prints, one item per line, every numbered message
// ("message CODE/SUBCODE ARGS -> ANSWER"), plain box ("plain TEXT") and asked field help ("hint
// TEXT", LF and CR written \n and \r) and modal dialog ("dialog TITLE -> ok|cancel": filled and closed
// with OK by the next queued "dialog" answer, whose checks run as for a user, else cancelled at once); at the
// end the focus ("focus ENTRY TAG" or "focus none"), the scroll bar ("scrollbar enabled|disabled") and the
// listing of KIND's list. With OUT.LST the whole project is written there. A bad script line: "script error
// LINE: TEXT" on stderr and exit 2; an unreadable file: exit 1.
//
// Commands: answer BITS | dialog goto N | dialog special copy|move|delete|new FROM..TO [in N] [by Y]
// [shift] [gaps] [mirror] [clear] | dialog cancel (an answer for the next dialog; one left unused at the
// end is a script error) | goto N | focus N TAG | click N TAG | type TEXT | key SEQ | menu ITEM |
// select N..M (either way round) | hint N TAG | drag N[..M] [alt] ONTO TARGET | dragfrom KIND N[..M] [of
// OTHER.LST] ONTO TARGET, with TARGET either "M TAG" (that cell of the row of entry M) or "free".

#include "editors/ModuleMenu.h"
#include "editors/NumEdit_m.h"
#include "editors/RFDPanel_m.h"
#include "editors/RFEPanel_m.h"
#include "editors/RFSPanel_m.h"
#include "editors/RNPanel_m.h"
#include "editors/RPPanel_m.h"
#include "editors/RRPanel_m.h"
#include "editors/RSPanel_m.h"
#include "editors/RWPanel_m.h"
#include "editors/RZPanel_m.h"
#include "editors/SpecFuncForm.h"
#include "model/MClpBrd.h"
#include "model/ULstFile.h"
#include "model/UcstmExp.h"
#include "platform/PlainFile.h"
#include "tests/editors/RowDragSupport.h"
#include "tools/SampleProject.h"
#include "ui/Adapter.h"
#include "ui/LanguagePack.h"
#include "ui/ModalForm.h"
#include "ui/PopupMenu_m.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/checkbox_m.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

void Print(FILE* Stream, const QString& Line) {
    const QByteArray bytes = (Line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), Stream);
}

QString Escaped(QString Text) {
    Text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    Text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    Text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return Text;
}

// The message boxes: answers from the script's queue, else the lowest button; each one printed. The
// plain boxes of errors that carry no message number (a cell's value out of range) are printed too:
// nobody is there to close a box the tool would show.
class ToolMessages : public MMessageService {
public:
    ToolMessages() : FOld(MessageBox), FOldPlain(TApplication::PlainMessage) {
        MessageBox = this;
        TApplication::PlainMessage = [this](const QString& Text) { ShowPlainMessage(Text); };
    }
    ~ToolMessages() override {
        MessageBox = FOld;
        TApplication::PlainMessage = FOldPlain;
    }
    int ShowCodeMessage(int Code, int SubCode, const QString& Args, int Buttons) override {
        int answer = Buttons & -Buttons;
        if (!Answers.empty()) {
            answer = Answers.front();
            Answers.pop_front();
        }
        Print(stdout, QStringLiteral("message %1/%2 %3 -> %4").arg(Code).arg(SubCode).arg(Args).arg(answer));
        return answer;
    }
    void ShowPlainMessage(const QString& Text) override {
        Print(stdout, QStringLiteral("plain ") + Escaped(Text));
    }
    std::deque<int> Answers;

private:
    MMessageService* FOld;
    std::function<void(const QString&)> FOldPlain;
};

struct ScriptError {
    QString Text;
};

// The modal dialogs (special functions, go to). Each answer the script queued ("dialog ...") fills
// the next dialog as a user would and presses OK, so that its own checks run (a refusal prints its
// message and the dialog is then cancelled); a dialog with no answer queued is cancelled at once.
// Each is printed with how it closed.
class ToolDialogs {
public:
    ToolDialogs() {
        MModalForm::ModalHook = [this](MModalForm& Form) { Answer(Form); };
    }
    ~ToolDialogs() { MModalForm::ModalHook = nullptr; }
    // The words after "dialog": "goto N", "special OP FROM..TO [in N] [by Y] [shift] [gaps] [mirror]
    // [clear]" or "cancel"; checked when queued.
    void Queue(const QStringList& Words) {
        if (Words.isEmpty() || !(Words[0] == QLatin1String("goto") || Words[0] == QLatin1String("special") ||
                                 Words[0] == QLatin1String("cancel")))
            throw ScriptError{QStringLiteral("dialog goto|special|cancel expected")};
        if (Words[0] == QLatin1String("goto") && (Words.size() != 2 || !IsNumber(Words[1])))
            throw ScriptError{QStringLiteral("dialog goto N expected")};
        if (Words[0] == QLatin1String("special"))
            ParseSpecial(Words);
        FAnswers.push_back(Words);
    }
    // After a script line: an answer that did not fit its dialog; at the end: an answer left unused.
    void Check(bool AtEnd) {
        if (!FError.isEmpty())
            throw ScriptError{std::exchange(FError, QString())};
        if (AtEnd && !FAnswers.empty())
            throw ScriptError{QStringLiteral("a dialog answer was not used: ") + FAnswers.front().join(u' ')};
    }

private:
    // The special functions' pages by their script words, in the dialog's order.
    static const QStringList& SpecialPages() {
        static const QStringList pages = {QStringLiteral("copy"), QStringLiteral("move"),
                                          QStringLiteral("delete"), QStringLiteral("new")};
        return pages;
    }
    static bool IsNumber(const QString& Text) {
        bool ok = false;
        Text.toInt(&ok);
        return ok;
    }
    static std::pair<int, int> Range(const QString& Text) {
        const QStringList parts = Text.split(QStringLiteral(".."));
        bool a = false, b = false;
        const int from = parts.value(0).toInt(&a), to = parts.value(parts.size() - 1).toInt(&b);
        return parts.size() <= 2 && a && b ? std::pair{from, to} : std::pair{-1, -1};
    }
    void Answer(MModalForm& Form) {
        const QString title = Form.windowTitle();
        if (FAnswers.empty() || FAnswers.front()[0] == QLatin1String("cancel")) {
            if (!FAnswers.empty())
                FAnswers.pop_front();
            Print(stdout, QStringLiteral("dialog %1 -> cancel").arg(title));
            Form.SetModalResult(mrCancel);
            return;
        }
        const QStringList w = FAnswers.front();
        FAnswers.pop_front();
        if (auto* go = dynamic_cast<TGoToForm*>(&Form); go && w[0] == QLatin1String("goto")) {
            go->IDEdit->SetValue(w[1].toInt());
            go->MButton2Click();
        } else if (auto* sf = dynamic_cast<TSpecialFuncForm*>(&Form);
                   sf && w[0] == QLatin1String("special")) {
            FillSpecial(*sf, w);
            sf->OkBtnClick();
        } else {
            // Raised later, outside the window's own error handling.
            FError = QStringLiteral("the dialog %1 does not take: %2").arg(title, w.join(u' '));
            Form.SetModalResult(mrCancel);
            return;
        }
        const bool ok = Form.ModalResult() == mrOk;
        if (!ok)
            Form.SetModalResult(mrCancel);
        Print(stdout, QStringLiteral("dialog %1 -> %2")
                          .arg(title, ok ? QStringLiteral("ok") : QStringLiteral("cancel")));
    }
    // The special functions' answer in its words; a word the page does not take is a script error
    // of the line that queued it, before any dialog runs.
    struct TSpecialAnswer {
        int Page = 0;
        std::pair<int, int> Range;
        std::optional<int> In, By;
        bool Shift = false, Gaps = false, Mirror = false, Clear = false;
    };
    static TSpecialAnswer ParseSpecial(const QStringList& W) {
        TSpecialAnswer a;
        if (W.size() < 3 || !SpecialPages().contains(W[1]) || Range(W[2]).first < 0)
            throw ScriptError{QStringLiteral("dialog special copy|move|delete|new FROM..TO expected")};
        a.Page = int(SpecialPages().indexOf(W[1]));
        a.Range = Range(W[2]);
        for (int i = 3; i < W.size(); ++i) {
            const QString& word = W[i];
            const bool withNumber = word == QLatin1String("in") || word == QLatin1String("by");
            if (withNumber && a.Page < 2 && i + 1 < W.size() && IsNumber(W[i + 1]))
                (word == QLatin1String("in") ? a.In : a.By) = W[++i].toInt();
            else if (word == QLatin1String("shift") && a.Page != 2)
                a.Shift = true;
            else if (word == QLatin1String("gaps") && a.Page < 2)
                a.Gaps = true;
            else if (word == QLatin1String("mirror") && a.Page < 2)
                a.Mirror = true;
            else if (word == QLatin1String("clear") && a.Page == 2)
                a.Clear = true;
            else
                throw ScriptError{QStringLiteral("the special page does not take: ") + word};
        }
        return a;
    }
    static void FillSpecial(TSpecialFuncForm& Form, const QStringList& W) {
        const TSpecialAnswer a = ParseSpecial(W);
        const bool copy = a.Page == 0;
        Form.SpecFuncPage->setCurrentIndex(a.Page);
        MNumEdit* const fromEdits[] = {Form.CopyFrom, Form.MoveFrom, Form.DeleteFrom, Form.NewFrom};
        MNumEdit* const toEdits[] = {Form.CopyTo, Form.MoveTo, Form.DeleteTo, Form.NewTo};
        fromEdits[a.Page]->SetValue(a.Range.first);
        toEdits[a.Page]->SetValue(a.Range.second);
        if (a.In)
            (copy ? Form.CopyIN : Form.MoveIn)->SetValue(*a.In);
        if (a.By)
            (copy ? Form.CopyByY : Form.MoveByY)->SetValue(*a.By);
        if (a.Shift)
            (copy          ? Form.CopyInsertChk
             : a.Page == 1 ? Form.MoveInsertChk
                           : Form.NewInsertChk)
                ->setChecked(true);
        if (a.Gaps)
            (copy ? Form.CopyDeleteGapChk : Form.MoveDeleteGapChk)->setChecked(true);
        if (a.Mirror)
            (copy ? Form.CopyInvertedChk : Form.MoveInvertedChk)->setChecked(true);
        if (a.Clear)
            Form.DeleteClearChk->setChecked(true);
    }

    std::deque<QStringList> FAnswers;
    QString FError;
};

// The kinds the tool edits, one line each: list kind, the container over a project, and whether its
// window has the knitting-scheme menu (with the mirrored pastes).
struct TToolKind {
    int Kind;
    MRContainerPanel* (*Make)(MProject& Project, QWidget* Owner);
    bool SchemeMenu;
};

const std::vector<TToolKind>& ToolKinds() {
    static const std::vector<TToolKind> kinds = {
        {lkW,
         [](MProject&, QWidget* Owner) -> MRContainerPanel* { return new MRWContainerPanel(Owner, Owner); },
         false},
        {lkN,
         [](MProject&, QWidget* Owner) -> MRContainerPanel* { return new MRNContainerPanel(Owner, Owner); },
         false},
        {lkP,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             return new MRPContainerPanel(Owner, &Project.Palette(), Owner);
         },
         false},
        {lkFE,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             return new MRFEContainerPanel(Owner, &Project.Palette(), Owner);
         },
         false},
        {lkFD,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             const MMachineInfo& machine = Project.Program().Machine;
             return new MRFDContainerPanel(Owner, machine.Category, machine.Model, Owner);
         },
         false},
        {lkFS,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             const MMachineInfo& machine = Project.Program().Machine;
             return new MRFSContainerPanel(Owner, machine.Category, machine.Model, Owner);
         },
         false},
        {lkZ,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             const MMachineInfo& machine = Project.Program().Machine;
             return new MRZContainerPanel(Owner, std::clamp(int(machine.Category), 1, 4), machine.Model,
                                          &Project.Palette(), Owner);
         },
         true},
        {lkR,
         [](MProject& Project, QWidget* Owner) -> MRContainerPanel* {
             return new MRRContainerPanel(Owner, std::clamp(int(Project.Program().Machine.Category), 1, 4),
                                          Owner);
         },
         false},
        {lkS,
         [](MProject&, QWidget* Owner) -> MRContainerPanel* { return new MRSContainerPanel(Owner, Owner); },
         false},
    };
    return kinds;
}

const TToolKind* ToolKindOf(int Kind) {
    for (const TToolKind& k : ToolKinds())
        if (k.Kind == Kind)
            return &k;
    return nullptr;
}

std::optional<int> KindOfLetters(const QString& Letters) {
    for (const TToolKind& k : ToolKinds())
        if (Letters.compare(KindLetters(k.Kind), Qt::CaseInsensitive) == 0)
            return k.Kind;
    return std::nullopt;
}

// A bare window holding one list of a project, with the module menu.
class Host : public MForm {
public:
    Host(MProject& Project, int Kind, TMUnvClipBoard& Clipboard, MLanguagePack* Pack) {
        new MLanguageAdapter(this);
        SetLanguagePack(Pack);
        SetResourceLanguage(LanguageEnglish);
        const TToolKind* kind = ToolKindOf(Kind);
        Container = kind->Make(Project, this);
        Container->Project = &Project;
        Container->SetClipboard(&Clipboard);
        Container->InitLayout(0);
        Container->SetPopupMenu(MakeModulePopupMenu(this, kind->SchemeMenu));
        FinishLoading();
        Container->SetItems(&Project.Program().List(Kind));
        resize(Container->width() + 4, std::max(8 * 30, 2 * (Container->RowHeight + Container->RowGap)) + 8);
        show();
        Activate();
        Container->SetVisibleRows(8);
        QApplication::processEvents();
    }
    void Activate() {
        QApplication::setActiveWindow(this);
        activateWindow();
        QApplication::processEvents();
    }
    ~Host() override { DestroyComponents(); }
    MRContainerPanel* Container;
};

class Runner {
public:
    Runner(MMemoryProject& Project, int Kind)
        : FProject(Project), FHost(Project, Kind, FClipboard, English(FPack)), FKind(Kind) {}

    void Line(const QString& Text) {
        QStringList w = Text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0].startsWith(QLatin1Char('#')))
            return;
        const QString cmd = w.takeFirst();
        MRContainerPanel& c = *FHost.Container;
        if (cmd == QLatin1String("answer") && w.size() == 1) {
            FMessages.Answers.push_back(Int(w[0]));
        } else if (cmd == QLatin1String("dialog")) {
            FDialogs.Queue(w);
        } else if (cmd == QLatin1String("goto") && w.size() == 1) {
            const int number = Int(w[0]);
            GuardedAction([&] { c.GotoItem(number); });
        } else if (cmd == QLatin1String("focus") && w.size() == 2) {
            Focus(Cell(c, Int(w[0]), Int(w[1])));
        } else if (cmd == QLatin1String("click") && w.size() == 2) {
            QWidget* cell = Cell(c, Int(w[0]), Int(w[1]));
            QTest::mouseClick(cell, Qt::LeftButton);
        } else if (cmd == QLatin1String("type") && !w.isEmpty()) {
            QTest::keyClicks(Focused(), Text.section(QLatin1Char(' '), 1));
        } else if (cmd == QLatin1String("key") && w.size() == 1) {
            const QKeySequence seq(w[0]);
            if (seq.isEmpty() || seq[0].key() == Qt::Key_unknown)
                throw ScriptError{QStringLiteral("unknown key")};
            QTest::keyClick(Focused(), seq[0].key(), seq[0].keyboardModifiers());
        } else if (cmd == QLatin1String("menu") && w.size() == 1) {
            Menu(c, w[0]);
        } else if (cmd == QLatin1String("select") && w.size() == 1) {
            auto [first, last] = Range(w[0]);
            Select(c, first, last);
        } else if (cmd == QLatin1String("hint") && w.size() == 2) {
            QWidget* cell = Cell(c, Int(w[0]), Int(w[1]));
            auto* row = static_cast<MRBasePanel*>(cell->parentWidget());
            QString help;
            row->GetFieldHint(cell, help);
            Print(stdout, QStringLiteral("hint ") + Escaped(cell->toolTip() + help));
        } else if (cmd == QLatin1String("drag") && !w.isEmpty()) {
            Drag(c, w);
        } else if (cmd == QLatin1String("dragfrom") && w.size() >= 2) {
            const std::optional<int> kind = KindOfLetters(w.takeFirst());
            if (!kind)
                throw ScriptError{QStringLiteral("unknown kind")};
            const QString range = w.takeFirst();
            MProject* project = &FProject;
            if (w.size() >= 2 && w[0] == QLatin1String("of")) {
                auto other = std::make_unique<MMemoryProject>();
                LoadProjectFile(*other, w[1]);
                project = other.get();
                FProjects.push_back(std::move(other));
                w = w.mid(2);
            }
            FOthers.push_back(std::make_unique<Host>(*project, *kind, FClipboard, FPack.OLanguagePack));
            // The edited window stays the active one.
            FHost.Activate();
            w.prepend(range);
            DragFrom(*FOthers.back()->Container, c, w);
        } else {
            throw ScriptError{QStringLiteral("unknown command")};
        }
        QApplication::processEvents();
        FDialogs.Check(false);
        // A closed dialog gives the window back its activation, as the desktop would.
        if (!QApplication::activeWindow())
            FHost.Activate();
    }

    // A dialog answer left unused is a script error.
    void CheckDialogsUsed() { FDialogs.Check(true); }
    void Finish() {
        MRContainerPanel& c = *FHost.Container;
        QApplication::processEvents();
        QWidget* f = QApplication::focusWidget();
        MRBasePanel* row = nullptr;
        for (QWidget* p = f; p && !row; p = p->parentWidget())
            row = dynamic_cast<MRBasePanel*>(p);
        if (row && row->Container() == &c && f != row)
            Print(stdout, QStringLiteral("focus %1 %2").arg(row->EntryNumber).arg(WidgetTag(f)));
        else
            Print(stdout, QStringLiteral("focus none"));
        Print(stdout, c.ScrollBar()->isEnabled() ? QStringLiteral("scrollbar enabled")
                                                 : QStringLiteral("scrollbar disabled"));
        const MUnvList& list = FProject.Program().List(FKind);
        for (int i = 0; i < list.Count(); ++i) {
            QStringList lines = list.ItemAt(i).ListingLine().split(QStringLiteral("\r\n"));
            while (lines.size() > 1 && lines.last().isEmpty())
                lines.removeLast();
            for (const QString& line : lines)
                Print(stdout, line);
        }
    }

private:
    static MLanguagePack* English(TDMLanguagePack& Pack) {
        Pack.OLanguagePack->SetLanguageNumber(LanguageEnglish);
        return Pack.OLanguagePack;
    }
    static int Int(const QString& Text) {
        bool ok = false;
        const int v = Text.toInt(&ok);
        if (!ok)
            throw ScriptError{QStringLiteral("not a number: ") + Text};
        return v;
    }
    // N or N..M, lowest first: 7..4 is the run a user selects from 7 up to 4.
    static std::pair<int, int> Range(const QString& Text) {
        const int dots = Text.indexOf(QStringLiteral(".."));
        if (dots < 0)
            return {Int(Text), Int(Text)};
        const int first = Int(Text.left(dots)), last = Int(Text.mid(dots + 2));
        return {std::min(first, last), std::max(first, last)};
    }
    static QWidget* Focused() {
        QWidget* f = QApplication::focusWidget();
        if (!f)
            throw ScriptError{QStringLiteral("nothing has the focus")};
        return f;
    }
    static void Focus(QWidget* W) {
        W->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    // The row that shows entry N, brought into view.
    static MRBasePanel* RowOf(MRContainerPanel& C, int Number) {
        for (int pass = 0; pass < 2; ++pass) {
            for (MRBasePanel* r : C.Rows())
                if (r->isVisible() && r->EntryNumber == Number)
                    return r;
            GuardedAction([&] { C.GotoItem(Number); });
            QApplication::processEvents();
        }
        throw ScriptError{QStringLiteral("no row shows %1").arg(Number)};
    }
    static QWidget* Cell(MRContainerPanel& C, int Number, int Tag) {
        QWidget* cell = RowOf(C, Number)->FindCell(Tag);
        if (!cell)
            throw ScriptError{QStringLiteral("no cell %1").arg(Tag)};
        return cell;
    }
    static void Select(MRContainerPanel& C, int First, int Last) {
        MUnvList& list = *C.Items();
        list.SelectNone();
        for (int n = First; n <= Last; ++n)
            if (list.Lookup(n))
                list.SetSelected(n, true);
        C.RefreshRows();
    }
    void Menu(MRContainerPanel& C, const QString& Item) {
        MPopupMenu* menu = C.PopupMenu();
        QAction* action = nullptr;
        for (QAction* a : menu->actions())
            if (a->objectName() == Item)
                action = a;
        if (!action)
            throw ScriptError{QStringLiteral("no menu item ") + Item};
        // The popup's target is the focused row.
        C.PopupRow = C.PopupNumber = -1;
        for (MRBasePanel* r : C.Rows())
            if (r->isVisible() && r->isAncestorOf(QApplication::focusWidget())) {
                C.PopupRow = r->PanelIndex;
                C.PopupNumber = r->EntryNumber;
            }
        action->trigger();
    }
    void Drag(MRContainerPanel& C, QStringList W) { DragFrom(C, C, W); }
    // W: N[..M] [alt] ONTO TARGET...
    void DragFrom(MRContainerPanel& Source, MRContainerPanel& Target, QStringList W) {
        const QString range = W.takeFirst();
        bool alt = false;
        if (!W.isEmpty() && W[0] == QLatin1String("alt")) {
            alt = true;
            W.removeFirst();
        }
        if (W.isEmpty() || W.takeFirst() != QLatin1String("ONTO") || W.isEmpty())
            throw ScriptError{QStringLiteral("ONTO TARGET expected")};
        auto [first, last] = Range(range);
        if (range.contains(QStringLiteral("..")))
            Select(Source, first, last);
        else {
            Source.Items()->SetSelected(first, false);
            Source.RefreshRows();
        }
        MRBasePanel* row = RowOf(Source, first);
        Source.BeginRowDrag(row->PanelIndex, alt);
        QWidget* to = nullptr;
        QPoint at;
        if (W.size() == 1 && W[0] == QLatin1String("free")) {
            to = &Target;
            at = QPoint(4, Target.height() - 4);
            for (MRBasePanel* r : Target.Rows())
                if (r->isVisible())
                    at.setY(std::max(at.y(), std::min(Target.height() - 2, r->geometry().bottom() + 2)));
        } else if (W.size() == 2) {
            QWidget* cell = Cell(Target, Int(W[0]), Int(W[1]));
            to = cell->parentWidget();
            at = cell->geometry().center();
        } else {
            throw ScriptError{QStringLiteral("bad target")};
        }
        dragtest::DeliverRowsDrag(&Source, *to, at);
    }

    MMemoryProject& FProject;
    TDMLanguagePack FPack;
    TMUnvClipBoard FClipboard;
    ToolMessages FMessages;
    ToolDialogs FDialogs;
    Host FHost;
    int FKind;
    std::vector<std::unique_ptr<MMemoryProject>> FProjects;
    std::vector<std::unique_ptr<Host>> FOthers;
};

constexpr const char* UsageText = "usage: paneltool run FILE.LST KIND SCRIPT [OUT.LST]\n";

int Usage() {
    std::fputs(UsageText, stderr);
    return 2;
}

// Writes the whole project to Path: 0, or 1 after saying why not.
int Save(MMemoryProject& Project, const QString& Path) {
    try {
        SaveMachineFile(Path, Project.Lists.Machine, Project.Lists.Lists());
    } catch (...) {
        std::fprintf(stderr, "paneltool: cannot write %s\n", qPrintable(Path));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("sample")) {
        // The built-in sample project of the screenshots, for scripts to run against.
        MMemoryProject sample;
        FillSampleProject(sample);
        return Save(sample, args[2]);
    }
    if (args.size() == 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")))
        return std::fputs(UsageText, stdout), 0;
    if (args.size() < 5 || args.size() > 6 || args[1] != QLatin1String("run"))
        return Usage();
    const std::optional<int> kind = KindOfLetters(args[3]);
    if (!kind) {
        std::fputs("paneltool: unknown kind\n", stderr);
        return 2;
    }
    MMemoryProject project;
    try {
        LoadProjectFile(project, args[2]);
    } catch (...) {
        std::fprintf(stderr, "paneltool: cannot read %s\n", qPrintable(args[2]));
        return 1;
    }
    QStringList lines;
    try {
        // A script is a few lines; a megabyte holds far more than any.
        lines = QString::fromUtf8(ReadPlainFile(args[4], 1 << 20)).split(QLatin1Char('\n'));
    } catch (const Exception& e) {
        std::fprintf(stderr, "paneltool: %s\n", qPrintable(e.Message()));
        return 1;
    }
    {
        Runner runner(project, *kind);
        for (int i = 0; i < lines.size(); ++i) {
            try {
                runner.Line(lines[i].trimmed());
            } catch (const ScriptError& e) {
                std::fprintf(stderr, "script error %d: %s\n", i + 1, qPrintable(e.Text));
                return 2;
            }
        }
        try {
            runner.CheckDialogsUsed();
        } catch (const ScriptError& e) {
            std::fprintf(stderr, "script error %d: %s\n", int(lines.size()), qPrintable(e.Text));
            return 2;
        }
        runner.Finish();
    }
    return args.size() == 6 ? Save(project, args[5]) : 0;
}
