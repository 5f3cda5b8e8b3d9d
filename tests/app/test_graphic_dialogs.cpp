// The board's free-rotation and selection-resize dialogs driving a drawing of the station end to
// end: the dialog, the main window's command bus, the knit window and the graphic window's commands.

#include "tests/app/AppTestSupport.h"
#include "tests/app/BoardSupport.h"

#include "app/UMain.h"
#include "app/UknitWindow.h"
#include "editors/NumEdit_m.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"

#include <QSlider>

#include <gtest/gtest.h>

#include <set>

using namespace boardtest;

namespace {

constexpr TColor White = 0xFFFFFF;

// Answers the next modal showing with Script.
class Answer {
public:
    explicit Answer(std::function<void(MModalForm&)> Script) { MModalForm::ModalHook = std::move(Script); }
    ~Answer() { MModalForm::ModalHook = nullptr; }
};

// The station's own factory in place of the fixture's fakes while a test runs.
struct UseStationFactory {
    MBusFactory* Old = BusFactory();
    UseStationFactory() { SetBusFactory(&StationFactory()); }
    ~UseStationFactory() { SetBusFactory(Old); }
};

struct DrawingFixture : apptest::StationFixture {
    UseStationFactory Factory;
    TknitWindow* W = nullptr;
    DrawingFixture() {
        W = dynamic_cast<TknitWindow*>(Main().NewKnitWindow());
        W->NewImage(20, 16);
        W->SetRaster(Picture(
            20, 16, [](int x, int y) { return x >= 2 && x < 6 && y >= 10 && y < 13 ? Tag(x, y) : White; }));
        W->SetPAmpFac(4);
        W->Frame()->resize(300, 200);
        W->Frame()->show();
        Main().SetCurrentWindow(W->WindowNumber);
        W->Tools.BrushColor = White;
        W->SetSelectionCells({2, 10, 5, 12}); // 4 x 3 cells
    }
    std::set<TColor> Colours(const TBoardRect& R) const {
        std::set<TColor> out;
        for (int y = R.Top; y <= R.Bottom; ++y)
            for (int x = R.Left; x <= R.Right; ++x)
                out.insert(W->GetCell(x, y));
        return out;
    }
};

} // namespace

