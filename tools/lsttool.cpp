// lsttool: drives the machine program file model from the shell.
//   lsttool list FILE        the machine, then the listing of every module, list by list
//   lsttool copy IN OUT      reads IN and writes OUT through the writer
//   lsttool validate FILE    one line per module that fails validation
//   lsttool apply IN OUT OP...
//                            reads IN, applies the operations to its lists in order (one module
//                            clipboard for them all) and writes OUT; each OP is one argument:
//     select K N...  selectnone K  copyblock K FROM TO COUNT  moveblock K FROM TO COUNT  mirror K N
//     copyrange K FROM TO IN [gaps] [mirror] [movedest] [by=Y]  moverange (the same words)
//     deleterange K FROM TO [clear]  newitems K FROM TO [movedest]
//     copy K N  cut K N  pasteinsert K AT  pasteover K AT  pasteinsertm K AT  pasteoverm K AT
//     drop K FILE N AT  dropsel K FILE AT N...
//     pack FILE [ff=K:N]... [slimit=N] [scounter=N] [override=N] [colshift=N] [lineshift=N]
//          [linemap=A,B,C,D,E,F,G,H,I,J]
//     zorder  sgap N
//   K is a kind's letters (P N Z R S W FS FD FE C). An operation that raises prints
//   "error <op> <code>/<subcode> <args>" (other errors "error <op> <text>"), a plain text the model
//   shows prints "message <op> <text>", and the next operation runs.
//   lsttool run FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N] [--style S] [--side F]
//               [--small] [--beds]
//                            runs the program through the stitch simulation, one trace line per
//                            step with the interpreter's registers and the engine's beds (see the
//                            usage text for the lines and the exit statuses)
//   lsttool test FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N] [--lang en|ar]
//                            the program test: the static checks, then the run with the checks
//                            after every step, one line per finding and a result line
//   lsttool mod FILE          the fields of a library entry's header, one "<Name> <value>" per line
//   lsttool import PROJECT ENTRY OUT [--x N] [--y N] [--offset N] [--ybelow N] [--after K]
//               [--fixed X1,X2,Y1,Y2[,C1,...,C6]] [--rib]
//                            imports a library entry into a project as a new stripe and writes
//                            the project as OUT (.LST, .BMP, .JXW), printing its stripes
//   lsttool export PROJECT FROM TO OUTBASE [--fixed STRUCTURE --colors N]
//                            writes S lines FROM..TO of a project as a library entry OUTBASE (.mod,
//                            .LST, .bmp, .pt2; a fixed program only .mod and .LST) and prints its
//                            header as mod does
// lsttool --help (or -h) prints the usage on stdout.
// A file that cannot be read (a folder, pipe or device among them) is reported on stderr; nothing is written
// and the exit code is 1. An unknown operation or a malformed number exits with 2 before anything runs.

#include "ShellRun.h"
#include "ToolCatalog.h"
#include "app/LBoardSh.h"
#include "app/UExportEntry.h"
#include "app/UGtestDraw.h"
#include "app/ULibFiles.h"
#include "app/UProjectFiles.h"
#include "app/UStripImport.h"
#include "imaging/ImageIO.h"
#include "model/MClpBrd.h"
#include "model/UGtstEng.h"
#include "model/UGtstTrace.h"
#include "model/UPacking.h"
#include "model/UPtestRun.h"
#include "model/UcstmExp.h"
#include "model/UseqTrace.h"
#include "model/Usequencer.h"
#include "model/UunvDta.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "ui/UmessageCatalog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {
void Print(FILE* Stream, const QString& Line) {
    const QByteArray bytes = (Line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), Stream);
}

