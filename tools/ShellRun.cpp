#include "ShellRun.h"

#include "imaging/ImageIO.h"
#include "model/UprjHeader.h"
#include "model/UunvDta.h"
#include "platform/AppFolder.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"

#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>

#include <cstring>

namespace {
[[noreturn]] void Usage(const QString& Text) {
    throw ShellRunError{exitUsage, Text};
}

[[noreturn]] void CannotRun(const QString& Text) {
    throw ShellRunError{exitCannotRun, Text};
}

// The file in File's folder named its base name + Extension in any letter case (the exact spelling
// first); empty when there is none.
QString Sibling(const QString& File, const QString& Extension) {
    const QString path = ResolvePath(QFileInfo(File).absolutePath(), BaseNameOf(File) + Extension);
    return QFileInfo(path).isFile() ? path : QString();
}

// Reads a picture through the image library into the project's drawing, as 24 bits.
void ReadPicture(MMemoryProject& Project, const QString& Path) {
    TBitmap bitmap;
    TImageIO io;
    io.SetAttachedBitmap(&bitmap);
    io.LoadFromFile(Path);
    if (bitmap.Empty())
        throw Exception(QStringLiteral("not a picture the station reads"));
    bitmap.SetPixelFormat(pf24bit);
    Project.NewPicture(bitmap.Width(), bitmap.Height());
    const MRowView view = Project.Picture.RowView();
    for (int y = 0; y < bitmap.Height(); ++y)
        std::memcpy(view.Row(y), bitmap.ScanLine(y), std::size_t(bitmap.Width()) * 3);
}

void NewPicture(MMemoryProject& Project, int Width, int Height) {
    Project.NewPicture(Width, Height);
    Project.Picture.Fill(NewPictureColor);
}

// The palette owner a project header fills.
class PaletteOwner : public QObject, public MProjectHeaderOwner {
public:
    explicit PaletteOwner(MPalette& Palette) : FPalette(Palette) {}
    MPalette& HeaderPalette() override { return FPalette; }
    TColor ReservedColor() const override { return ::ReservedColor; }
    TColor ReservedColorSubstitute() const override { return ReservedSubstitute; }

private:
    MPalette& FPalette;
};

// The palette of a project data file's header; raises EReadError (palette untouched) when it cannot
// be read.
void ReadPalette(MPalette& Palette, const QString& Path) {
    const QByteArray bytes = ReadPlainFileHead(Path, MProjHeader::ByteSize);
    if (bytes.size() < MProjHeader::ByteSize)
        throw EReadError(QStringLiteral("too short for a project header"));
    PaletteOwner owner(Palette);
    MProjHeader header(&owner);
    ByteReader reader(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    header.ReadFrom(reader);
    header.ApplyHeader();
}

long long Number(const QString& Text, const QString& Option) {
    bool ok = false;
    const long long v = Text.toLongLong(&ok);
    if (!ok || v < 0)
        Usage(QStringLiteral("%1 needs a number of 0 or more, not \"%2\"").arg(Option, Text));
    return v;
}
} // namespace

QString ShellRunOptionsText() {
    return QStringLiteral(
        "  FILE [PICTURE] [--blank WxH] [--palette JXW] [--steps N]\n"
        "    FILE is a machine program file. The pattern is PICTURE (any picture format the station\n"
        "    reads), else FILE's sibling picture (its base name + .BMP, any letter case); --blank makes\n"
        "    a new picture of that size; with neither (or a sibling that cannot be read) a new 100 x 100\n"
        "    picture, with a note on stderr. The palette comes from the JXW's header (--palette, else\n"
        "    FILE's sibling .JXW), else the default palette. N is the step limit (default 1000000).\n"
        "  [--style normal|yc|jaquard|transfer|stitch] [--side front|rear] [--small] [--beds]\n"
        "    The stitch simulation's drawing style (stitch: the stitch view in style normal; the\n"
        "    others the colour view; default normal), the side it renders (default front), small\n"
        "    stitches (a completed course advances the stitch view by 10 rows, not 14), and --beds to\n"
        "    print its beds after every step.\n"
        "  Exit status: 0 the run finished; 3 the step limit was reached; 1 the program cannot run\n"
        "  (FILE unreadable, no C entry 1, PICTURE unreadable: a message on stderr, nothing on\n"
        "  stdout); 2 usage.\n");
}

void ApplyShellRun(const ShellRun& Run, MGtestEngine& Engine) {
    Engine.Style = Run.Style;
    Engine.View = Run.View;
    Engine.RenderSide = Run.RenderSide;
    Engine.RowAdvance = Run.RowAdvance;
}

ShellRun LoadShellRun(const QStringList& Args) {
    ShellRun run;
    QString picture, palette, blank;
    for (qsizetype i = 0; i < Args.size(); ++i) {
        const QString& a = Args[i];
        if (a == QLatin1String("--blank") || a == QLatin1String("--palette") ||
            a == QLatin1String("--steps")) {
            if (i + 1 >= Args.size())
                Usage(QStringLiteral("%1 needs a value").arg(a));
            const QString& v = Args[++i];
            if (a == QLatin1String("--blank"))
                blank = v;
            else if (a == QLatin1String("--palette"))
                palette = v;
            else
                run.Steps = Number(v, a);
        } else if (a == QLatin1String("--style") || a == QLatin1String("--side")) {
            if (i + 1 >= Args.size())
                Usage(QStringLiteral("%1 needs a value").arg(a));
            const QString& v = Args[++i];
            if (a == QLatin1String("--side")) {
                if (v != QLatin1String("front") && v != QLatin1String("rear"))
                    Usage(QStringLiteral("--side is front or rear, not \"%1\"").arg(v));
                run.RenderSide = v == QLatin1String("rear") ? 1 : 0;
                continue;
            }
            static const QStringList styles{QStringLiteral("normal"), QStringLiteral("yc"),
                                            QStringLiteral("jaquard"), QStringLiteral("transfer"),
                                            QStringLiteral("stitch")};
            const qsizetype k = styles.indexOf(v);
            if (k < 0)
                Usage(
                    QStringLiteral("--style is normal, yc, jaquard, transfer or stitch, not \"%1\"").arg(v));
            run.Style = k == 4 ? gsNormal : gsNormal + std::int32_t(k);
            run.View = k == 4 ? gvStitch : gvColor;
        } else if (a == QLatin1String("--small")) {
            run.RowAdvance = 10;
        } else if (a == QLatin1String("--beds")) {
            run.Beds = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            Usage(QStringLiteral("unknown option %1").arg(a));
        } else if (run.File.isEmpty()) {
            run.File = a;
        } else if (picture.isEmpty()) {
            picture = a;
        } else {
            Usage(QStringLiteral("one machine program file and at most one picture"));
        }
    }
    if (run.File.isEmpty())
        Usage(QStringLiteral("a machine program file is needed"));
    if (!picture.isEmpty() && !blank.isEmpty())
        Usage(QStringLiteral("a picture or --blank, not both"));
    int blankWidth = 0, blankHeight = 0;
    if (!blank.isEmpty()) {
        static const QRegularExpression size(QStringLiteral("^(\\d{1,9})x(\\d{1,9})$"));
        const QRegularExpressionMatch m = size.match(blank);
        blankWidth = m.hasMatch() ? m.captured(1).toInt() : 0;
        blankHeight = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (blankWidth < 1 || blankHeight < 1)
            Usage(QStringLiteral("--blank needs a size WxH, not \"%1\"").arg(blank));
    }

    run.Project = std::make_unique<MMemoryProject>();
    MMemoryProject& project = *run.Project;
    try {
        LoadMachineFile(run.File, project.Lists.Machine, project.Lists.Lists());
    } catch (const Exception& e) {
        CannotRun(QStringLiteral("%1: %2").arg(run.File, e.Message()));
    }
    if (!project.Lists.C.Contains(1))
        CannotRun(
            QStringLiteral("%1: the program has no setup scheme (C entry 1) and cannot run").arg(run.File));

    if (!picture.isEmpty()) {
        try {
            ReadPicture(project, picture);
        } catch (const Exception& e) {
            CannotRun(QStringLiteral("%1: %2").arg(picture, e.Message()));
        }
    } else if (!blank.isEmpty()) {
        try {
            NewPicture(project, blankWidth, blankHeight);
        } catch (const Exception& e) {
            CannotRun(QStringLiteral("--blank %1: %2").arg(blank, e.Message()));
        }
    } else {
        const QString sibling = Sibling(run.File, QStringLiteral(".BMP"));
        bool read = false;
        if (!sibling.isEmpty()) {
            try {
                ReadPicture(project, sibling);
                read = true;
            } catch (const Exception& e) {
                run.Notes
                    << QStringLiteral("%1: %2; a new 100 x 100 picture is used").arg(sibling, e.Message());
            }
        } else {
            run.Notes
                << QStringLiteral("%1: no picture beside it; a new 100 x 100 picture is used").arg(run.File);
        }
        if (!read)
            NewPicture(project, 100, 100);
    }

    const QString jxw = palette.isEmpty() ? Sibling(run.File, QStringLiteral(".JXW")) : palette;
    if (!jxw.isEmpty()) {
        try {
            ReadPalette(project.Colors, jxw);
        } catch (const Exception& e) {
            project.Colors.ResetPalette();
            run.Notes << QStringLiteral("%1: no palette could be read (%2); the default palette is used")
                             .arg(jxw, e.Message());
        }
    }
    return run;
}
