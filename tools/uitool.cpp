// uitool: looks into the program's own controls from the command line, for reviews.
//
//   uitool hemi --size WxH --face HEX [--atten A] [--outer none|lowered|raised]
//               [--inner none|lowered|raised] [--bevel N] X,Y...
//       makes the images of a round shaded button and prints, per point,
//       "X,Y out R G B in R G B mask 0|1" (mask 1: the button is opaque there). HEX is a colour as
//       the program stores it, red in the low byte.
//   uitool tokens TEXT
//       splits TEXT as a command line: "program <Program>", "params <Params>", then
//       "token <i> <token>" for each token from 0.
//   uitool arrange [--vertical] --length N [--bound tblr] [--clip] [--rowat P] ROW,POS,LENGTH,THICKNESS[,full]...
//       lays out a dock's bars (uitool_docks.cpp): per bar in input order "bar <i> row <DockRow> pos
//       <DockPos> rect <x> <y> <w> <h>", then "thickness <dock thickness>", and with --rowat a last
//       line "rowat <P> row <r> new <0|1>".
//   uitool toolbar [--dock horz|vert|float] [--wrap N] [--sizes] ITEM...
//       lays out a toolbar's controls (uitool_toolbars.cpp); ITEM = WxH (a control), sep, sep:blank or
//       sep:H,V (SizeHorz, SizeVert): "client <w> <h>", then per item "item <i> rect <x> <y> <w> <h>",
//       then per row line "line <y> blank <0|1>"; with --sizes one line "size <w> <h>" per candidate
//       floating client size instead.
//
// Errors go to stderr with exit code 1.

#include "ui/FileUtil.h"
#include "ui/Hemibtn.h"

#include <QGuiApplication>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <cstdlib>

int UiToolArrange(const QStringList& Args);
int UiToolToolbar(const QStringList& Args);

namespace {

// The usage text: on stderr for a usage error, on stdout when asked for.
int Usage(FILE* Stream = stderr) {
    std::fprintf(Stream,
                 "usage: uitool hemi --size WxH --face HEX [--atten A] [--outer none|lowered|raised]\n"
                 "                   [--inner none|lowered|raised] [--bevel N] X,Y...\n"
                 "       uitool tokens TEXT\n"
                 "       uitool arrange [--vertical] --length N [--bound tblr] [--clip] [--rowat P] "
                 "ROW,POS,LENGTH,THICKNESS[,full]...\n"
                 "       uitool toolbar [--dock horz|vert|float] [--wrap N] [--sizes] ITEM...\n");
    return 1;
}

int Error(const QString& Text) {
    std::fprintf(stderr, "uitool: %s\n", qPrintable(Text));
    return 1;
}

bool ParseBevel(const QString& S, THemisphereBevel& Out) {
    if (S == QLatin1String("none"))
        Out = hbNone;
    else if (S == QLatin1String("lowered"))
        Out = hbLowered;
    else if (S == QLatin1String("raised"))
        Out = hbRaised;
    else
        return false;
    return true;
}

int Hemi(const QStringList& Args) {
    THemisphereParams p;
    bool sized = false, faced = false;
    QList<QPoint> points;
    for (qsizetype i = 0; i < Args.size(); ++i) {
        const QString& a = Args[i];
        const bool hasValue = i + 1 < Args.size();
        bool ok = true;
        if (a == QLatin1String("--size") && hasValue) {
            const QStringList wh = Args[++i].split(QLatin1Char('x'));
            bool okW = false, okH = false;
            if (wh.size() == 2) {
                p.Width = wh[0].toInt(&okW);
                p.Height = wh[1].toInt(&okH);
            }
            if (!okW || !okH || p.Width < 2 || p.Height < 2 || p.Width > 4096 || p.Height > 4096)
                return Error(QStringLiteral("bad size %1 (2x2 to 4096x4096)").arg(Args[i]));
            sized = true;
        } else if (a == QLatin1String("--face") && hasValue) {
            QString hex = Args[++i];
            if (hex.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || hex.startsWith(QLatin1Char('$')))
                hex = hex.mid(hex.startsWith(QLatin1Char('$')) ? 1 : 2);
            const uint v = hex.toUInt(&ok, 16);
            if (!ok || v > 0xFFFFFF)
                return Error(QStringLiteral("bad colour %1").arg(Args[i]));
            p.FaceColor = v;
            faced = true;
        } else if (a == QLatin1String("--atten") && hasValue) {
            p.AttenControl = Args[++i].toDouble(&ok);
            if (!ok || !std::isfinite(p.AttenControl))
                return Error(QStringLiteral("bad attenuation %1").arg(Args[i]));
        } else if (a == QLatin1String("--outer") && hasValue) {
            if (!ParseBevel(Args[++i], p.BevelOuter))
                return Error(QStringLiteral("bad bevel %1").arg(Args[i]));
        } else if (a == QLatin1String("--inner") && hasValue) {
            if (!ParseBevel(Args[++i], p.BevelInner))
                return Error(QStringLiteral("bad bevel %1").arg(Args[i]));
        } else if (a == QLatin1String("--bevel") && hasValue) {
            p.BevelWidth = Args[++i].toInt(&ok);
            if (!ok || p.BevelWidth < 1)
                return Error(QStringLiteral("bad bevel width %1 (1 or more)").arg(Args[i]));
        } else if (!a.startsWith(QLatin1String("--")) && a.count(QLatin1Char(',')) == 1) {
            bool okX = false, okY = false;
            const QPoint pt(a.section(QLatin1Char(','), 0, 0).toInt(&okX),
                            a.section(QLatin1Char(','), 1).toInt(&okY));
            if (!okX || !okY)
                return Error(QStringLiteral("bad point %1").arg(a));
            points.append(pt);
        } else {
            return Usage();
        }
    }
    if (!sized || !faced || points.isEmpty())
        return Usage();
    THemisphereImages img;
    if (!RebuildHemisphereImages(p, img))
        return Error(QStringLiteral("the button is too small"));
    for (const QPoint& pt : points)
        if (!img.ImageOut.rect().contains(pt))
            return Error(QStringLiteral("point %1,%2 lies outside the %3x%4 button")
                             .arg(pt.x())
                             .arg(pt.y())
                             .arg(p.Width)
                             .arg(p.Height));
    for (const QPoint& pt : points) {
        const QRgb o = img.ImageOut.pixel(pt), n = img.ImageIn.pixel(pt);
        const bool opaque = (img.ImageMask.pixel(pt) & 0xFFFFFFu) != 0xFFFFFFu;
        std::printf("%d,%d out %d %d %d in %d %d %d mask %d\n", pt.x(), pt.y(), qRed(o), qGreen(o), qBlue(o),
                    qRed(n), qGreen(n), qBlue(n), opaque ? 1 : 0);
    }
    return 0;
}

int Tokens(const QStringList& Args) {
    if (Args.size() != 1)
        return Usage();
    QString program, params;
    SplitCommandLine(Args[0], program, params);
    std::printf("program %s\nparams %s\n", qPrintable(program), qPrintable(params));
    const int n = CommandTokenCount(Args[0]);
    for (int i = 0; i < n; ++i)
        std::printf("token %d %s\n", i, qPrintable(CommandToken(Args[0], i)));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")))
        return Usage(stdout), 0;
    const QString verb = args.takeFirst();
    if (verb == QLatin1String("hemi"))
        return Hemi(args);
    if (verb == QLatin1String("tokens"))
        return Tokens(args);
    if (verb == QLatin1String("arrange"))
        return UiToolArrange(args);
    if (verb == QLatin1String("toolbar"))
        return UiToolToolbar(args);
    return Usage();
}
