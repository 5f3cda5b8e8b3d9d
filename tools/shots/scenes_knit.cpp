// Scenes of the knit window and its dialogs: a project's drawing with a turned selection floating
// and the tool cursor, the text dialog and the carrier-colour dialog of the graphic test.

#include "tools/shots/Shots.h"
#include "tools/shots/WindowFrame.h"

#include "app/BusCodes.h"
#include "app/UFontDlg.h"
#include "app/UYCcolors.h"
#include "app/UknitWindow.h"
#include "ui/ScrollHemiSphereBtn_m.h"
#include "ui/edit_m.h"
#include "ui/listbox_m.h"
#include "ui/memo_m.h"

#include <QPainter>

#include <cstdlib>

namespace {

// A sweater's yoke drawn here: bands of fir trees between ribs of stripes, with a row of small
// crosses, in five yarns on a cream ground.
constexpr TColor Cream = 0xE8F0F4, Fir = 0x327D2E, Trunk = 0x414C6D, Red = 0x3020B0, Navy = 0x7E231A;
constexpr int BandHeight = 24, TreeWidth = 12;

TColor YokeCell(int X, int Y) {
    const int row = Y % BandHeight, x = X % TreeWidth - 5;
    if (row < 2 || row >= BandHeight - 2)
        return (X / 2) % 2 == 0 ? Red : Cream;
    if (row >= 3 && row <= 11 && 2 * std::abs(x) <= row - 3)
        return Fir;
    if ((row == 12 || row == 13) && x == 0)
        return Trunk;
    if (row >= 16 && row <= 18) {
        const int cx = X % 6 - 2;
        if ((cx == 0 && row != 17) || (row == 17 && std::abs(cx) <= 1))
            return Navy;
    }
    return Cream;
}

// Draws the window's cursor into its picture, its hot spot at Pixel.
void PaintCursor(QImage& Picture, const QCursor& Cursor, QPoint Pixel) {
    const QPixmap pm = Cursor.pixmap();
    if (pm.isNull())
        return;
    QPainter p(&Picture);
    p.drawPixmap(Pixel - Cursor.hotSpot(), pm);
}

} // namespace

KDS_SHOT_SCENE("knit",
               "A project's drawing: a sweater yoke at zoom 6 with the grid, a fir tree selected, turned "
               "a quarter and floating, and the select tool's cursor over it") {
    auto w = std::make_unique<TknitWindow>(nullptr);
    w->StandAlone = false;
    w->resize(560, 380);
    TBitmap picture(120, 48, pf24bit);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            PutCellColor(picture.ScanLine(y) + 3 * x, YokeCell(x, y));
    w->SetRaster(std::move(picture));
    w->SetFileName(QStringLiteral("YOKE.bmp"));
    w->Tools.ToolFamily = bus::FamilySingle;
    w->Tools.Tool = bus::ToolSelect;
    w->Tools.BrushColor = Cream;
    w->MBusDrawing::Grid = true;
    w->SetTool(bus::ToolSelect);
    w->SetPAmpFac(6);
    w->HomePosition();
    // The second fir tree of the first band with its ground, turned a quarter clockwise in place.
    const int left = 2 * TreeWidth, top = 2;
    w->SetSelectionCells({left, top, left + TreeWidth - 1, top + 12});
    w->SelectionOperation(bus::CmdRot90, 0);
    TknitWindow* window = w.get();
    const TBoardPoint over = w->CellToPixel(left + 4, top + 6);
    ctx.Grab = [window, over](QWidget*) {
        QImage frame = shots::FramedWindow(window);
        PaintCursor(frame, window->cursor(), QPoint(over.X, over.Y) + shots::FramedClientOffset);
        return frame;
    };
    return w;
}

KDS_SHOT_SCENE("text-dialog", "The text dialog: two lines of text in a bold font of 18 points, with "
                              "the first line's preview") {
    auto d = std::make_unique<TFormFontDlg>();
    // A family that holds Arabic letters as well, where there is one.
    const QList<QListWidgetItem*> sans =
        d->MListBoxName->findItems(QStringLiteral("DejaVu Sans"), Qt::MatchExactly);
    if (!sans.isEmpty())
        d->MListBoxName->setCurrentItem(sans.first());
    d->MEditSize->setText(QStringLiteral("18"));
    d->MListBoxStyle->item(0)->setSelected(true);
    d->MMemoText->setPlainText(ctx.Language == 0 ? QStringLiteral("صوف\nWOOL")
                                                 : QStringLiteral("WOOL\nKNIT"));
    return d;
}

KDS_SHOT_SCENE("yc-colors", "The carrier-colour dialog of the graphic test: the carriers of both rails and "
                            "the five special stitches in their colours") {
    auto d = std::make_unique<TFormYCcolors>();
    static const TColor carriers[] = {0x0000FF, 0x00A5FF, 0x00FFFF, 0x00C000,
                                      0xC0C000, 0xFF0000, 0x800080, 0x404040};
    for (int i = 0; i < 16; ++i)
        d->CarrierButtons[std::size_t(i)]->SetFaceColor(i < 8 ? carriers[i] : carriers[15 - i]);
    d->btnTransferedStitch->SetFaceColor(0xFFFFFF);
    d->btnRightTransfered->SetFaceColor(0x80FF80);
    d->btnLeftTransfered->SetFaceColor(0xFF8080);
    d->btnOppositeStitch->SetFaceColor(0x8080FF);
    return d;
}