// The usage text: on stderr for a usage error (exit status 2), on stdout when asked for.
int Usage(FILE* Stream = stderr) {
    Print(
        Stream,
        QStringLiteral(
            "usage: lsttool list FILE | copy IN OUT | validate FILE | apply IN OUT OP... | run ... | test "
            "... | gtest ... | mod FILE | import ... | export ...\n"
            "lsttool mod FILE: the header of a library entry (.mod), one \"<Name> <value>\" per field\n"
            "  in file order; a damaged header is reported on stderr with exit 1.\n"
            "lsttool import PROJECT ENTRY OUT [--x N] [--y N] [--offset N] [--ybelow N] [--after K]\n"
            "  [--fixed X1,X2,Y1,Y2[,C1,...,C6]] [--rib]: imports the library entry ENTRY (its path\n"
            "  without extension; a library module unless --fixed or --rib) into the project as a new\n"
            "  stripe, appended or inserted after the stripe with id K, writes OUT.LST, OUT.BMP and\n"
            "  OUT.JXW (all or none) and prints \"stripe <id> <first S> <last S> <name>\" per stripe.\n"
            "  A library module made for another machine is refused. A failed import writes nothing\n"
            "  and exits 1.\n"
            "lsttool export PROJECT FROM TO OUTBASE [--fixed striped|twilled|tubular|tubular1_1|\n"
            "  tubular2_1|links --colors N]: writes S lines FROM..TO of the project, with every module\n"
            "  they reach, as the library entry OUTBASE (its path without extension): .mod, .LST, .bmp\n"
            "  and .pt2, or with --fixed a fixed program of N colours (2..6), .mod and .LST only. An\n"
            "  entry of that name already there is an error. Prints the header as mod does; errors go\n"
            "  to stderr with exit 1 and nothing written.\n"
            "lsttool run: runs the program of a machine file through the stitch simulation.\n") +
            ShellRunOptionsText() +
            QStringLiteral(
                "  Output (stdout, one line each, numbers in decimal):\n"
                "    machine <model> e<gauge> systems <n> width <W> picture <w>x<h>\n"
                "    start res=<r> fin=<0|1> rows=<rows> settle=<steps> yc=<carriers> f=<findings> "
                "cur=<finding>\n"
                "    starts <c>:<p1>,..,<p8> ...      the start records of C entry 1 in use, or \"starts "
                "-\"\n"
                "    step <k> res=<r> exec=<0|1> mode=<m> s=<S> bp=<b> cp=<c> z=<Z> sys=<s> new=<SZR> "
                "rows=<rows>\n"
                "         fin=<0|1> zt=<f>,<r> cam=<f>,<r> ff=<carriers>/<offset> rk=<position>,<transfer>\n"
                "         yc=<carriers> f=<findings> cur=<finding>\n"
                "         act=<k>,<t>,<o>,<n>/<k>,<t>,<o>,<n> stF=<stitches> stR=<stitches> dr=<row> "
                "sf=<0|1>\n"
                "         course=<sides>                                   (all on one line)\n"
                "    bed act F|R <value>*<count> ...  bed st F|R <word>*<count> ...    (with --beds)\n"
                "    end <finished|limit> steps=<k> rows=<rows>\n"
                "  s bp cp z sys new are the S line, block pass, cycle pass, Z row, system and new-line\n"
                "  flags of the step; zt cam ff rk describe the system executed (\"-\" when none ran).\n"
                "  Carriers: <c>.<rail>:<needle> after the start, <c>.<rail>:<before>><after> after a\n"
                "  step, \"*\" when it knitted. Findings: <id>:<args>:<list kind>:<number>, \"~\" when\n"
                "  finding 112 held it back, \",+<n>\" for more than 1000; \"-\" for none.\n"
                "  act: the front, then the rear needles that knit, tuck, transfer out and receive (\"-\"\n"
                "  when no system ran). stF, stR: the front and rear stitch beds, <code>x<count> joined by\n"
                "  \"+\" (code 1..16 the carrier, 101 empty, 103 knitted without a carrier), then \";\" and\n"
                "  the needles old, moved, dropped and knitted on the rear. dr: the display row; sf: the\n"
                "  stitch flag; course: the sides whose course was completed (F, R, FR or -). Bed lines\n"
                "  give whole beds in runs: needle states in decimal, stitch words in six hex digits.\n"
                "lsttool test FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N] [--lang en|ar]:\n"
                "  the program test: the static checks of the lists, then the run through the stitch\n"
                "  simulation with the checks after every step and at the end. FILE, PICTURE, --blank,\n"
                "  --palette and --steps as for run (--style, --side, --small and --beds are refused);\n"
                "  --lang chooses the language of the texts (default en).\n"
                "  Output (stdout): one line per finding, in the order listed, then the result:\n"
                "    <phase> <S> <Z> <code>/<subcode> <kind> <number> <args> | <text>\n"
                "    result finished steps=<n> findings=<k>     (or \"result stopped ...\" at the limit)\n"
                "  phase: start (held after the restart), static, first, step or end; S and Z: the S line\n"
                "  and Z row of the step after which it was listed (\"-\" for static and start); kind: the\n"
                "  kind's letters (P N Z R S W FS FD FE C), \"-\" for none; args: the argument text or\n"
                "  \"-\"; text: the catalogue text, its lines joined by one blank. Exit status: 0 the test\n"
                "  finished; 3 the step limit was reached (the end checks did not run); 1 the program\n"
                "  cannot run (nothing on stdout); 2 usage.\n"
                "lsttool gtest OUT.bmp FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N]\n"
                "    [--style S] [--side F] [--small]: the graphic test: runs the program through the\n"
                "  stitch simulation, draws the fabric as the Graphic Test window does (a white board of\n"
                "  3000 columns, needle n in column 20 + n in the colour drawings) and writes the board as\n"
                "  a 24-bit BMP. Arguments after OUT as for run (--beds is refused).\n"
                "  Output (stdout): gtest <finished|limit> steps=<n> row=<fabric row> width=<columns>\n"
                "    height=<lines>\n"
                "  Exit status: 0 finished; 3 the step limit was reached (the board drawn so far is\n"
                "  written); 1 the program cannot run or OUT cannot be written (nothing on stdout, nothing\n"
                "  written); 2 usage.\n"));
    return exitUsage;
}

