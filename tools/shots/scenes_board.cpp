// Scenes of the drawing board: the board window with a selection and a floating paste, and the six
// picture dialogs.

#include "tools/shots/Shots.h"

#include "app/LBoardWindow.h"
#include "app/UPictureDialogs.h"
#include "editors/NumEdit_m.h"
#include "ui/RadioButton_m.h"
#include "ui/checkbox_m.h"

#include <QSlider>

#include <cstdlib>

namespace {

// A knitted pattern drawn here: bands of diamonds and zigzags in six yarn colours.
TColor PatternCell(int X, int Y) {
    static const TColor yarns[] = {0x2A2AB0, 0xE8E8E8, 0x3C7A1E, 0x1E5AC8, 0x30B4E6, 0x402818};
    const int band = Y / 20;
    const int x = X % 20, y = Y % 20;
    if (band % 2 == 0) {
        const int d = std::abs(x - 10) + std::abs(y - 10);
        if (d <= 3)
            return yarns[4];
        if (d <= 7 && (d % 2) == 0)
            return yarns[(band / 2) % 2 == 0 ? 0 : 5];
        return yarns[1];
    }
    const int zig = (x < 10 ? x : 19 - x) / 2;
    if (y == zig + 5 || y == zig + 6)
        return yarns[3];
    if (y == 14 - zig || y == 15 - zig)
        return yarns[5];
    return yarns[2];
}

// A small heart motif of the paste, with the brush colour (white) where it is transparent.
TColor MotifCell(int X, int Y) {
    static const char* rows[] = {".XX.XX.", "XXXXXXX", "XXXXXXX", ".XXXXX.", "..XXX..", "...X..."};
    return rows[Y][X] == 'X' ? 0x2020D0 : 0xFFFFFF;
}

} // namespace

KDS_SHOT_SCENE("board", "The drawing board: a 200 x 120 pattern at zoom 8 with the grid, a selection and a "
                        "floating paste") {
    ctx.Size = QSize(640, 420);
    auto w = std::make_unique<TBoardWindow>();
    w->resize(ctx.Size);
    TBitmap picture(200, 120, pf24bit);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            PutCellColor(picture.ScanLine(y) + 3 * x, PatternCell(x, y));
    w->SetRaster(std::move(picture));
    w->SetGridFlag(true);
    w->SetPAmpFac(8);
    // The selection over a diamond near the bottom lines, and a heart floating beside it.
    w->SetSelectionCells({4, 84, 16, 96});
    MmapRect& m = w->PasteBuffer;
    m.Width = 7;
    m.Height = 6;
    m.InitPixels();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            m.SetPixel(x, y, MotifCell(x, y));
    m.PosX = 24;
    m.PosY = 104;
    m.Transparent = true;
    m.TransparentColor = 0xFFFFFF;
    m.Floating = true;
    return w;
}

KDS_SHOT_SCENE("picture-new", "The New Image dialog with its width and length") {
    return std::make_unique<TOFormNew>();
}

KDS_SHOT_SCENE("picture-colors", "The colour-count dialog with 16 colours") {
    auto f = std::make_unique<TFormColorNos>();
    f->SetColors(16);
    return f;
}

KDS_SHOT_SCENE("picture-black-white", "The colour-count dialog asking the black-and-white method") {
    auto f = std::make_unique<TFormColorNos>();
    f->BlackWhiteMode = true;
    return f;
}

KDS_SHOT_SCENE("picture-filetype", "The image-type dialog with 16 colours checked") {
    auto f = std::make_unique<TFormFileType>();
    f->MRadioButton16clr->setChecked(true);
    return f;
}

KDS_SHOT_SCENE("picture-repeat", "The Repeat Paste dialog: 4 across, 3 upwards") {
    auto f = std::make_unique<TOFormPastRepeat>();
    f->MEditH->setText(QStringLiteral("4"));
    f->MEditV->setText(QStringLiteral("3"));
    return f;
}

KDS_SHOT_SCENE("picture-rotate", "The free-rotation dialog at 30 degrees") {
    auto f = std::make_unique<TFormRotFree>(nullptr);
    f->SetAngle(30);
    return f;
}

KDS_SHOT_SCENE("picture-resize",
               "The picture resize dialog of a 200 x 120 picture, aspect kept, stretching") {
    auto f = std::make_unique<TFormImageResize>(true, nullptr);
    f->SetWidth(200);
    f->SetLength(120);
    f->MCheckBoxAspect->setChecked(true);
    f->MCheckBoxStretch->setChecked(true);
    return f;
}
