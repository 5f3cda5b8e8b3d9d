// The registry and the command bus against recording drawings and projects: which drawings a command
// reaches, its answer and the tool state after; the window numbers; the closing questions; Save Image
// As.

#include "tests/app/AppTestSupport.h"

#include "app/BusCodes.h"
#include "model/Ucommon.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

using namespace apptest;

namespace {

// Two drawings (1 older, 2 current) and a fixture around them.
struct TwoDrawings : StationFixture {
    TwoDrawings() {
        Old = static_cast<FakeDrawing*>(Main().NewKnitWindow());
        Current = static_cast<FakeDrawing*>(Main().NewKnitWindow());
        Old->Log.clear();
        Current->Log.clear();
    }
    FakeDrawing* Old;
    FakeDrawing* Current;
};

TEST(MainBus, RoutesEachCommandToTheCurrentDrawingOrToAll) {
    struct Case {
        int Group, Command, Param, Param2;
        bool ToOld, ToCurrent;
        int Answer;
        std::string CurrentLog;
    } cases[] = {
        {1, 51, 0, 0, false, true, 0, "op 51"},
        {1, 57, 30, 0, false, true, 0, "op 57 30"},
        {1, 59, 61, 0, false, true, 0, "op 61"},
        {1, 59, 99, 0, false, true, 0, ""},
        {101, 102, 0, 0, true, true, 0, "tool 34"},
        {101, 104, 0, 0, false, true, 0, "repaint"},
        {101, 105, 0x123456, 0, false, true, 0, "repaint"},
        {101, 106, 0, 0, false, true, 0, "home"},
        {201, 202, 3, 0, true, true, 0, ""},
        {201, 205, 0, 0, false, true, 0, ""},
        {301, 302, 0x0000FF, 0, true, true, 0, ""},
        {401, 4, 5, 0, true, true, 0, "tool 5"},
        {501, 502, 16, 0, false, true, 0, "reduce 16"},
        {501, 505, 0, 0, false, true, 0, "grey"},
        {501, 506, 508, 0, false, true, 0, "bw 508"},
        {501, 515, 0, 0, false, true, 17, ""},
        {501, 999, 0, 0, true, true, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Group) + "/" + std::to_string(c.Command));
        TwoDrawings fx;
        const int answer = fx.Main().SendCommand(c.Group, c.Command, c.Param, c.Param2);
        EXPECT_EQ(answer, c.Answer);
        const std::string log = fx.Current->Log.empty() ? std::string() : fx.Current->Log.front();
        EXPECT_EQ(log, c.CurrentLog);
        // A command for all drawings ends with the oldest as the target.
        EXPECT_EQ(fx.Main().TargetDrawing(), c.ToOld ? static_cast<MBusDrawing*>(fx.Old) : fx.Current);
        if (c.Group == 301) {
            EXPECT_EQ(fx.Old->Tools.PenColor, 0x0000FFu);
            EXPECT_EQ(fx.Current->Tools.PenColor, 0x0000FFu);
            EXPECT_EQ(fx.Main().Tools()->ToolState().PenColor, 0x0000FFu);
        }
        if (c.Group == 401) {
            EXPECT_EQ(fx.Old->Tools.ToolFamily, 4);
            EXPECT_EQ(fx.Main().Tools()->ToolState().Tool, 5);
        }
        if (c.Group == 201 && c.Command == 202) {
            EXPECT_EQ(fx.Old->Tools.PenWidth, 3);
            EXPECT_EQ(fx.Main().Tools()->ToolState().PenWidth, 3);
        }
        if (c.Group == 101 && c.Command == 104) {
            EXPECT_TRUE(fx.Current->Grid);
            EXPECT_FALSE(fx.Old->Grid);
        }
        if (c.Group == 101 && c.Command == 102) {
            EXPECT_EQ(fx.Old->Tools.ToolFamily, 34);
        }
    }
}