void List(MProgramLists& Program) {
    Print(stdout, QStringLiteral("machine %1 e%2").arg(Program.Machine.Model).arg(Program.Machine.Gauge));
    for (MUnvList* list : Program.Lists())
        for (int i = 0; i < list->Count(); ++i) {
            QStringList lines = list->ItemAt(i).ListingLine().split(QStringLiteral("\r\n"));
            while (lines.size() > 1 && lines.last().isEmpty())
                lines.removeLast();
            for (const QString& line : lines)
                Print(stdout, line);
        }
}

void Validate(MProgramLists& Program) {
    for (MUnvList* list : Program.Lists())
        for (int i = 0; i < list->Count(); ++i) {
            const MUnvBase& m = list->ItemAt(i);
            try {
                m.Validate();
            } catch (const MException& e) {
                Print(stdout, QStringLiteral("%1 %2 %3/%4")
                                  .arg(KindLetters(list->Kind))
                                  .arg(m.Number)
                                  .arg(e.Code)
                                  .arg(e.SubCode));
            }
        }
}

// ---- apply.

// An operation that cannot be understood: exit 2 before anything runs.
struct BadOperation {
    QString Text;
};

// Prints what the model shows while the operations run, marked with the operation's number.
class PrintedMessages : public MMessageService {
public:
    int Current = 0;
    int ShowCodeMessage(int Code, int SubCode, const QString& Args, int) override {
        Print(stdout,
              QStringLiteral("message %1 %2/%3 %4").arg(Current).arg(Code).arg(SubCode).arg(Args).trimmed());
        return mbCancel;
    }
    void ShowPlainMessage(const QString& Text) override {
        Print(stdout, QStringLiteral("message %1 %2").arg(Current).arg(Text));
    }
};

// The words of one operation, read from the left.
class OpWords {
public:
    explicit OpWords(const QString& Op) : FWords(Op.split(QLatin1Char(' '))), FOp(Op) {}
    const QString& Name() const { return FWords[0]; }
    bool AtEnd() const { return FPos >= FWords.size(); }
    QString Next() {
        if (AtEnd())
            throw BadOperation{QStringLiteral("too few words in \"%1\"").arg(FOp)};
        return FWords[FPos++];
    }
    int Number() { return ToNumber(Next()); }
    int Kind() {
        const QString letters = Next();
        for (int k = 1; k <= ListKindCount; ++k)
            if (letters == KindLetters(k))
                return k;
        throw BadOperation{QStringLiteral("unknown kind \"%1\"").arg(letters)};
    }
    std::vector<int> Rest() {
        std::vector<int> v;
        while (!AtEnd())
            v.push_back(Number());
        return v;
    }
    void End() {
        if (!AtEnd())
            throw BadOperation{QStringLiteral("unexpected \"%1\" in \"%2\"").arg(FWords[FPos], FOp)};
    }
    static int ToNumber(const QString& Word) {
        bool ok = false;
        const int n = Word.toInt(&ok);
        if (!ok)
            throw BadOperation{QStringLiteral("malformed number \"%1\"").arg(Word)};
        return n;
    }

private:
    QStringList FWords;
    qsizetype FPos = 1;
    QString FOp;
};

// The program read from IN, the clipboard, and the operations ready to run.
class Applier {
public:
    MProgramLists Program;
    TMUnvClipBoard Clip;
    std::vector<std::function<void()>> Ops;
    // Programs read for drop and pack.
    std::vector<std::unique_ptr<MProgramLists>> Others;

    void Parse(const QString& Op);

private:
    MProgramLists& Load(const QString& File) {
        auto p = std::make_unique<MProgramLists>();
        LoadMachineFile(File, p->Machine, p->Lists());
        Others.push_back(std::move(p));
        return *Others.back();
    }
    void CheckKind(int Kind) {
        if (Clip.Kind != WindowIndexOfListKind(Kind))
            RaiseM(1020, 0);
    }
    std::function<void()> ParseRange(OpWords& W, bool Move);
    std::function<void()> ParsePaste(OpWords& W, bool Insert, bool Mirrored);
    std::function<void()> ParsePack(OpWords& W);
};

std::function<void()> Applier::ParseRange(OpWords& W, bool Move) {
    MUnvList& list = Program.List(W.Kind());
    TSpecialFuncParams params;
    params.Operation = Move ? sfMove : sfCopy;
    params.From = W.Number();
    params.To = W.Number();
    params.In = W.Number();
    while (!W.AtEnd()) {
        const QString word = W.Next();
        if (word == QLatin1String("gaps"))
            params.DeleteGaps = true;
        else if (word == QLatin1String("mirror"))
            params.Mirror = true;
        else if (word == QLatin1String("movedest"))
            params.MoveDestination = true;
        else if (word.startsWith(QLatin1String("by=")))
            params.ByY = OpWords::ToNumber(word.mid(3));
        else
            throw BadOperation{QStringLiteral("unknown option \"%1\"").arg(word)};
    }
    return [this, &list, params, Move] { list.CopyOrMoveRange(params, Move, &Clip); };
}

