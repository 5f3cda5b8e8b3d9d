// uitool arrange: the arrangement of a dock's bars from the shell (the verb uitool.cpp hands on).
//
//   uitool arrange [--vertical] --length N [--bound tblr] [--clip] [--rowat P] BAR...
//   BAR = ROW,POS,LENGTH,THICKNESS[,full]   (outer length along the row, docked thickness)
//
// Prints per bar, in input order, "bar <i> row <DockRow> pos <DockPos> rect <x> <y> <w> <h>", then
// "thickness <dock thickness>", and with --rowat a last line "rowat <P> row <r> new <0|1>".

#include "ui/DockCore.h"

#include <QStringList>

#include <cstdio>
#include <deque>

namespace {
int Fail(const char* Message) {
    std::fprintf(stderr, "uitool arrange: %s\n", Message);
    return 1;
}

bool ToInt(const QString& S, int& Value) {
    bool ok = false;
    Value = S.toInt(&ok);
    return ok;
}
} // namespace

int UiToolArrange(const QStringList& Args) {
    TDockArrangeInput in;
    bool haveLength = false, rowAt = false;
    int length = 0, rowAtPos = 0;
    std::deque<TDockBarSlot> store;
    std::vector<TDockBarSlot*> bars, order;
    QStringList barArgs;
    for (int i = 0; i < Args.size(); ++i) {
        const QString& a = Args[i];
        if (a == QLatin1String("--vertical")) {
            in.Vertical = true;
        } else if (a == QLatin1String("--clip")) {
            in.ClipPositions = true;
        } else if (a == QLatin1String("--length") && i + 1 < Args.size()) {
            if (!ToInt(Args[++i], length) || length < 0)
                return Fail("--length needs a number of pixels");
            haveLength = true;
        } else if (a == QLatin1String("--rowat") && i + 1 < Args.size()) {
            if (!ToInt(Args[++i], rowAtPos))
                return Fail("--rowat needs a position");
            rowAt = true;
        } else if (a == QLatin1String("--bound") && i + 1 < Args.size()) {
            for (const QChar c : Args[++i]) {
                if (c == QLatin1Char('t') || c == QLatin1Char('b'))
                    ++in.FrameHeight;
                else if (c == QLatin1Char('l') || c == QLatin1Char('r'))
                    ++in.FrameWidth;
                else
                    return Fail("--bound takes the letters t, b, l and r");
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            return Fail("unknown option");
        } else {
            barArgs.append(a);
        }
    }
    if (!haveLength)
        return Fail("--length is required");
    for (const QString& a : barArgs) {
        const QStringList f = a.split(QLatin1Char(','));
        TDockBarSlot s;
        int barLength = 0;
        if (f.size() < 4 || f.size() > 5 || !ToInt(f[0], s.DockRow) || !ToInt(f[1], s.DockPos) ||
            !ToInt(f[2], barLength) || !ToInt(f[3], s.Thickness) || barLength < 0 || s.Thickness < 0 ||
            (f.size() == 5 && f[4] != QLatin1String("full")))
            return Fail("a bar is ROW,POS,LENGTH,THICKNESS[,full]");
        s.FullSize = f.size() == 5;
        s.Shown = true;
        (in.Vertical ? s.Height : s.Width) = barLength;
        (in.Vertical ? s.Width : s.Height) = s.Thickness + 4;
        store.push_back(s);
        bars.push_back(&store.back());
    }
    (in.Vertical ? in.Height : in.Width) = length;
    order = bars;
    const TDockArrangeResult result = ArrangeDockBars(order, in);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const TDockBarSlot& s = *bars[i];
        std::printf("bar %zu row %d pos %d rect %d %d %d %d\n", i, s.DockRow, s.DockPos, s.Bounds.x(),
                    s.Bounds.y(), s.Bounds.width(), s.Bounds.height());
    }
    std::printf("thickness %d\n", result.Thickness);
    if (rowAt) {
        const TRowAtPosition at = DockRowAtPosition(result.RowSizes, rowAtPos);
        std::printf("rowat %d row %d new %d\n", rowAtPos, at.Row, at.NewRow ? 1 : 0);
    }
    return 0;
}