TEST(MainBus, WithoutDrawingsOnlyTheToolStateChangesAndTheNextDrawingStartsWithIt) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    EXPECT_EQ(m.SendCommand(1, 51), -1);
    EXPECT_EQ(m.SendCommand(301, 303, 0x112233), -1);
    EXPECT_EQ(m.SendCommand(401, 2, 3), -1);
    auto* d = static_cast<FakeDrawing*>(m.NewKnitWindow());
    EXPECT_EQ(d->Tools.BrushColor, 0x112233u);
    EXPECT_EQ(d->Tools.ToolFamily, 2);
    EXPECT_EQ(d->Tools.Tool, 3);
    EXPECT_EQ(d->Tools.PenColor, 0u);
    EXPECT_EQ(d->Log, (std::vector<std::string>{"tool 3"}));
}

TEST(MainBus, PasteStoresTheRepeatAndTheRectangleCommandsShareTheStoredRectangle) {
    TwoDrawings fx;
    fx.Main().SendCommand(1, 69, 3, -1);
    EXPECT_EQ(fx.Current->PasteCountX, 3);
    EXPECT_TRUE(fx.Current->PasteDiagonal);
    fx.Main().SendCommand(1, 59, 60);
    EXPECT_EQ(fx.Main().StoredRect(), QRect(1, 2, 30, 40));
    fx.Main().SendCommand(1, 59, 63);
    EXPECT_EQ(fx.Current->StretchRect, QRect(1, 2, 30, 40));
    EXPECT_EQ(fx.Current->Log.back(), "op 63");
}

TEST(MainBus, WindowNumbersAreNeverReused) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    auto* first = m.NewKnitWindow();
    EXPECT_EQ(first->WindowNumber, 1);
    auto* project = static_cast<FakeProject*>(m.NewPrjContainer());
    EXPECT_EQ(project->WindowNumber, 2);
    EXPECT_EQ(m.CurrentProject(), project);
    auto* own = static_cast<FakeDrawing*>(m.NewKnitWindow(false));
    project->OwnDrawing = own;
    EXPECT_EQ(own->WindowNumber, 3);
    EXPECT_EQ(m.FindPrjOfKnitWindow(own), project);
    EXPECT_EQ(m.FindPrjOfKnitWindow(first), nullptr);
    // Closing the project closes its drawing without the drawing's question.
    own->Changed = true;
    EXPECT_TRUE(m.Client()->subWindowList().size() == 3);
    EXPECT_EQ(m.SendPrjCommand(501, 519), -1);
    EXPECT_TRUE(fx.Messages.Coded.empty());
    EXPECT_EQ(m.Projects().size(), 0u);
    EXPECT_EQ(m.NewKnitWindow()->WindowNumber, 4);
}

TEST(MainBus, NotificationsMoveTheCurrentWindowAndTheUndoButton) {
    TwoDrawings fx;
    TFormMain& m = fx.Main();
    fx.Old->UndoAvailable = true;
    m.KnitWindowNotify(1, 8, 1);
    EXPECT_EQ(m.CurrentWindowNumber(), 1);
    EXPECT_EQ(m.TargetDrawing(), fx.Old);
    m.SendCommand(1, 52);
    EXPECT_EQ(fx.Old->Log.back(), "op 52");
    // A project's activation names it; the target follows the current number.
    auto* p = m.NewPrjContainer();
    m.PrjContainerNotify(1, 8, p->WindowNumber);
    EXPECT_EQ(m.CurrentWindowNumber(), 3);
    EXPECT_EQ(m.TargetDrawing(), nullptr);
    EXPECT_EQ(m.SendCommand(1, 52), -1);
    // Project closing detaches it; a cancelled closing registers it again at the end.
    m.PrjContainerNotify(1, 9, 3);
    EXPECT_EQ(m.DetachedContainer(), p);
    EXPECT_TRUE(m.Projects().empty());
    m.RestoreDetachedContainer();
    EXPECT_EQ(m.Projects(), std::vector<MBusProject*>{p});
}