std::function<void()> Applier::ParsePaste(OpWords& W, bool Insert, bool Mirrored) {
    const int kind = W.Kind();
    MUnvList& list = Program.List(kind);
    const int at = W.Number();
    W.End();
    return [this, kind, &list, at, Insert, Mirrored] {
        CheckKind(kind);
        list.SelectNone();
        if (Insert)
            Mirrored ? Clip.PasteInsertMirrored(list, at) : Clip.PasteInsert(list, at);
        else
            Mirrored ? Clip.PasteOverMirrored(list, at) : Clip.PasteOver(list, at);
    };
}

std::function<void()> Applier::ParsePack(OpWords& W) {
    MProgramLists& from = Load(W.Next());
    auto pack = std::make_shared<MUnvPack>();
    for (int k = 1; k <= ListKindCount; ++k) {
        pack->Sources[std::size_t(k - 1)] = &from.List(k);
        pack->Targets[std::size_t(k - 1)] = &Program.List(k);
    }
    std::array<bool, 10> named{};
    int sLimit = from.S.MaxNumber();
    bool sCounterNamed = false;
    while (!W.AtEnd()) {
        const QString word = W.Next();
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        const QString key = word.left(eq), value = word.mid(eq + 1);
        if (eq < 0) {
            throw BadOperation{QStringLiteral("unknown option \"%1\"").arg(word)};
        } else if (key == QLatin1String("ff")) {
            OpWords kv(QStringLiteral("ff ") + QString(value).replace(QLatin1Char(':'), QLatin1Char(' ')));
            const int k = kv.Kind();
            pack->FirstFree[std::size_t(k - 1)] = kv.Number();
            kv.End();
            named[std::size_t(k - 1)] = true;
        } else if (key == QLatin1String("slimit")) {
            sLimit = OpWords::ToNumber(value);
        } else if (key == QLatin1String("scounter")) {
            pack->SCounter = OpWords::ToNumber(value);
            sCounterNamed = true;
        } else if (key == QLatin1String("override")) {
            pack->ValueOverride = OpWords::ToNumber(value);
        } else if (key == QLatin1String("colshift")) {
            pack->ColumnShift = OpWords::ToNumber(value);
        } else if (key == QLatin1String("lineshift")) {
            pack->LineShift = OpWords::ToNumber(value);
        } else if (key == QLatin1String("linemap")) {
            const QStringList lines = value.split(QLatin1Char(','));
            if (lines.size() != 10)
                throw BadOperation{QStringLiteral("the line map needs ten numbers")};
            for (int i = 0; i < 10; ++i)
                pack->LineMap[std::size_t(i)] = OpWords::ToNumber(lines[i]);
        } else {
            throw BadOperation{QStringLiteral("unknown option \"%1\"").arg(word)};
        }
    }
    return [this, pack, named, sLimit, sCounterNamed, &from] {
        // Unnamed first free numbers follow the target's largest number, taken when the operation runs.
        for (int k = 1; k <= ListKindCount; ++k)
            if (!named[std::size_t(k - 1)])
                pack->FirstFree[std::size_t(k - 1)] = CheckedAdd(Program.List(k).MaxNumber(), 1);
        if (!sCounterNamed)
            pack->SCounter = CheckedAdd(std::max(Program.S.MaxNumber(), from.S.MaxNumber()), 1);
        pack->RenumberModules(sLimit);
    };
}

