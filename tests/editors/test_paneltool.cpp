// The shell driver of the module editors: scripts against the sample project, compared line by line.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace {
struct Result {
    int Code;
    QStringList Out;
    QString Err;
};

Result RunTool(const QStringList& Args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PANELTOOL_PATH), Args);
    EXPECT_TRUE(p.waitForFinished(60000));
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, out.split(QLatin1Char('\n')),
            QString::fromUtf8(p.readAllStandardError())};
}

struct Scripts {
    Scripts() {
        EXPECT_TRUE(Dir.isValid());
        EXPECT_EQ(RunTool({QStringLiteral("sample"), Sample}).Code, 0);
    }
    QString Write(const char* Name, const QString& Text) {
        const QString path = Dir.filePath(QString::fromLatin1(Name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Text.toUtf8());
        return path;
    }
    QTemporaryDir Dir;
    QString Sample = Dir.filePath(QStringLiteral("sample.lst"));
};

// The W listing of the sample with entry 5's levels under another number.
QStringList WListing(int Renumbered) {
    QStringList lines;
    for (int n = 1; n <= 12; ++n) {
        if (n == 5)
            continue;
        const int levels = n == Renumbered ? 5 : n;
        QString line = QStringLiteral("W%1 ").arg(n, 4, 10, QLatin1Char('0'));
        for (int k = 1; k <= 8; ++k)
            line += QStringLiteral("%1 ").arg(levels * 10 + k, 4, 10, QLatin1Char('0'));
        lines << line;
    }
    return lines;
}
} // namespace

TEST(PanelTool, WRenumberAnsweredAndRefused) {
    Scripts s;
    // 5 becomes 9: the question, answered OK, overwrites W 9.
    const QString yes = s.Write("yes.txt", QStringLiteral("focus 5 0\nkey Backspace\ntype 9\nkey Down\n"));
    const QString out = s.Dir.filePath(QStringLiteral("out.lst"));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), yes, out});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, QStringList({QStringLiteral("message 11/1101  -> 1"), QStringLiteral("focus 7 0"),
                                  QStringLiteral("scrollbar enabled")}) +
                         WListing(9));
    // The written project holds the change.
    const QString again = s.Write("none.txt", QString());
    r = RunTool({QStringLiteral("run"), out, QStringLiteral("W"), again});
    EXPECT_EQ(r.Out.mid(2), WListing(9));

    // Cancel: nothing changes, no further message, the bar disabled, the focus in the number cell.
    const QString no =
        s.Write("no.txt", QStringLiteral("answer 16\nfocus 5 0\nkey Backspace\ntype 9\nkey Down\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), no});
    ASSERT_GE(r.Out.size(), 3);
    EXPECT_EQ(r.Out.mid(0, 3),
              QStringList({QStringLiteral("message 11/1101  -> 16"), QStringLiteral("focus 5 0"),
                           QStringLiteral("scrollbar disabled")}));
    EXPECT_EQ(r.Out[7], QStringLiteral("W0005 0051 0052 0053 0054 0055 0056 0057 0058 "));
}

TEST(PanelTool, NDropsHintsAndErrors) {
    Scripts s;
    // The own rows 4..7 onto N 1, a row onto itself, W 12 of the project and W 3 of another one.
    const QString script = s.Write("n.txt", QStringLiteral("drag 4..7 ONTO 1 200\n"
                                                           "drag 2 ONTO 2 200\n"
                                                           "dragfrom W 12 ONTO 2 600\n"
                                                           "dragfrom W 3 of %1 ONTO 5 600\n"
                                                           "hint 2 500\n"
                                                           "hint 4 200\n"
                                                           "focus 1 400\n")
                                                .arg(s.Sample));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("N"), script});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(
        r.Out.mid(0, 9),
        QStringList({QStringLiteral("hint D=Repeat Count\\n\\rW=selector switch line number\\n\\r@S@W12 "
                                    "=@2@0121@0@"),
                     QStringLiteral("hint X= Pattern Draft Column\\n\\rN= Reference to line number"),
                     QStringLiteral("focus 1 400"), QStringLiteral("scrollbar enabled"),
                     QStringLiteral("N0001 N0004 +0003 W0001"), QStringLiteral("N0002 X0020 +0010 W0012"),
                     QStringLiteral("N0003 N0002 -0001 D0004"), QStringLiteral("N0004 X0040 +0000 D0005"),
                     QStringLiteral("N0005 X0050 +0005 W0005")}));

    // A bad line: exit 2 with its number; an unreadable file: exit 1.
    const QString bad = s.Write("bad.txt", QStringLiteral("goto 3\nfocus 3\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("N"), bad});
    EXPECT_EQ(r.Code, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("script error 2: "))) << r.Err.toStdString();
    r = RunTool(
        {QStringLiteral("run"), s.Dir.filePath(QStringLiteral("missing.lst")), QStringLiteral("N"), bad});
    EXPECT_EQ(r.Code, 1);
}