// ---- Closing.

TEST(MainClose, AChangedDrawingAsksAndEachAnswerDoesItsPart) {
    struct Case {
        std::vector<int> Answers;
        bool Closes;
        size_t Writes;
    } cases[] = {
        {{mbCancel}, false, 0},
        {{mbClosed}, false, 0},
        {{mbNo}, true, 0},
        {{mbYes}, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Answers.front());
        StationFixture fx;
        auto* d = static_cast<FakeDrawing*>(fx.Main().NewKnitWindow());
        d->FileName = fx.Dir.path() + "/pic.png";
        d->Changed = true;
        QPointer<FakeDrawing> alive(d);
        fx.Messages.Answers.assign(c.Answers.begin(), c.Answers.end());
        const bool closed = fx.Main().Client()->subWindowList().first()->close();
        EXPECT_EQ(closed, c.Closes);
        ASSERT_EQ(fx.Messages.Coded.size(), 1u);
        EXPECT_EQ(fx.Messages.Coded[0], (kdstest::MScriptedMessages::Shown{11, 101, QString(), 22}));
        EXPECT_EQ(fx.Main().Drawings().size(), c.Closes ? 0u : 1u);
        if (alive) {
            EXPECT_EQ(alive->Written.size(), c.Writes);
        }
    }
}

TEST(MainClose, AnUnnamedDrawingWhoseSaveAsIsCancelledOrFailsStaysOpen) {
    for (const bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "write fails" : "Save As cancelled");
        StationFixture fx;
        auto* d = static_cast<FakeDrawing*>(fx.Main().NewKnitWindow());
        d->Changed = true;
        fx.Messages.Answers = {mbYes};
        if (fail) {
            fx.SaveAnswers.push_back({fx.Dir.path() + "/pic", 2});
            d->FailWrite = "Cannot write pic.jpg";
        }
        EXPECT_FALSE(fx.Main().Client()->subWindowList().first()->close());
        EXPECT_EQ(fx.Requests.size(), 1u);
        EXPECT_EQ(fx.Main().Drawings().size(), 1u);
        // The error is shown; the window stays.
        EXPECT_EQ(fx.Shown(), fail ? 2u : 1u);
    }
}

TEST(MainClose, CloseAllStopsAtTheFirstCancelAndExitKeepsOrEmptiesTheDesktop) {
    StationFixture fx;
    TFormMain& m = fx.Main();
    auto* a = static_cast<FakeDrawing*>(m.NewKnitWindow());
    auto* b = static_cast<FakeDrawing*>(m.NewKnitWindow());
    auto* c = static_cast<FakeDrawing*>(m.NewKnitWindow());
    a->Changed = b->Changed = c->Changed = true;
    QPointer<FakeDrawing> pa(a);
    kdstest::WriteFile(m.DeskTopFolder() + "/DT9.LST", "x");
    const QByteArray settingsBefore =
        QFile::exists(fx.SettingsFile) ? kdstest::ReadFile(fx.SettingsFile) : "";
    // Newest first: c No, b Cancel; a is never asked.
    fx.Messages.Answers = {mbNo, mbCancel};
    EXPECT_FALSE(m.CloseAll());
    EXPECT_EQ(fx.Messages.Coded.size(), 2u);
    EXPECT_EQ(m.Drawings().size(), 2u);
    // Exit cancelled: the station runs on with its windows, settings and desktop copies.
    fx.Messages.Answers = {mbCancel};
    EXPECT_FALSE(m.close());
    EXPECT_EQ(m.Drawings().size(), 2u);
    EXPECT_TRUE(QFile::exists(m.DeskTopFolder() + "/DT9.LST"));
    EXPECT_EQ(QFile::exists(fx.SettingsFile) ? kdstest::ReadFile(fx.SettingsFile) : "", settingsBefore);
    // Exit completed: the desktop folder is empty.
    fx.Messages.Answers = {mbNo, mbNo};
    EXPECT_TRUE(m.close());
    EXPECT_TRUE(m.Drawings().empty());
    EXPECT_TRUE(QDir(m.DeskTopFolder()).entryList(QDir::Files).isEmpty());
}