void Applier::Parse(const QString& Op) {
    OpWords w(Op);
    const QString& name = w.Name();
    std::function<void()> run;
    if (name == QLatin1String("select")) {
        MUnvList& list = Program.List(w.Kind());
        const std::vector<int> numbers = w.Rest();
        run = [&list, numbers] {
            for (int n : numbers)
                list.SetSelected(n, true);
        };
    } else if (name == QLatin1String("selectnone")) {
        MUnvList& list = Program.List(w.Kind());
        run = [&list] { list.SelectNone(); };
    } else if (name == QLatin1String("copyblock") || name == QLatin1String("moveblock")) {
        MUnvList& list = Program.List(w.Kind());
        const int from = w.Number(), to = w.Number(), count = w.Number();
        const bool move = name == QLatin1String("moveblock");
        run = [&list, from, to, count, move] {
            move ? list.MoveBlock(from, to, count) : list.CopyBlock(from, to, count);
        };
    } else if (name == QLatin1String("mirror")) {
        MUnvList& list = Program.List(w.Kind());
        const int n = w.Number();
        run = [&list, n] { list.MirrorNumber(n); };
    } else if (name == QLatin1String("copyrange") || name == QLatin1String("moverange")) {
        run = ParseRange(w, name == QLatin1String("moverange"));
    } else if (name == QLatin1String("deleterange") || name == QLatin1String("newitems")) {
        MUnvList& list = Program.List(w.Kind());
        TSpecialFuncParams params;
        const bool create = name == QLatin1String("newitems");
        params.Operation = create ? sfNewItems : sfDelete;
        params.From = w.Number();
        params.To = w.Number();
        if (!w.AtEnd()) {
            const QString option = w.Next();
            if (option != QLatin1String(create ? "movedest" : "clear"))
                throw BadOperation{QStringLiteral("unknown option \"%1\"").arg(option)};
            (create ? params.MoveDestination : params.ClearItems) = true;
        }
        run = [&list, params, create] { create ? list.NewItemsRange(params) : list.DeleteRange(params); };
    } else if (name == QLatin1String("copy") || name == QLatin1String("cut")) {
        const int kind = w.Kind();
        MUnvList& list = Program.List(kind);
        const int n = w.Number();
        const bool cut = name == QLatin1String("cut");
        run = [this, kind, &list, n, cut] {
            Clip.SetKind(WindowIndexOfListKind(kind));
            cut ? Clip.Cut(list, n) : Clip.Copy(list, n);
        };
    } else if (name == QLatin1String("pasteinsert") || name == QLatin1String("pasteinsertm")) {
        run = ParsePaste(w, true, name.endsWith(QLatin1Char('m')));
    } else if (name == QLatin1String("pasteover") || name == QLatin1String("pasteoverm")) {
        run = ParsePaste(w, false, name.endsWith(QLatin1Char('m')));
    } else if (name == QLatin1String("drop")) {
        const int kind = w.Kind();
        MUnvList& list = Program.List(kind);
        const QString file = w.Next();
        const int n = w.Number(), at = w.Number();
        MUnvList& source = Load(file).List(kind);
        run = [&list, &source, n, at] { list.DropCopy(source, n, at); };
    } else if (name == QLatin1String("dropsel")) {
        const int kind = w.Kind();
        MUnvList& list = Program.List(kind);
        const QString file = w.Next();
        const int at = w.Number();
        const std::vector<int> numbers = w.Rest();
        MUnvList& source = Load(file).List(kind);
        run = [&list, &source, at, numbers] {
            for (int n : numbers)
                source.SetSelected(n, true);
            list.DropCopySelected(source, at);
        };
    } else if (name == QLatin1String("pack")) {
        run = ParsePack(w);
    } else if (name == QLatin1String("zorder")) {
        run = [this] {
            MUnvPack pack;
            for (int k = 1; k <= ListKindCount; ++k)
                pack.Targets[std::size_t(k - 1)] = &Program.List(k);
            pack.RenumberZInProgramOrder();
        };
    } else if (name == QLatin1String("sgap")) {
        const int gap = w.Number();
        run = [this, gap] { MUnvPack().AdjustSGap(Program.S, gap); };
    } else {
        throw BadOperation{QStringLiteral("unknown operation \"%1\"").arg(name)};
    }
    w.End();
    Ops.push_back(std::move(run));
}

int Apply(const QStringList& Args) {
    if (Args.size() < 3)
        return Usage();
    Applier applier;
    LoadMachineFile(Args[1], applier.Program.Machine, applier.Program.Lists());
    try {
        for (qsizetype i = 3; i < Args.size(); ++i)
            applier.Parse(Args[i]);
    } catch (const BadOperation& e) {
        Print(stderr, e.Text);
        return Usage();
    }
    PrintedMessages messages;
    MMessageService* oldBox = MessageBox;
    MessageBox = &messages;
    for (std::size_t i = 0; i < applier.Ops.size(); ++i) {
        messages.Current = int(i) + 1;
        try {
            applier.Ops[i]();
        } catch (const MException& e) {
            Print(stdout, QStringLiteral("error %1 %2/%3 %4")
                              .arg(i + 1)
                              .arg(e.Code)
                              .arg(e.SubCode)
                              .arg(e.Args)
                              .trimmed());
        } catch (const Exception& e) {
            Print(stdout, QStringLiteral("error %1 %2").arg(i + 1).arg(e.Message()));
        }
    }
    MessageBox = oldBox;
    SaveMachineFile(Args[2], applier.Program.Machine, applier.Program.Lists());
    return 0;
}

// ---- run.

// Loads the run's files from the arguments that follow the verb; the exit status when they cannot be
// had, else -1.
int LoadRun(const QStringList& Args, ShellRun& Run) {
    try {
        Run = LoadShellRun(Args);
    } catch (const ShellRunError& e) {
        Print(stderr, QStringLiteral("lsttool: ") + e.Text);
        return e.Status == exitUsage ? Usage() : e.Status;
    }
    return -1;
}

