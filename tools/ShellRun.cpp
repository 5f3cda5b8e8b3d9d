#include "ShellRun.h"

#include "imaging/ImageIO.h"
#include "platform/Errors.h"

#include <QRegularExpression>

#include <cstring>

namespace {
[[noreturn]] void Usage(const QString& Text) {
    throw ShellRunError{exitUsage, Text};
}

[[noreturn]] void CannotRun(const QString& Text) {
    throw ShellRunError{exitCannotRun, Text};
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
    MRunFiles files;
    QString blank;
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
                files.Palette = v;
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
        } else if (files.Picture.isEmpty()) {
            files.Picture = a;
        } else {
            Usage(QStringLiteral("one machine program file and at most one picture"));
        }
    }
    if (run.File.isEmpty())
        Usage(QStringLiteral("a machine program file is needed"));
    if (!files.Picture.isEmpty() && !blank.isEmpty())
        Usage(QStringLiteral("a picture or --blank, not both"));
    files.File = run.File;
    if (!blank.isEmpty()) {
        static const QRegularExpression size(QStringLiteral("^(\\d{1,9})x(\\d{1,9})$"));
        const QRegularExpressionMatch m = size.match(blank);
        files.BlankWidth = m.hasMatch() ? m.captured(1).toInt() : 0;
        files.BlankHeight = m.hasMatch() ? m.captured(2).toInt() : 0;
        if (files.BlankWidth < 1 || files.BlankHeight < 1)
            Usage(QStringLiteral("--blank needs a size WxH, not \"%1\"").arg(blank));
    }

    run.Project = std::make_unique<MMemoryProject>();
    try {
        run.Notes = LoadRunFiles(files, *run.Project, ReadPicture);
    } catch (const ERunFiles& e) {
        CannotRun(e.Part == ERunFiles::rfBlank ? QStringLiteral("--blank %1: %2").arg(blank, e.Reason)
                                               : e.Message());
    }
    return run;
}