TEST(GraphicDialogs, TheFreeRotationTurnsTheSelectionAndCancelPutsItBack) {
    DrawingFixture f;
    const TBitmap before = f.W->Raster();
    {
        Answer a([&](MModalForm&) {
            f.Main().FormRotFree->MEditAngle->setText(QStringLiteral("90"));
            f.Main().FormRotFree->MBtnOK->click();
        });
        f.Main().ExecuteFreeRotation();
    }
    // A quarter turn floats 3 x 4 at the selection's corner; the old place shows the brush colour.
    ASSERT_TRUE(f.W->PasteBuffer.Floating);
    EXPECT_EQ(f.W->GetSelection().Width(), f.W->PasteBuffer.Width);
    EXPECT_EQ(f.W->PasteBuffer.Width, 3);
    EXPECT_EQ(f.W->PasteBuffer.Height, 4);
    EXPECT_EQ(f.Colours({2, 10, 5, 12}), std::set<TColor>{White});
    f.W->SelectionOperation(bus::CmdApplyPaste, 0);
    EXPECT_EQ(f.Colours({2, 10, 4, 13}).count(White), 0u);

    // Cancelled after a preview: the content is back as it was, still floating at its place.
    f.W->Undo();
    EXPECT_EQ(f.W->Raster().Width(), before.Width());
    f.W->SetSelectionCells({2, 10, 5, 12});
    {
        Answer a([&](MModalForm&) {
            f.Main().FormRotFree->MEditAngle->setText(QStringLiteral("30"));
            f.Main().FormRotFree->MBtnCancel->click();
        });
        f.Main().ExecuteFreeRotation();
    }
    f.W->SelectionOperation(bus::CmdApplyPaste, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(f.W->GetCell(x, y), CellOf(before, x, y)) << x << "," << y;
}

TEST(GraphicDialogs, TheSelectionResizeStretchesFromTheBottomLeftCell) {
    DrawingFixture f;
    const TBitmap before = f.W->Raster();
    {
        Answer a([&](MModalForm&) {
            TFormImageResize& r = *f.Main().FormSelectionResize;
            r.MCheckBoxAspect->setChecked(false);
            r.SetSize(8, 6);
            // The preview is on screen only.
            EXPECT_EQ(f.W->GetCell(9, 7), White);
            r.MBtnOK->click();
        });
        f.Main().ExecuteSelectionResize();
    }
    // 8 x 6 cells whose bottom-left cell is the selection's: columns 2..9, rows 7..12.
    EXPECT_EQ(f.W->GetSelection(), (TBoardRect{2, 7, 9, 12}));
    EXPECT_EQ(f.Colours({2, 7, 9, 12}).count(White), 0u);
    EXPECT_EQ(f.W->GetCell(9, 7), Tag(5, 10));
    EXPECT_EQ(f.W->GetCell(2, 12), Tag(2, 12));

    // Cancelled, nothing changes.
    f.W->Undo();
    f.W->SetSelectionCells({2, 10, 5, 12});
    {
        Answer a([&](MModalForm&) {
            TFormImageResize& r = *f.Main().FormSelectionResize;
            r.SetSize(10, 10);
            r.MBtnCancel->click();
        });
        f.Main().ExecuteSelectionResize();
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(f.W->GetCell(x, y), CellOf(before, x, y)) << x << "," << y;
    EXPECT_EQ(f.W->GetSelection(), (TBoardRect{2, 10, 5, 12}));
}

// The bus gives a drawing its tool state as fields; the picture commands of the menus take them in
// before they work, as the tools do on a mouse event: a brush colour or a paste repeat chosen while
// the pointer stayed off the drawing counts at once.
TEST(GraphicDialogs, PictureCommandsTakeTheToolStateChosenLast) {
    DrawingFixture f;
    // Resize: the new rows at the top take the brush colour chosen last.
    f.Main().SendCommand(bus::GroupColor, bus::CmdBrushColor, 0x123456);
    {
        Answer a([&](MModalForm&) {
            TFormImageResize& r = *f.Main().FormImageResize;
            r.MCheckBoxAspect->setChecked(false);
            r.MCheckBoxStretch->setChecked(false);
            r.SetSize(20, 19);
            r.MBtnOK->click();
        });
        f.Main().SendCommand(bus::GroupFile, bus::CmdResize);
    }
    ASSERT_EQ(f.W->ImageHeight(), 19);
    EXPECT_EQ(f.Colours({0, 0, 19, 2}), std::set<TColor>{0x123456});
    EXPECT_EQ(f.W->GetCell(2, 13), Tag(2, 10));

    // A paste repeated three times, then at once Gray Scale: the three copies go into the picture.
    f.W->SetSelectionCells({2, 13, 5, 15});
    f.Main().SendCommand(bus::GroupSelection, bus::CmdCopy);
    f.Main().SendCommand(bus::GroupSelection, bus::CmdPaste, 3, 1);
    ASSERT_TRUE(f.W->PasteBuffer.Floating);
    const int x = f.W->PasteBuffer.PosX, y = f.W->PasteBuffer.PosY;
    ASSERT_LE(x + 11, 18);
    f.Main().SendCommand(bus::GroupFile, bus::CmdGrayScale);
    // Each copy holds the copied cells, in grey: none shows the rows it was pasted over.
    ASSERT_NE(f.W->GetCell(x, y), f.W->GetCell(19, 0));
    for (int copy = 1; copy < 3; ++copy)
        for (int dy = 0; dy < 3; ++dy)
            for (int dx = 0; dx < 4; ++dx)
                EXPECT_EQ(f.W->GetCell(x + 4 * copy + dx, y + dy), f.W->GetCell(x + dx, y + dy))
                    << copy << ": " << dx << "," << dy;
}