// Attaches the run's project to the engine and prints the run's notes; false, with the reason on
// stderr, when the interpreter refuses the program.
bool AttachRun(const ShellRun& Run, MGtestEngine& Engine) {
    try {
        Engine.SetProject(Run.Project.get());
    } catch (const MException& e) {
        // The interpreter refuses a program without its setup scheme.
        const bool noSetup = e.Code == ValidationBaseCode && e.SubCode == 4;
        Print(stderr,
              QStringLiteral("lsttool: %1: %2")
                  .arg(Run.File, noSetup ? QStringLiteral("the program has no setup scheme (C entry 1) "
                                                          "and cannot run")
                                         : e.Message()));
        return false;
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("lsttool: %1: %2").arg(Run.File, e.Message()));
        return false;
    }
    for (const QString& note : Run.Notes)
        Print(stderr, QStringLiteral("lsttool: ") + note);
    return true;
}

int RunProgram(const QStringList& Args) {
    ShellRun run;
    if (const int status = LoadRun(Args.mid(1), run); status >= 0)
        return status;
    MGtestEngine engine;
    ApplyShellRun(run, engine);
    if (!AttachRun(run, engine))
        return exitCannotRun;
    // The machine line goes out with the start's lines, so that a failed start prints nothing.
    const QString machine = seqtrace::MachineLine(engine.Sequencer);
    bool started = false;
    const bool ran = gtsttrace::RunTrace(engine, run.Steps, run.Beds, [&](const QString& Line) {
        if (!std::exchange(started, true))
            Print(stdout, machine);
        Print(stdout, Line);
    });
    if (!ran) {
        Print(stderr, QStringLiteral("lsttool: %1: the program could not be started").arg(run.File));
        return exitCannotRun;
    }
    if (engine.Sequencer.Regs.Finished)
        return exitFinished;
    Print(stderr, QStringLiteral("lsttool: the program did not finish within %1 steps").arg(run.Steps));
    return exitStepLimit;
}

// ---- test.

QString PhaseName(TPtPhase Phase) {
    switch (Phase) {
    case TPtPhase::Static:
        return QStringLiteral("static");
    case TPtPhase::Start:
        return QStringLiteral("start");
    case TPtPhase::First:
        return QStringLiteral("first");
    case TPtPhase::Step:
        return QStringLiteral("step");
    case TPtPhase::End:
        break;
    }
    return QStringLiteral("end");
}

QString FindingLine(const MPtFinding& F, const MMessageCatalog& Catalog, int Language) {
    const MPTerror& e = F.Error;
    const auto value = [&F](std::int32_t V) {
        return F.AfterStep() ? QString::number(V) : QStringLiteral("-");
    };
    QString text, caption;
    Catalog.LookupMessage(Language, e.Code, e.SubCode, e.Args, text, caption);
    text = text.split(QStringLiteral("\r\n")).join(QLatin1Char(' '));
    return QStringLiteral("%1 %2 %3 %4/%5 %6 %7 %8 | %9")
        .arg(PhaseName(F.Phase), value(F.SLine), value(F.ZRow))
        .arg(e.Code)
        .arg(e.SubCode)
        .arg(e.ListKind == 0 ? QStringLiteral("-") : KindLetters(e.ListKind))
        .arg(e.Number)
        .arg(e.Args.isEmpty() ? QStringLiteral("-") : e.Args, text);
}

int TestProgram(const QStringList& Args) {
    QStringList rest;
    int language = CatalogEnglish;
    for (qsizetype i = 1; i < Args.size(); ++i) {
        const QString& a = Args[i];
        if (a == QLatin1String("--lang")) {
            const QString v = i + 1 < Args.size() ? Args[++i] : QString();
            if (v != QLatin1String("en") && v != QLatin1String("ar")) {
                Print(stderr, QStringLiteral("lsttool: --lang is en or ar, not \"%1\"").arg(v));
                return Usage();
            }
            language = v == QLatin1String("ar") ? CatalogArabic : CatalogEnglish;
        } else if (a == QLatin1String("--style") || a == QLatin1String("--side") ||
                   a == QLatin1String("--small") || a == QLatin1String("--beds")) {
            Print(stderr, QStringLiteral("lsttool: test does not draw: %1 is refused").arg(a));
            return Usage();
        } else {
            rest << a;
        }
    }
    ShellRun run;
    if (const int status = LoadRun(rest, run); status >= 0)
        return status;
    MGtestEngine engine;
    if (!AttachRun(run, engine))
        return exitCannotRun;
    engine.Sequencer.StepLimit = run.Steps;
    MGtestProgramEngine adapter(engine);
    MProgramTestRun test(*run.Project, adapter);
    test.Pump = [&test, &run] {
        if (!test.Finished() && test.Steps() >= run.Steps)
            test.RequestStop();
    };
    const TPtRunEnd end = test.StartProgramTest();
    if (test.StartFailed()) {
        Print(stderr, QStringLiteral("lsttool: %1: the program could not be started").arg(run.File));
        return exitCannotRun;
    }
    const MMessageCatalog catalog = LoadCatalog();
    for (const MPtFinding& f : test.Findings())
        Print(stdout, FindingLine(f, catalog, language));
    const bool stopped = end == TPtRunEnd::Stopped;
    Print(stdout, QStringLiteral("result %1 steps=%2 findings=%3")
                      .arg(stopped ? QStringLiteral("stopped") : QStringLiteral("finished"))
                      .arg(test.Steps())
                      .arg(test.Findings().size()));
    return stopped ? exitStepLimit : exitFinished;
}

