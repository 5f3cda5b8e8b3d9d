// lsttool run: a machine file with its picture and palette run from the shell, its trace the same
// as the stitch simulation's in the process, with the engine's settings and beds, and the exit
// statuses of the shared loader.
#include "RunFixture.h"
#include "model/UrunFiles.h"
#include "model/UunvDta.h"
#include "platform/Bytes.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kdstest::EngineRun;
using kdstest::SeqRun;

namespace {
using Result = kdstest::ToolResult;

Result RunTool(const QStringList& Args) {
    return kdstest::RunLstTool(QStringList{QStringLiteral("run")} + Args);
}

// Writes a project's program as Name.LST and, unless Picture is empty, its drawing as a BMP file.
QString Save(QTemporaryDir& Dir, MMemoryProject& Project, const QString& Name, const QString& Picture) {
    const QString file = Dir.filePath(Name);
    SaveMachineFile(file, Project.Lists.Machine, Project.Lists.Lists());
    if (!Picture.isEmpty())
        kdstest::WriteFile(Dir.filePath(Picture), Project.Picture.Pixels);
    return file;
}

MRunFiles Files(const QString& File, const QString& Picture = QString(), int Width = 0, int Height = 0,
                const QString& Palette = QString()) {
    return {File, Picture, Width, Height, Palette};
}

// A project data file that cannot be read: its strip count is larger than the records it holds.
QByteArray OverCountedJxw() {
    ByteWriter w;
    w.WriteZeros(256);
    w.WriteI32LE(10);
    w.WriteI32LE(5);
    return w.ToByteArray();
}

QString Lines(const QStringList& Lines) {
    return Lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
} // namespace

TEST(LstToolRun, TheTraceIsTheEnginesAndTheSiblingPictureIsFound) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EngineRun run(QString::fromLatin1(kdstest::PlainProgram));
    const QString file =
        Save(dir, *run.Project, QStringLiteral("knit.v2_712e5.LST"), QStringLiteral("KNIT.V2_712E5.bmp"));
    const Result r = RunTool({file});
    EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Err, QString());
    const QString machine = seqtrace::MachineLine(run.Engine.Sequencer);
    EXPECT_EQ(machine, QStringLiteral("machine 712 e5 systems 2 width 100 picture 100x20"));
    EXPECT_EQ(r.Out, Lines(QStringList{machine} + run.Trace()));
    EXPECT_EQ(RunTool({file}).Out, r.Out); // identical on every run
}