TEST(PanelTool, DialogsRangesAndTheFocusAfterDeletes) {
    Scripts s;
    struct Case {
        const char* Script;
        QStringList Head; // the first lines printed
        int Entries;      // W entries left
    };
    const Case cases[] = {
        // The dialogs are cancelled at once: a script never waits for them.
        {"focus 3 0\nkey F6\nkey F5\n",
         {QStringLiteral("dialog Go to -> cancel"), QStringLiteral("dialog Special Functions -> cancel"),
          QStringLiteral("focus 3 0")},
         12},
        // A range given downwards selects the same run.
        {"focus 3 0\nselect 7..4\nmenu DeleteITM\n", {QStringLiteral("focus 3 0")}, 8},
        // The focus leaves the rows that deleted entries hid: to the row before, or to none.
        {"focus 12 100\nselect 12..12\nmenu DeleteITM\n", {QStringLiteral("focus 11 100")}, 11},
        {"focus 3 0\nselect 1..12\nmenu DeleteITM\n", {QStringLiteral("focus none")}, 0},
    };
    for (const Case& c : cases) {
        const QString script = s.Write("case.txt", QString::fromLatin1(c.Script));
        const Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), script});
        ASSERT_EQ(r.Code, 0) << c.Script << r.Err.toStdString();
        EXPECT_EQ(r.Out.mid(0, int(c.Head.size())), c.Head) << c.Script;
        EXPECT_EQ(r.Out.size() - c.Head.size() - 1, c.Entries) << c.Script;
    }
}

TEST(PanelTool, ThePasteFocusAndAListWithoutRoomForANewItem) {
    Scripts s;
    // Every row cut and pasted back: the first pasted row has the focus, as after Insert.
    const QString paste =
        s.Write("paste.txt", QStringLiteral("focus 3 0\nselect 1..12\nmenu CutITM\nmenu PasteITM\n"));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), paste});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 2),
              QStringList({QStringLiteral("focus 1 0"), QStringLiteral("scrollbar enabled")}));
    EXPECT_EQ(r.Out.size(), 2 + 12);

    // W 12 renumbered 255, the largest W number: New Item on W 3 says so and changes nothing.
    const QString full =
        s.Write("full.txt", QStringLiteral("focus 12 0\nkey Backspace\nkey Backspace\ntype 255\n"
                                           "focus 3 0\nmenu NewITM\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), full});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 3),
              QStringList({QStringLiteral("message 11/4401 255 -> 1"), QStringLiteral("focus 3 0"),
                           QStringLiteral("scrollbar enabled")}));
    ASSERT_EQ(r.Out.size(), 3 + 12);
    EXPECT_TRUE(r.Out[5].startsWith(QStringLiteral("W0003 0031 "))) << r.Out[5].toStdString();
    EXPECT_TRUE(r.Out[6].startsWith(QStringLiteral("W0004 0041 "))) << r.Out[6].toStdString();
    EXPECT_TRUE(r.Out.last().startsWith(QStringLiteral("W0255 0121 "))) << r.Out.last().toStdString();
}

// A script that is a pipe or a folder is refused at once; waiting on a pipe with no writer would hang.
TEST(PanelTool, AScriptThatIsNoPlainFileIsRefused) {
    Scripts s;
    const QString pipe = s.Dir.filePath(QStringLiteral("script.fifo"));
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    for (const QString& script : {pipe, s.Dir.path()}) {
        const Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("W"), script});
        EXPECT_EQ(r.Code, 1) << script.toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("Cannot open ") + script)) << r.Err.toStdString();
    }
}