// ---- gtest.

// The board of a shell run: as many lines as a drawing area of this height shows.
constexpr int ShellBoardLines = 60;

int GraphicTest(const QStringList& Args) {
    if (Args.size() < 3 || Args.contains(QLatin1String("--beds")))
        return Usage();
    const QString out = Args[1];
    ShellRun run;
    if (const int status = LoadRun(Args.mid(2), run); status >= 0)
        return status;
    MGtestEngine engine;
    ApplyShellRun(run, engine);
    if (!AttachRun(run, engine))
        return exitCannotRun;
    engine.Sequencer.StepLimit = run.Steps;
    if (engine.ResetTest() == srStartFailed) {
        Print(stderr, QStringLiteral("lsttool: %1: the program could not be started").arg(run.File));
        return exitCannotRun;
    }
    TBoardSheet board;
    MGtestDrawing drawing(board, engine);
    drawing.LargeStitch = run.RowAdvance != 10;
    drawing.AreaLines = ShellBoardLines;
    drawing.NewBoard(MGtestDrawing::NewBoardColumns, ShellBoardLines);
    drawing.BuildStitchGlyphs();
    long long k = 0;
    while (!engine.Sequencer.Regs.Finished && k < run.Steps) {
        engine.StepTest();
        drawing.DrawStep();
        ++k;
    }
    try {
        TImageIO io;
        io.SetAttachedBitmap(&board.Raster());
        io.SaveBMP(out);
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("lsttool: %1: %2").arg(out, e.Message()));
        return exitCannotRun;
    }
    const bool finished = engine.Sequencer.Regs.Finished;
    Print(stdout, QStringLiteral("gtest %1 steps=%2 row=%3 width=%4 height=%5")
                      .arg(finished ? QStringLiteral("finished") : QStringLiteral("limit"))
                      .arg(k)
                      .arg(engine.DisplayRow)
                      .arg(drawing.BoardWidth())
                      .arg(drawing.BoardHeight()));
    return finished ? exitFinished : exitStepLimit;
}

// ---- mod and import.

int ModHeader(const QStringList& Args) {
    if (Args.size() != 2)
        return Usage();
    try {
        QFile f(Args[1]);
        if (!QFileInfo(Args[1]).isFile() || !f.open(QIODevice::ReadOnly))
            throw EModuleFile(modmsg::Unreadable, Args[1], QStringLiteral("no such file"));
        const ModuleHeader h = ReadModuleHeader(f.read(ModuleHeader::Size), Args[1]);
        for (const QString& line : ModuleHeaderLines(h))
            Print(stdout, line);
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("lsttool: ") + ErrorText(e));
        return 1;
    }
    return 0;
}

int ImportEntry(const QStringList& Args) {
    if (Args.size() < 4)
        return Usage();
    MImportPlacement placement;
    int after = 0;
    for (int i = 4; i < Args.size(); ++i) {
        const QString& a = Args[i];
        const auto number = [&](int& Value) {
            bool ok = false;
            if (i + 1 < Args.size())
                Value = Args[++i].toInt(&ok);
            return ok;
        };
        bool ok = true;
        if (a == QLatin1String("--x"))
            ok = number(placement.X);
        else if (a == QLatin1String("--y"))
            ok = number(placement.Y);
        else if (a == QLatin1String("--offset"))
            ok = number(placement.Offset);
        else if (a == QLatin1String("--ybelow"))
            ok = number(placement.YBelow);
        else if (a == QLatin1String("--after"))
            ok = number(after);
        else if (a == QLatin1String("--rib"))
            placement.Kind = ImportRib;
        else if (a == QLatin1String("--fixed") && i + 1 < Args.size()) {
            placement.Kind = ImportFixed;
            const QStringList parts = Args[++i].split(QLatin1Char(','));
            std::vector<int> values;
            for (const QString& p : parts) {
                values.push_back(p.toInt(&ok));
                if (!ok)
                    break;
            }
            ok = ok && values.size() >= 4 && values.size() <= 10;
            if (ok) {
                placement.X1 = values[0];
                placement.X2 = values[1];
                placement.Y1 = values[2];
                placement.Y2 = values[3];
                placement.Colors.assign(values.begin() + 4, values.end());
            }
        } else
            ok = false;
        if (!ok)
            return Usage();
    }
    const QFileInfo entry(Args[2]);
    placement.Folder = entry.absolutePath() + QLatin1Char('/');
    placement.Name = BaseNameOf(entry.fileName());
    try {
        std::unique_ptr<MProjectFiles> project = OpenProjectFiles(Args[1]);
        // A library module made for another machine is refused, as the station's picker hides it.
        const MMachineInfo& machine = project->Lists->Machine;
        if (placement.Kind == ImportModule &&
            !ModuleFitsMachine(ReadEntryHeader(placement.Folder, placement.Name), machine.Category,
                               machine.Model)) {
            Print(stderr, QStringLiteral("lsttool: entry %1 does not fit the project's machine %2")
                              .arg(placement.Name)
                              .arg(machine.Model));
            return 1;
        }
        MStripImport engine;
        engine.Attach(project->Lists.get(), &project->Palette, &project->Picture);
        engine.PrepareWorkingSets();
        engine.SyncStripes();
        if (after != 0) {
            engine.SelectedStripe = -2;
            for (int k = 0; k < engine.Machine().StripCount(); ++k)
                if (engine.Machine().GetStrip(k).Id == after)
                    engine.SelectedStripe = k;
            if (engine.SelectedStripe == -2) {
                Print(stderr, QStringLiteral("lsttool: no stripe %1").arg(after));
                return 1;
            }
        }
        engine.LoadModuleFile(placement);
        engine.Apply();
        SaveProjectFiles(Args[3], *project);
        for (const MStrip& strip : project->Lists->Machine.Strips())
            Print(stdout, QStringLiteral("stripe %1 %2 %3 %4")
                              .arg(strip.Id)
                              .arg(strip.FirstS)
                              .arg(strip.LastS)
                              .arg(strip.NameText()));
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("lsttool: ") + ErrorText(e));
        return 1;
    }
    return 0;
}