// The engine's options: the style, view, side and stitch size reach the engine, and --beds prints
// the four beds after every step.
TEST(LstToolRun, StitchSimulationSettingsAndBeds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString script = QString::fromLatin1(kdstest::RibProgram);
    struct Case {
        QStringList Options;
        std::int32_t Style, View, Side, Advance;
    };
    const Case cases[] = {
        {{}, gsNormal, gvColor, 0, 14},
        {{QStringLiteral("--beds")}, gsNormal, gvColor, 0, 14},
        {{QStringLiteral("--style"), QStringLiteral("stitch"), QStringLiteral("--small"),
          QStringLiteral("--beds")},
         gsNormal,
         gvStitch,
         0,
         10},
        {{QStringLiteral("--style"), QStringLiteral("yc"), QStringLiteral("--side"), QStringLiteral("rear")},
         gsYC,
         gvColor,
         1,
         14},
        {{QStringLiteral("--style"), QStringLiteral("transfer"), QStringLiteral("--beds")},
         gsTransfer,
         gvColor,
         0,
         14},
    };
    QString file;
    for (const Case& c : cases) {
        EngineRun run(script);
        if (file.isEmpty())
            file = Save(dir, *run.Project, QStringLiteral("rib_712e5.LST"), QStringLiteral("rib_712e5.bmp"));
        run.Engine.Style = c.Style;
        run.Engine.View = c.View;
        run.Engine.RenderSide = c.Side;
        run.Engine.RowAdvance = c.Advance;
        const bool beds = c.Options.contains(QStringLiteral("--beds"));
        const Result r = RunTool(QStringList{file} + c.Options);
        EXPECT_EQ(r.Code, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out, Lines(QStringList{seqtrace::MachineLine(run.Engine.Sequencer)} + run.Trace(beds)))
            << c.Options.join(QLatin1Char(' ')).toStdString();
    }
    // The transfer of step 5 as the bed lines show it.
    const Result r = RunTool({file, QStringLiteral("--beds")});
    const QStringList lines = r.Out.split(QLatin1Char('\n'));
    const qsizetype step5 = lines.indexOf(QRegularExpression(QStringLiteral("^step 5 .*")));
    ASSERT_GE(step5, 0);
    EXPECT_TRUE(lines[step5].endsWith(
        QLatin1String(" act=0,0,10,0/0,0,0,10 stF=101x10;0,0,0,0 stR=1x10;0,10,0,0 dr=2 sf=1 course=-")));
    EXPECT_EQ(lines.mid(step5 + 1, 4),
              (QStringList{QStringLiteral("bed act F 204*10"), QStringLiteral("bed act R 205*10"),
                           QStringLiteral("bed st F 000065*10"), QStringLiteral("bed st R 000101*10")}));

    for (const QStringList& args : {QStringList{file, QStringLiteral("--style"), QStringLiteral("fancy")},
                                    QStringList{file, QStringLiteral("--side"), QStringLiteral("left")},
                                    QStringList{file, QStringLiteral("--style")}}) {
        const Result bad = RunTool(args);
        EXPECT_EQ(bad.Code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(bad.Out, QString());
    }
}

TEST(LstToolRun, PicturesAndPalettes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SeqRun plain(QString::fromLatin1(kdstest::PlainProgram));
    const QString file = Save(dir, *plain.Project, QStringLiteral("plain_712e5.LST"), QString());
    // No picture beside the file: a new 100 x 100 picture and a note.
    Result r = RunTool({file});
    EXPECT_EQ(r.Code, 0);
    EXPECT_TRUE(r.Out.startsWith(QLatin1String("machine 712 e5 systems 2 width 100 picture 100x100\n")));
    EXPECT_TRUE(r.Err.contains(QLatin1String("a new 100 x 100 picture"))) << r.Err.toStdString();
    r = RunTool({file, QStringLiteral("--blank"), QStringLiteral("30x40")});
    EXPECT_TRUE(r.Out.startsWith(QLatin1String("machine 712 e5 systems 2 width 100 picture 30x40\n")));
    EXPECT_EQ(r.Err, QString());

    // The palette of the sibling JXW turns the motifs' colours round: the carriers change places.
    SeqRun motifs(QString::fromLatin1(kdstest::MotifProgram));
    MMemoryProject& p = *motifs.Project;
    kdstest::PaintMotifs(p);
    const QString knit = Save(dir, p, QStringLiteral("motifs_708e5.LST"), QStringLiteral("motifs_708e5.BMP"));
    r = RunTool({knit});
    EXPECT_EQ(kdstest::Field(r.Out.split(QLatin1Char('\n')), QStringLiteral("yc")).first(),
              QStringLiteral("1.1:-4,2.1:66"));
    ByteWriter header;
    for (int i = 0; i < 64; ++i)
        header.WriteI32LE(std::int32_t(i == 1 ? 0x0000FF : i == 2 ? 0xFF0000 : p.Colors.Color(i)));
    kdstest::WriteFile(dir.filePath(QStringLiteral("MOTIFS_708E5.jxw")), header.ToByteArray());
    r = RunTool({knit});
    EXPECT_EQ(kdstest::Field(r.Out.split(QLatin1Char('\n')), QStringLiteral("yc")).first(),
              QStringLiteral("1.1:66,2.1:-4"));
    // --palette names another file; one that cannot be read (more strips counted than it holds)
    // gives the default palette.
    kdstest::WriteFile(dir.filePath(QStringLiteral("over.JXW")), OverCountedJxw());
    r = RunTool({knit, QStringLiteral("--palette"), dir.filePath(QStringLiteral("over.JXW"))});
    EXPECT_EQ(kdstest::Field(r.Out.split(QLatin1Char('\n')), QStringLiteral("yc")).first(),
              QStringLiteral("1.1:-4,2.1:66"));
    EXPECT_TRUE(r.Err.contains(QLatin1String("default palette")));
}

// The model's loader of run files, with a picture reader standing in for the image library: which
// picture and palette it takes, the notes it returns and the files it refuses. Whether the program
// can run is not its business: a program without a setup scheme loads.
TEST(RunFiles, FallbacksNotesAndRefusals) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto bare = kdstest::BuildProject(QStringLiteral("machine 708 5\nS1 Z=1\nZ1 cam1=RR\n"));
    const QString file = Save(dir, *bare, QStringLiteral("bare_708e5.LST"), QString());
    QStringList read; // the pictures the reader was asked for
    const MPictureReader reader = [&read](MMemoryProject& Project, const QString& Path) {
        read << QFileInfo(Path).fileName();
        if (Path.endsWith(QLatin1String(".bad")))
            throw Exception(QStringLiteral("unreadable"));
        Project.NewPicture(7, 3);
    };
    const auto load = [&](const MRunFiles& Run, MMemoryProject& Project) {
        read.clear();
        return LoadRunFiles(Run, Project, reader);
    };

    MMemoryProject p;
    QStringList notes = load(Files(file), p);
    EXPECT_FALSE(p.Lists.C.Contains(1));
    EXPECT_EQ(read, QStringList());
    EXPECT_EQ(notes,
              QStringList{file + QStringLiteral(": no picture beside it; a new 100 x 100 picture is used")});
    EXPECT_EQ(p.Picture.Width, 100);
    EXPECT_EQ(p.Picture.GetPixel(99, 99), NewPictureColor);

    // The sibling in any letter case; a blank of the size given; the picture named.
    kdstest::WriteFile(dir.filePath(QStringLiteral("BARE_708E5.bmp")), QByteArray("x"));
    notes = load(Files(file), p);
    EXPECT_EQ(read, QStringList{QStringLiteral("BARE_708E5.bmp")});
    EXPECT_EQ(notes, QStringList());
    EXPECT_EQ(p.Picture.Width, 7);
    notes = load(Files(file, QString(), 30, 40), p);
    EXPECT_EQ(read, QStringList());
    EXPECT_EQ(p.Picture.Height, 40);
    EXPECT_EQ(p.Picture.GetPixel(0, 0), NewPictureColor);

    // A palette that cannot be read: the default palette and a note.
    const QString overJxw = dir.filePath(QStringLiteral("over.JXW"));
    kdstest::WriteFile(overJxw, OverCountedJxw());
    p.Colors.Colors[1] = 0x123456;
    notes = load(Files(file, QString(), 0, 0, overJxw), p);
    EXPECT_EQ(p.Colors.Color(1), MPalette().Color(1));
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith(overJxw + QStringLiteral(": no palette could be read")))
        << notes[0].toStdString();

    // Refused: the machine file, the picture named; a sibling that cannot be read is only a note.
    struct Refusal {
        MRunFiles Files;
        ERunFiles::TPart Part;
        QString Name;
    };
    const QString none = dir.filePath(QStringLiteral("none.LST"));
    const QString badPicture = dir.filePath(QStringLiteral("named.bad"));
    for (const Refusal& r : {Refusal{Files(none), ERunFiles::rfMachineFile, none},
                             Refusal{Files(file, badPicture), ERunFiles::rfPicture, badPicture},
                             Refusal{Files(file, QString(), 100000, 100000), ERunFiles::rfBlank,
                                     QStringLiteral("100000x100000")}}) {
        MMemoryProject q;
        try {
            load(r.Files, q);
            ADD_FAILURE() << "loaded " << r.Name.toStdString();
        } catch (const ERunFiles& e) {
            EXPECT_EQ(e.Part, r.Part);
            EXPECT_EQ(e.Name, r.Name);
            EXPECT_EQ(e.Message(), e.Name + QStringLiteral(": ") + e.Reason);
        }
    }
    QFile::rename(dir.filePath(QStringLiteral("BARE_708E5.bmp")),
                  dir.filePath(QStringLiteral("bare_708e5.BMP")));
    const MPictureReader failing = [](MMemoryProject&, const QString&) {
        throw Exception(QStringLiteral("no"));
    };
    notes = LoadRunFiles(Files(file), p, failing);
    EXPECT_EQ(notes, QStringList{dir.filePath(QStringLiteral("bare_708e5.BMP")) +
                                 QStringLiteral(": no; a new 100 x 100 picture is used")});
    EXPECT_EQ(p.Picture.Width, 100);
}