TEST(PanelTool, ZRowsDraggedMirroredAndExact) {
    Scripts s;
    // Row 3 of the sample has pattern lines 30..33 on slots 0..3 (two systems): an Alt drag onto row
    // 1 writes them with the systems exchanged, a plain one as they are; the mirror menu items run
    // on an empty clipboard and change nothing.
    const auto patternLines = [&](const char* Script) {
        const QString script = s.Write("z.txt", QString::fromLatin1(Script));
        const Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), script});
        EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
        const int at = int(r.Out.indexOf(QStringLiteral("Z0001----------------------")));
        for (int i = at; at >= 0 && i < r.Out.size(); ++i)
            if (r.Out[i].startsWith(QStringLiteral("ZT:")))
                return r.Out[i].trimmed();
        return QString();
    };
    EXPECT_EQ(patternLines("drag 3 alt ONTO 1 600\nmenu InsertMirrorITM\nmenu PasteMirrorITM\n"),
              QStringLiteral("ZT: ( )0000  ( )0000  ( )0000  ( )0000  ( )0031  ( )0030  ( )0033  ( )0032"));
    EXPECT_EQ(patternLines("drag 3 ONTO 1 600\n"),
              QStringLiteral("ZT: ( )0000  ( )0000  ( )0000  ( )0000  ( )0033  ( )0032  ( )0031  ( )0030"));
}

TEST(PanelTool, DialogsAnsweredFromTheScript) {
    Scripts s;
    auto numbers = [](const QStringList& Out) {
        QStringList z;
        for (const QString& line : Out)
            if (line.startsWith(QStringLiteral("Z0")) && line.endsWith(QStringLiteral("-")))
                z << line.left(5);
        return z;
    };
    // Go to 5, then a mirrored special copy of 1..2 to 11 by 3: both dialogs filled and closed with OK.
    const QString ok =
        s.Write("ok.txt", QStringLiteral("dialog goto 5\nkey F6\nfocus 5 5\n"
                                         "dialog special copy 1..2 in 11 by 3 mirror\nkey F5\n"));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), ok});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(
        r.Out.mid(0, 4),
        QStringList({QStringLiteral("dialog Go to -> ok"), QStringLiteral("dialog Special Functions -> ok"),
                     QStringLiteral("focus 5 5"), QStringLiteral("scrollbar enabled")}));
    EXPECT_EQ(numbers(r.Out),
              QStringList({QStringLiteral("Z0001"), QStringLiteral("Z0002"), QStringLiteral("Z0003"),
                           QStringLiteral("Z0004"), QStringLiteral("Z0005"), QStringLiteral("Z0006"),
                           QStringLiteral("Z0011"), QStringLiteral("Z0012")}));
    // A copy the dialog's check refuses: its message, the dialog cancelled, the list unchanged.
    const QString refused =
        s.Write("refused.txt", QStringLiteral("dialog special copy 1..2 in 2000\nkey F5\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), refused});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 2), QStringList({QStringLiteral("message 11/1037 2000 -> 1"),
                                            QStringLiteral("dialog Special Functions -> cancel")}));
    EXPECT_EQ(numbers(r.Out).size(), 6);
    // An answer no dialog took is a script error.
    const QString unused = s.Write("unused.txt", QStringLiteral("dialog cancel\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), unused});
    EXPECT_EQ(r.Code, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("a dialog answer was not used"))) << r.Err.toStdString();
    // A word the page does not take is an error of the line that queued it, before the dialog acts.
    const QString typo =
        s.Write("typo.txt", QStringLiteral("dialog special copy 1..2 in 11 mirrror\nkey F5\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), typo});
    EXPECT_EQ(r.Code, 2);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("script error 1: the special page does not take: mirrror")))
        << r.Err.toStdString();
    EXPECT_FALSE(r.Out.contains(QStringLiteral("dialog Special Functions -> ok")));
}