int ExportEntry(const QStringList& Args) {
    if (Args.size() < 5)
        return Usage();
    MExportRequest request;
    bool fromOk = false, toOk = false;
    request.FromS = Args[2].toInt(&fromOk);
    request.ToS = Args[3].toInt(&toOk);
    if (!fromOk || !toOk)
        return Usage();
    static const char* const structures[] = {"striped",    "twilled",    "tubular",
                                             "tubular1_1", "tubular2_1", "links"};
    bool colours = false;
    for (int i = 5; i < Args.size(); ++i) {
        if (Args[i] == QLatin1String("--fixed") && i + 1 < Args.size()) {
            const auto* found = std::find_if(std::begin(structures), std::end(structures),
                                             [&](const char* S) { return Args[i + 1] == QLatin1String(S); });
            if (found == std::end(structures))
                return Usage();
            request.Fixed = true;
            request.Structure = int(found - std::begin(structures));
            ++i;
        } else if (Args[i] == QLatin1String("--colors") && i + 1 < Args.size()) {
            bool ok = false;
            request.Colors = Args[++i].toInt(&ok);
            if (!ok)
                return Usage();
            colours = true;
        } else {
            return Usage();
        }
    }
    if (colours && !request.Fixed)
        return Usage();
    const QFileInfo out(Args[4]);
    request.Name = out.fileName();
    try {
        std::unique_ptr<MProjectFiles> project = OpenProjectFiles(Args[1]);
        const MExportEntry entry =
            ExportLibraryEntryTo(*project->Lists, project->Palette, project->Picture, request,
                                 out.absolutePath() + QLatin1Char('/'), request.Name, false);
        for (const QString& line : ModuleHeaderLines(entry.Header))
            Print(stdout, line);
    } catch (const Exception& e) {
        Print(stderr, QStringLiteral("lsttool: ") + ErrorText(e));
        return 1;
    }
    return 0;
}

int Run(const QStringList& Args) {
    if (Args.size() < 2)
        return Usage();
    const QString& command = Args[0];
    if (command == QLatin1String("apply"))
        return Apply(Args);
    if (command == QLatin1String("run"))
        return RunProgram(Args);
    if (command == QLatin1String("test"))
        return TestProgram(Args);
    if (command == QLatin1String("gtest"))
        return GraphicTest(Args);
    if (command == QLatin1String("mod"))
        return ModHeader(Args);
    if (command == QLatin1String("import"))
        return ImportEntry(Args);
    if (command == QLatin1String("export"))
        return ExportEntry(Args);
    const bool copy = command == QLatin1String("copy");
    if (!copy && command != QLatin1String("list") && command != QLatin1String("validate"))
        return Usage();
    if (Args.size() != (copy ? 3 : 2))
        return Usage();
    MProgramLists program;
    LoadMachineFile(Args[1], program.Machine, program.Lists());
    if (copy)
        SaveMachineFile(Args[2], program.Machine, program.Lists());
    else if (command == QLatin1String("list"))
        List(program);
    else
        Validate(program);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    // --help or -h, alone or after the verb.
    const auto help = [](const QString& A) {
        return A == QLatin1String("--help") || A == QLatin1String("-h");
    };
    if ((!args.isEmpty() && help(args[0])) || (args.size() == 2 && help(args[1]))) {
        Usage(stdout);
        return 0;
    }
    try {
        return Run(args);
    } catch (const Exception& e) {
        Print(stderr, ErrorText(e));
    } catch (const std::exception& e) {
        Print(stderr, QString::fromUtf8(e.what()));
    }
    return 1;
}