TEST(LstToolRun, ExitStatuses) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Counters that never run out: the step limit ends the run with status 3.
    SeqRun endless(QStringLiteral("machine 708 5\nC area=1..21 L1=-5 R1=5\npicture 20x10\nS1 Z=1+1 D16383\n"
                                  "Z1 cam1=RR yc1=1\nZ2 cam1=RR yc1=1\n"));
    const QString file =
        Save(dir, *endless.Project, QStringLiteral("endless_708e5.LST"), QStringLiteral("endless_708e5.bmp"));
    Result r = RunTool({file, QStringLiteral("--steps"), QStringLiteral("1000")});
    EXPECT_EQ(r.Code, 3);
    EXPECT_TRUE(r.Out.contains(QLatin1String(" f=116:1000:0:0 ")));
    EXPECT_TRUE(r.Out.endsWith(QLatin1String("end limit steps=1000 rows=1001\n")));
    EXPECT_TRUE(r.Err.contains(QLatin1String("did not finish within 1000 steps")));

    // The program cannot run: a message on stderr and nothing on stdout.
    auto bare = kdstest::BuildProject(QStringLiteral("machine 708 5\nS1 Z=1\nZ1 cam1=RR\n"));
    const QString noSetup = Save(dir, *bare, QStringLiteral("bare_708e5.LST"), QString());
    kdstest::WriteFile(dir.filePath(QStringLiteral("broken.png")), QByteArray("not a picture"));
    kdstest::WriteFile(dir.filePath(QStringLiteral("broken.LST")), QByteArray(20, '\x01'));
    for (const QStringList& args :
         {QStringList{noSetup}, QStringList{file, dir.filePath(QStringLiteral("broken.png"))},
          QStringList{dir.filePath(QStringLiteral("broken.LST"))},
          QStringList{dir.filePath(QStringLiteral("none.LST"))},
          QStringList{file, QStringLiteral("--blank"), QStringLiteral("100000x100000")}}) {
        r = RunTool(args);
        EXPECT_EQ(r.Code, 1) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.Out, QString()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.Err.isEmpty());
    }

    // Usage: the text documents the lines and the statuses.
    for (const QStringList& args : {QStringList{}, QStringList{file, QStringLiteral("--steps")},
                                    QStringList{file, QStringLiteral("--steps"), QStringLiteral("x")},
                                    QStringList{file, QStringLiteral("--blank"), QStringLiteral("0x5")},
                                    QStringList{file, QStringLiteral("--fast")},
                                    QStringList{file, QStringLiteral("a.bmp"), QStringLiteral("b.bmp")}}) {
        r = RunTool(args);
        EXPECT_EQ(r.Code, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.Out, QString());
        EXPECT_TRUE(r.Err.contains(QLatin1String("Exit status")));
    }
}