// ---- Saving pictures.

TEST(MainSave, SaveImageAsGivesTheFilterItsExtensionAndAsksTheBmpDepth) {
    struct Case {
        QString Name;
        int Filter;
        int ImageType;
        QString Written;
        int Type;
    } cases[] = {
        {"pic", 2, 1, "pic.jpg", 2},     {"pic", 1, 20, "pic.bmp", 20},  {"pic", 1, 1, "pic.bmp", 1},
        {"pic.txt", 0, 1, "pic.bmp", 1}, {"pic", 11, 20, "pic.bmp", 20}, {"pic.png", 0, 1, "pic.png", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString() + " " + std::to_string(c.Filter));
        StationFixture fx;
        auto* d = static_cast<FakeDrawing*>(fx.Main().NewKnitWindow());
        fx.ImageType = c.ImageType;
        fx.SaveAnswers.push_back({fx.Dir.path() + "/" + c.Name, c.Filter});
        fx.Main().SendCommand(501, 512);
        ASSERT_EQ(d->Written.size(), 1u);
        EXPECT_EQ(d->Written[0], std::make_pair(fx.Dir.path() + "/" + c.Written, c.Type));
        EXPECT_EQ(d->FileName, fx.Dir.path() + "/" + c.Written);
        EXPECT_EQ(fx.Main().Settings().SaveImagePath, fx.Dir.path());
        ASSERT_EQ(fx.Requests.size(), 1u);
        EXPECT_EQ(fx.Requests[0].Title, "Save Image As");
        EXPECT_EQ(fx.Requests[0].Filters.size(), 12);
        EXPECT_EQ(fx.Requests[0].Filters[2], "Jpeg image (*.jpg)");
    }
}

TEST(MainSave, SaveWritesOnlyAChangedOrUnnamedDrawing) {
    StationFixture fx;
    auto* d = static_cast<FakeDrawing*>(fx.Main().NewKnitWindow());
    d->FileName = fx.Dir.path() + "/pic.png";
    fx.Main().SendCommand(501, 511);
    EXPECT_TRUE(d->Written.empty());
    EXPECT_TRUE(fx.Requests.empty());
    d->Changed = true;
    d->FileName = fx.Dir.path() + "/pic.knf";
    fx.Main().SendCommand(501, 511);
    ASSERT_EQ(d->Written.size(), 1u);
    EXPECT_EQ(d->Written[0], std::make_pair(fx.Dir.path() + "/pic.bmp", 1));
    // An unnamed one becomes Save As.
    d->FileName = NoName;
    fx.Main().SendCommand(501, 516);
    EXPECT_EQ(fx.Requests.size(), 1u);
}

TEST(MainSave, ExportAndImportUseTheSiblingProgramsFolder) {
    TwoDrawings fx;
    fx.Main().Settings().Jxw666Path = fx.Dir.path() + "/jxw666A/jxw.exe";
    fx.Main().SendCommand(501, 520);
    ASSERT_EQ(fx.Current->Log.size(), 2u);
    EXPECT_EQ(fx.Current->Log[0],
              "export " + (fx.Dir.path() + "/jxw666A/Ver_2_x/IMPFROM7.bmp").toStdString() + " mapped");
    fx.Main().SendCommand(501, 522);
    EXPECT_EQ(fx.Current->Log.back(),
              "import " + (fx.Dir.path() + "/jxw666A/Ver_4_x/Expto7.bmp").toStdString());
    fx.Current->Log.clear();
    fx.Main().Settings().Jxw666Path.clear();
    fx.Main().SendCommand(501, 520);
    EXPECT_TRUE(fx.Current->Log.empty());
}

} // namespace