TEST(PanelTool, PModeChangeDropsColoursAndFELettersStepButtons) {
    Scripts s;
    // P 3 is MF with four left colours: a click makes it VB, whose boxes hold one colour each; the row
    // stores the colours it shows.
    const QString p = s.Write("p.txt", QStringLiteral("click 3 100\nhint 3 100\nfocus 4 0\n"));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("P"), p});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    ASSERT_EQ(r.Out.size(), 9);
    EXPECT_TRUE(
        r.Out[0].startsWith(QStringLiteral("hint SY1= Stroke limitation of system (1) by needles\\n\\r")))
        << r.Out[0].toStdString();
    EXPECT_EQ(r.Out.mid(1, 2),
              QStringList({QStringLiteral("focus 4 0"), QStringLiteral("scrollbar enabled")}));
    EXPECT_EQ(r.Out[5], QStringLiteral("O0003 VB   YC 00010010 ClrsL:00001000000000000000000000000000 "
                                       "ClrsR:00000100000000000000000000000000 Dir:"));
    // FE 1 (B-, A1, O-): b, a and o typed in its step cell step the three buttons round.
    const QString fe = s.Write("fe.txt", QStringLiteral("focus 1 300\ntype bao\nfocus 2 0\n"));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("FE"), fe});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    ASSERT_GE(r.Out.size(), 3);
    EXPECT_EQ(r.Out[2],
              QStringLiteral("FE0001 B+0004 S0001 N0010 A2 O+0025 Clrs00101000000000000000000000000000"));
}

TEST(PanelTool, FEDropOntoAnFDCountCellAndWDropOntoAnFSValueCell) {
    Scripts s;
    // FE 5..7 onto FD 1's count cell of system 1's rear bed: 5, +2; FE 2 onto FD 2's lower first-line
    // cell: 2, +0; the field help lists FE 5 to 7.
    const QString fd = s.Write("fd.txt", QStringLiteral("dragfrom FE 5..7 ONTO 1 300\n"
                                                        "dragfrom FE 2 ONTO 2 101\n"
                                                        "hint 1 300\n"));
    Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("FD"), fd});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 9),
              QStringList({QStringLiteral("hint Number of the subsequent stitch length lines\\n\\r@S@"
                                          "FE05 B@1@-020@0@ S0005 N0050 @1@A2@0@ O:-125\\n\\r"
                                          "FE06 B@0@+024@0@ S0006 N0060 @0@A0@0@ O:150\\n\\r"
                                          "FE07 B@1@-028@0@ S0007 N0070 @1@A1@0@ O:-175"),
                           QStringLiteral("focus 1 0"), QStringLiteral("scrollbar enabled"),
                           QStringLiteral("FD0001"),
                           QStringLiteral("H8 0006 +0001 H6 0004 +0001 H4 0005 +0002 H2 0004 +0001 "),
                           QStringLiteral("V7 0005 -0002 V5 0003 -0002 V3 0005 -0002 V1 0003 -0002 "),
                           QStringLiteral("FD0002"),
                           QStringLiteral("H8 0007 +0001 H6 0005 +0001 H4 0007 +0001 H2 0005 +0001 "),
                           QStringLiteral("V7 0006 -0002 V5 0004 -0002 V3 0002 +0000 V1 0004 -0002 ")}));

    // W 3..5 onto FS 1's group B value cell of the leftmost column (the rear bed of slot 7): W 3; a W
    // row of another project refused; the field help names W 3.
    const QString fs = s.Write("fs.txt", QStringLiteral("dragfrom W 3..5 ONTO 1 1000\n"
                                                        "dragfrom W 4 of %1 ONTO 2 1000\n"
                                                        "hint 1 1000\n")
                                             .arg(s.Sample));
    r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("FS"), fs});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 9),
              QStringList({QStringLiteral("hint The value or the number of Counter\\n\\r@S@W3  =@2@0031@0@"),
                           QStringLiteral("focus 1 0"), QStringLiteral("scrollbar enabled"),
                           QStringLiteral("FS0001"),
                           QStringLiteral("H8 D0017 W0003 H6 D0015 W0001 H4 W0005 D0016 H2 D0011 W0001 "),
                           QStringLiteral("V7 W0008 D0031 V5 D0014 D0021 V3 D0012 D0011 V1 W0002 D0001 "),
                           QStringLiteral("FS0002"),
                           QStringLiteral("H8 D0027 D0037 H6 D0025 W0002 H4 W0006 D0017 H2 D0021 W0002 "),
                           QStringLiteral("V7 W0009 D0032 V5 D0024 D0022 V3 D0022 D0012 V1 W0003 D0002 ")}));
}

