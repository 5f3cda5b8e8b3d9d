// Scenes of the palette grid and the setup-scheme grid.

#include "tools/shots/Shots.h"

#include "editors/CStringGrid_m.h"
#include "editors/ColorsPanel_m.h"

#include <QLabel>

KDS_SHOT_SCENE("colors", "The palette grid over the default palette: four columns of swatches with their "
                         "symbols in black or white") {
    auto w = std::make_unique<QWidget>();
    w->resize(91, 175);
    w->setLayoutDirection(ctx.Language == 0 ? Qt::RightToLeft : Qt::LeftToRight);
    auto* grid = new MColorsPanel(nullptr, w.get());
    grid->move(4, 4);
    return w;
}

KDS_SHOT_SCENE("grid", "The setup-scheme grid with one column of every kind: numbers, signed numbers, the "
                       "flag, the side, the cycle G/U1/U2 and the carrier digit") {
    const bool arabic = ctx.Language == 0;
    auto w = std::make_unique<QWidget>();
    w->resize(420, 190);
    w->setLayoutDirection(arabic ? Qt::RightToLeft : Qt::LeftToRight);
    auto* grid = new MCStringGrid(w.get());
    grid->setGeometry(6, 6, 408, 178);
    grid->SetColCount(10);
    grid->SetRowCount(8);
    grid->SetDefaultRowHeight(20);
    const int kinds[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    const int digits[] = {3, 4, 3, 4, 3, 3, 3, 2, 3, 3};
    const char* heads[] = {"", "K0", "K1", "K2", "K3", "K4", "I", "HV", "UV", "YC"};
    for (int c = 0; c < 10; ++c) {
        grid->ColumnKind[std::size_t(c)] = std::uint8_t(kinds[c]);
        grid->ColumnDigits[std::size_t(c)] = digits[c];
        grid->SetColWidths(c, c == 0 ? 24 : 42);
        grid->SetCells(c, 0, QString::fromLatin1(heads[c]));
    }
    const char* values[7][8] = {
        {"12", "7", "5", "7", "+12", "I", "5", "G"},    {"0", "1234", "-7", "-12", "-3", "", "L12", "U1"},
        {"999", "", "33", "0", "+4", "I", "r3", "U2"},  {"5", "42", "", "-1000", "", "", "", "X"},
        {"1", "2", "3", "4", "5", "I", "L0", "G"},      {"", "", "", "", "", "", "", ""},
        {"7", "70", "700", "-7", "-70", "", "R7", "U1"}};
    for (int r = 1; r < 8; ++r) {
        grid->SetCells(0, r, QString::number(r));
        for (int c = 1; c < 10; ++c)
            grid->SetCells(c, r,
                           c == 9 ? (r % 3 == 0 ? QString() : QString::number(r))
                                  : QString::fromLatin1(values[r - 1][c - 1]));
    }
    grid->SetCurrentCell(5, 2);
    return w;
}
