// uitool toolbar: the layout of a toolbar's controls from the shell.
//
//   uitool toolbar [--dock horz|vert|float] [--wrap N] [--sizes] ITEM...
//   ITEM = WxH (a control), sep, sep:blank or sep:H,V (the separator's SizeHorz and SizeVert)
//
// Prints "client <w> <h>", then per item "item <i> rect <x> <y> <w> <h>", then per row line
// "line <y> blank <0|1>"; with --sizes instead one line "size <w> <h>" per candidate floating client
// size, in list order.

#include "ui/ToolbarCore.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

namespace {
int Fail(const char* Message) {
    std::fprintf(stderr, "uitool toolbar: %s\n", Message);
    return 1;
}

bool ParseItem(const QString& S, TToolbarItem& It) {
    static const QRegularExpression control(QStringLiteral("^(\\d{1,7})x(\\d{1,7})$"));
    static const QRegularExpression sizes(QStringLiteral("^sep:(-?\\d{1,7}),(-?\\d{1,7})$"));
    if (const auto m = control.match(S); m.hasMatch()) {
        It.Width = m.captured(1).toInt();
        It.Height = m.captured(2).toInt();
        return true;
    }
    It.Separator = true;
    if (S == QLatin1String("sep"))
        return true;
    if (S == QLatin1String("sep:blank")) {
        It.Blank = true;
        return true;
    }
    if (const auto m = sizes.match(S); m.hasMatch()) {
        // As the separator's setters: below 1 becomes 1.
        It.SizeHorz = std::max(m.captured(1).toInt(), 1);
        It.SizeVert = std::max(m.captured(2).toInt(), 1);
        return true;
    }
    return false;
}
} // namespace

int UiToolToolbar(const QStringList& Args) {
    TToolbarLayoutInput in;
    in.Apply = true;
    bool sizes = false;
    std::vector<TToolbarItem> items;
    for (int i = 0; i < Args.size(); ++i) {
        const QString& a = Args[i];
        if (a == QLatin1String("--dock") && i + 1 < Args.size()) {
            const QString d = Args[++i];
            if (d == QLatin1String("horz"))
                in.DockType = 1;
            else if (d == QLatin1String("vert"))
                in.DockType = 2;
            else if (d == QLatin1String("float"))
                in.DockType = 0;
            else
                return Fail("--dock takes horz, vert or float");
        } else if (a == QLatin1String("--wrap") && i + 1 < Args.size()) {
            bool ok = false;
            in.WrapWidth = Args[++i].toInt(&ok);
            if (!ok)
                return Fail("--wrap needs a number of pixels");
        } else if (a == QLatin1String("--sizes")) {
            sizes = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return Fail("unknown option");
        } else {
            TToolbarItem it;
            if (!ParseItem(a, it))
                return Fail("an item is WxH, sep, sep:blank or sep:H,V");
            items.push_back(it);
        }
    }
    if (sizes) {
        for (const QSize& s : BuildToolbarFloatingSizes(items))
            std::printf("size %d %d\n", s.width(), s.height());
        return 0;
    }
    std::vector<TToolbarRowLine> lines;
    const QSize client = LayOutToolbar(items, in, &lines);
    std::printf("client %d %d\n", client.width(), client.height());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QRect& r = items[i].Bounds;
        std::printf("item %zu rect %d %d %d %d\n", i, r.x(), r.y(), r.width(), r.height());
    }
    for (const TToolbarRowLine& l : lines)
        std::printf("line %d blank %d\n", int(l.Pos), l.Blank ? 1 : 0);
    return 0;
}