TEST(PanelTool, ARangeErrorOfACellIsPrintedNotLeftOpen) {
    Scripts s;
    // 519 is no carriage speed: the range error that carries no message number is printed like the
    // other boxes (a box left open would keep the tool waiting for ever) and row 1 keeps its 51.
    const QString script = s.Write("speed.txt", QStringLiteral("focus 1 1005\ntype 9\nfocus 2 5\n"));
    const Result r = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("Z"), script});
    ASSERT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.mid(0, 2),
              QStringList({QStringLiteral("plain Range check error: byte"), QStringLiteral("focus 2 5")}));
    const auto settings = std::find_if(r.Out.begin(), r.Out.end(), [](const QString& Line) {
        return Line.startsWith(QStringLiteral("PR:"));
    });
    ASSERT_NE(settings, r.Out.end());
    EXPECT_TRUE(settings->contains(QStringLiteral("TZ:+051"))) << settings->toStdString();
}

TEST(PanelTool, RCounterFromWAndSCyclesAndRangesByDragging) {
    Scripts s;
    // W 12 onto R 1's counter: W 12, with its field help; another project's W and an own row refused.
    const QString r = s.Write("r.txt", QStringLiteral("dragfrom W 12 ONTO 1 200\n"
                                                      "dragfrom W 3 of %1 ONTO 3 200\n"
                                                      "drag 3 ONTO 4 400\n"
                                                      "hint 1 100\n")
                                           .arg(s.Sample));
    Result out = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("R"), r});
    ASSERT_EQ(out.Code, 0) << out.Err.toStdString();
    EXPECT_EQ(
        out.Out.mid(0, 7),
        QStringList({QStringLiteral("hint D=Repeat Count\\n\\rW=selector switch line number\\n\\r@S@W12 "
                                    "=@2@0121@0@"),
                     QStringLiteral("focus 1 0"), QStringLiteral("scrollbar enabled"),
                     QStringLiteral("R0001 W0012 V1-0001 H2+0000 V3+0001 H4+0002 V5+0000 H6+0000 V7+0000 "
                                    "H8+0000 "),
                     QStringLiteral("R0002 W0002 V1+0000 H2+0002 V3+0004 H4-0004 V5+0000 H6+0000 V7+0000 "
                                    "H8+0000 "),
                     QStringLiteral("R0003 D0006 V1+0003 H2+0006 V3-0006 H4-0003 V5+0000 H6+0000 V7+0000 "
                                    "H8+0000 "),
                     QStringLiteral("R0004 W0004 V1+0008 H2-0008 V3-0004 H4+0000 V5+0000 H6+0000 V7+0000 "
                                    "H8+0000 ")}));

    // Own S 4..6 onto S 7: a cycle over 4, +2; S 2..4 onto S 3 inside the run: refused; N 10..12 onto
    // S 1: N 10, +2. The help of S 2's N range (N 4, "-" 2) runs down from N 4 to N 2.
    const QString sl = s.Write("s.txt", QStringLiteral("drag 4..6 ONTO 7 200\n"
                                                       "drag 2..4 ONTO 3 200\n"
                                                       "dragfrom N 10..12 ONTO 1 700\n"
                                                       "hint 2 900\n"));
    out = RunTool({QStringLiteral("run"), s.Sample, QStringLiteral("S"), sl});
    ASSERT_EQ(out.Code, 0) << out.Err.toStdString();
    EXPECT_EQ(out.Out.mid(0, 11),
              QStringList({QStringLiteral("hint N= Number of Subsequent N lines\\n\\r@S@N4   X40  +0    D5   "
                                          "\\n\\rN3   @1@N2   -1   @0@ D4   \\n\\rN2   X20  +10   D3   "),
                           QStringLiteral("focus 1 0"), QStringLiteral("scrollbar enabled"),
                           QStringLiteral("S0001 Z0001 +0001 D0001 N0010 +0002 P0001 +0000 O1"),
                           QStringLiteral("S0002 Z0002 +0000 W0002 N0004 -0002 P0002 -0001 O2"),
                           QStringLiteral("S0003 Z0003 -0001 R0001 N0005 +0001 P0003 -0001 O3"),
                           QStringLiteral("S0004 Z0004 +0000 D0004 N0006 -0002 P0004 +0000 O4"),
                           QStringLiteral("S0005 S0001 +0001 W0005 N0000 +0000 P0000 +0000 O1"),
                           QStringLiteral("S0006 Z0006 -0002 R0002 N0008 -0002 P0006 -0001 O6"),
                           QStringLiteral("S0007 S0004 +0002 D0007 N0000 +0000 P0000 +0000 O1"),
                           QStringLiteral("S0008 S0006 -0003 W0008 N0000 +0000 P0000 +0000 O1")}));
}
