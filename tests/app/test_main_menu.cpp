// The main menu: its items, the enabling of each top menu when it opens and again when an item or its
// shortcut is triggered, the dialogs behind the file and picture commands, the toolbars of the Window
// menu, the programs and the default fixed programs of the Tools menu, the telephone transfer's
// received projects, the container's keys inside a module window and the Arabic menus.

#include "tests/app/ProjectSupport.h"
#include "tests/support/MenuInk.h"

#include "app/UFormTelCalls.h"
#include "app/UMainMenu.h"
#include "app/UModuleForms.h"
#include "app/UNewProj.h"
#include "app/UOpenProj.h"
#include "editors/NumEdit_m.h"
#include "editors/RContainerPanel_m.h"
#include "imaging/Bitmap.h"
#include "ui/ComboEdit.h"
#include "ui/DockToolBar_m.h"
#include "ui/LanguagePack.h"
#include "ui/MainMenu_m.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/RadioButton_m.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"

#include <QApplication>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/stat.h>

using namespace apptest;

namespace {

// Plays the person's part in the next modal forms.
struct ModalScript {
    explicit ModalScript(std::function<void(MModalForm&)> Play) { MModalForm::ModalHook = std::move(Play); }
    ~ModalScript() { MModalForm::ModalHook = nullptr; }
};

// The file dialog answers with one name and keeps what it was shown with.
struct FileChoice {
    struct Dialog : MFileDialog {
        FileChoice& Owner;
        explicit Dialog(FileChoice& O) : Owner(O) {}
        bool Execute(TDialogKind, TFileDialogSettings& Settings, QWidget*) override {
            Owner.Shown = Settings;
            Settings.FileName = Owner.Name;
            return !Owner.Name.isEmpty();
        }
    };
    FileChoice() {
        SetFileDialogFactory([this] { return std::make_unique<Dialog>(*this); });
    }
    ~FileChoice() { SetFileDialogFactory(nullptr); }
    QString Name;
    TFileDialogSettings Shown;
};

// Opens a top menu and closes it again, as the person does before pressing a key; answers the
// enabled state of the items while it was open.
std::map<QString, bool> OpenAndClose(MPopupMenu* Menu) {
    emit Menu->aboutToShow();
    std::map<QString, bool> enabled;
    for (QAction* a : Menu->actions())
        if (!a->isSeparator())
            enabled[a->text()] = a->isEnabled();
    emit Menu->aboutToHide();
    return enabled;
}

void Press(QWidget* W, Qt::Key Key, Qt::KeyboardModifiers Modifiers) {
    QTest::keyClick(W, Key, Modifiers);
    QApplication::processEvents();
}

// A shown station with its file menu.
struct MenuFixture : StationFixture {
    MenuFixture() {
        Main().resize(900, 600);
        Main().show();
        QApplication::processEvents();
        Main().activateWindow();
        Main().Client()->setFocus();
    }
    TMainMenu& Menu() { return Main().MainMenu(); }
    FakeDrawing* NewDrawing(const QString& Name, bool Changed) {
        auto* d = static_cast<FakeDrawing*>(Main().NewKnitWindow());
        d->FileName = Name;
        d->Changed = Changed;
        return d;
    }
    FakeProject* NewProject() { return static_cast<FakeProject*>(Main().NewPrjContainer()); }
};

} // namespace

TEST(MainMenu, HoldsTheMenusItemsShortcutsAndSeparatorsInOrder) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    QStringList bar;
    for (QAction* a : fx.Main().OMainMenu()->actions())
        bar << a->text();
    // The Language menu follows the station's own.
    EXPECT_EQ(bar, (QStringList{"File", "Image", "Window", "Tools", "Help", "Language"}));
    auto listed = [](const MPopupMenu* Menu) {
        QStringList items;
        for (QAction* a : Menu->actions())
            items << (a->isSeparator()
                          ? QStringLiteral("-")
                          : a->text() + (a->shortcut().isEmpty()
                                             ? QString()
                                             : " " + a->shortcut().toString(QKeySequence::PortableText)));
        return items;
    };
    EXPECT_EQ(listed(m.FilePopup), (QStringList{"New Project Ctrl+N",
                                                "Open Project Ctrl+O",
                                                "Save Project Ctrl+S",
                                                "Save Project As Ctrl+A",
                                                "-",
                                                "New Image Ctrl+Shift+N",
                                                "Open Image Ctrl+Shift+O",
                                                "Save Image Ctrl+Shift+S",
                                                "Save Image As Ctrl+Shift+A",
                                                "-",
                                                "SaveAll",
                                                "Close All",
                                                "-",
                                                "Select Scanner",
                                                "Import From Scanner",
                                                "Telephone Transfer",
                                                "-",
                                                "Import from JXW666 4system",
                                                "Import from JXW666 2system",
                                                "Export To JXW666",
                                                "-",
                                                "Exit Alt+F4"}));
    EXPECT_EQ(listed(m.ImagePopup), (QStringList{"Resize", "Adjust number of colors", "To machine colors",
                                                 "Gray Scale", "Black&&White"}));
    EXPECT_EQ(listed(m.WindowsPopup), (QStringList{"Tools Window", "View Window", "Brushes Window",
                                                   "Colors Window", "Drawing Window"}));
    EXPECT_EQ(listed(m.ToolsPopup),
              (QStringList{"Browser", "Disk Manager", "-", "Load default fixed program", "-", "Options"}));
    EXPECT_EQ(listed(m.HelpPopup), (QStringList{"Contents", "About"}));
}

// The states of the File menu's items that have rules, and of the Image menu.
struct EnablingCase {
    const char* Name;
    std::function<void(MenuFixture&)> Make;
    bool SaveProject;
    bool SaveImage;
    bool SaveImageAs;
    bool Exchange;
    bool All;
};

TEST(MainMenu, EachTopMenuEnablesItsItemsFromTheCurrentProjectAndDrawingAlsoForTheShortcuts) {
    const std::vector<EnablingCase> cases = {
        {"nothing open", [](MenuFixture&) {}, false, false, false, false, false},
        {"only a project current",
         [](MenuFixture& fx) {
             FakeProject* p = fx.NewProject();
             fx.Main().PrjContainerNotify(1, 8, p->WindowNumber);
         },
         true, false, false, false, true},
        {"a changed drawing current with an empty sibling path",
         [](MenuFixture& fx) {
             fx.Main().Settings().Jxw666Path.clear();
             fx.NewDrawing(QStringLiteral("/d/a.bmp"), true);
         },
         false, true, true, false, true},
        {"an unchanged named drawing",
         [](MenuFixture& fx) { fx.NewDrawing(QStringLiteral("/d/a.bmp"), false); }, false, false, true, true,
         true},
        {"a no-name drawing", [](MenuFixture& fx) { fx.NewDrawing(NoName, false); }, false, true, true, true,
         true},
        {"no current drawing",
         [](MenuFixture& fx) {
             fx.NewDrawing(NoName, true);
             FakeProject* p = fx.NewProject();
             fx.Main().PrjContainerNotify(1, 8, p->WindowNumber);
         },
         true, false, false, false, true},
        // The project's own drawing is the window a designer works in: its project is the current one.
        {"a project's own drawing current",
         [](MenuFixture& fx) {
             FakeProject* p = fx.NewProject();
             p->OwnDrawing = static_cast<FakeDrawing*>(fx.Main().NewKnitWindow(false));
             p->OwnDrawing->FileName = QStringLiteral("/d/p.BMP");
         },
         true, false, true, true, true},
        // A drawing a project held once, stand-alone since, is a picture of its own.
        {"a stand-alone drawing its project still names",
         [](MenuFixture& fx) {
             FakeProject* p = fx.NewProject();
             p->OwnDrawing = fx.NewDrawing(QStringLiteral("/d/p.BMP"), false);
         },
         false, false, true, true, true},
    };
    for (const EnablingCase& c : cases) {
        SCOPED_TRACE(c.Name);
        MenuFixture fx;
        fx.Main().Settings().Jxw666Path = QStringLiteral("/opt/jxw666/jxw.exe");
        c.Make(fx);
        TMainMenu& m = fx.Menu();
        const auto file = OpenAndClose(m.FilePopup);
        EXPECT_EQ(file.at("Save Project"), c.SaveProject);
        EXPECT_EQ(file.at("Save Project As"), c.SaveProject);
        EXPECT_EQ(file.at("Save Image"), c.SaveImage);
        EXPECT_EQ(file.at("Save Image As"), c.SaveImageAs);
        for (const char* item :
             {"Import from JXW666 4system", "Import from JXW666 2system", "Export To JXW666"})
            EXPECT_EQ(file.at(item), c.Exchange) << item;
        EXPECT_EQ(file.at("SaveAll"), c.All);
        EXPECT_EQ(file.at("Close All"), c.All);
        for (const char* item : {"New Project", "Open Project", "New Image", "Open Image", "Select Scanner",
                                 "Import From Scanner", "Telephone Transfer", "Exit"})
            EXPECT_TRUE(file.at(item)) << item;
        for (const auto& [text, enabled] : OpenAndClose(m.ImagePopup))
            EXPECT_EQ(enabled, c.SaveImageAs) << text.toStdString();

        // The keys act exactly where the items are enabled: Ctrl+A and Ctrl+S save the project,
        // Shift+Ctrl+A asks for the picture's name (answered with a cancel).
        std::vector<std::string> projectLog;
        for (MBusProject* p : fx.Main().Projects())
            static_cast<FakeProject*>(p)->Log.clear();
        Press(&fx.Main(), Qt::Key_A, Qt::ControlModifier);
        Press(&fx.Main(), Qt::Key_S, Qt::ControlModifier);
        for (MBusProject* p : fx.Main().Projects())
            for (const std::string& line : static_cast<FakeProject*>(p)->Log)
                projectLog.push_back(line);
        EXPECT_EQ(projectLog, c.SaveProject ? (std::vector<std::string>{"save as", "save as"})
                                            : std::vector<std::string>{});
        Press(&fx.Main(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(fx.Requests.size(), c.SaveImageAs ? 1u : 0u);
        EXPECT_EQ(fx.Shown(), 0u);
    }
}

TEST(MainMenu, AShortcutChecksTheStateWhenPressedNotWhenTheMenuLastOpened) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    // Opened with nothing: Save Image As was disabled; a drawing opened since has the key.
    EXPECT_FALSE(OpenAndClose(m.FilePopup).at("Save Image As"));
    FakeDrawing* d = fx.NewDrawing(NoName, false);
    Press(&fx.Main(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(fx.Requests.size(), 1u);
    // Opened with the drawing, which has gone since: the key does nothing.
    EXPECT_TRUE(OpenAndClose(m.FilePopup).at("Save Image As"));
    d->close();
    QApplication::processEvents();
    ASSERT_TRUE(fx.Main().Drawings().empty());
    Press(&fx.Main(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    m.Trigger(m.FileSaveAs);
    // Without a drawing the colour count is not even asked.
    int dialogs = 0;
    ModalScript count([&](MModalForm&) { ++dialogs; });
    m.Trigger(m.ImageColorDepth);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(fx.Requests.size(), 1u);
    EXPECT_EQ(fx.Shown(), 0u);
}

TEST(MainMenu, SaveAllSavesProjectsBeforeDrawingsAndCloseAllStopsAtACancel) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    FakeDrawing* drawing = fx.NewDrawing(QStringLiteral("/d/a.bmp"), true);
    FakeProject* project = fx.NewProject();
    project->Modified = true;
    project->Name = QStringLiteral("/d/p.LST");
    project->Log.clear();
    std::vector<std::string> savedBefore;
    drawing->OnWrite = [&] { savedBefore = project->Log; };
    m.Trigger(m.FileSaveAll);
    EXPECT_EQ(savedBefore, (std::vector<std::string>{"save /d/p.LST"}));
    ASSERT_EQ(drawing->Written.size(), 1u);
    EXPECT_EQ(drawing->Written[0].first, QStringLiteral("/d/a.bmp"));

    // Close All: the project refuses, so the drawing is not asked and both stay.
    project->RefuseClose = true;
    drawing->Changed = true;
    m.Trigger(m.FileCloseAll);
    EXPECT_EQ(fx.Messages.Coded.size(), 0u);
    EXPECT_EQ(fx.Main().Projects().size(), 1u);
    EXPECT_EQ(fx.Main().Drawings().size(), 1u);
    // Then the project goes first and the drawing asks about its changes (No).
    project->RefuseClose = false;
    fx.Messages.Answers = {mbNo};
    m.Trigger(m.FileCloseAll);
    EXPECT_TRUE(fx.Main().Projects().empty());
    EXPECT_TRUE(fx.Main().Drawings().empty());
    EXPECT_EQ(fx.Messages.Coded.size(), 1u);
}

TEST(MainMenu, EachItemThatSendsACommandReachesItsWindowWithItsOwnCommand) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    TFormMain& main = fx.Main();
    main.Settings().Jxw666Path = fx.Dir.path() + "/jxw666A/jxw.exe";
    FakeProject* project = fx.NewProject();
    project->Name = QStringLiteral("/d/p.LST");
    auto* drawing = static_cast<FakeDrawing*>(main.NewKnitWindow(false));
    project->OwnDrawing = drawing;
    drawing->FileName = QStringLiteral("/d/p.bmp");
    drawing->OnWrite = [drawing] {
        drawing->Log.push_back("write " + drawing->Written.back().first.toStdString());
    };
    const std::string sibling = (fx.Dir.path() + "/jxw666A/").toStdString();
    struct Case {
        MMenuItem* Item;
        bool ProjectCurrent;
        std::vector<std::string> Drawing;
        std::vector<std::string> Project;
    };
    const std::vector<Case> cases = {
        {m.FileSaveProject, true, {}, {"save /d/p.LST"}},
        {m.FileSaveProjectAs, true, {}, {"save as"}},
        // From the project's own drawing the project commands reach its project.
        {m.FileSaveProject, false, {}, {"save /d/p.LST"}},
        {m.FileSaveProjectAs, false, {}, {"save as"}},
        {m.FileSave, false, {"write /d/p.bmp"}, {}},
        {m.FileSaveAs, false, {"write /d/q.bmp"}, {}},
        {m.ImportFrom6x4sys, false, {"import " + sibling + "Ver_4_x/Expto7.bmp"}, {}},
        {m.ImportFrom6x2sys, false, {"import " + sibling + "Ver_2_x/Expto7.bmp"}, {}},
        {m.ExportTo6x,
         false,
         {"export " + sibling + "Ver_2_x/IMPFROM7.bmp mapped", "export " + sibling + "Ver_4_x/IMPFROM7.bmp"},
         {}},
        {m.ImageResize, false, {"resize", "refresh"}, {}},
        {m.ImageJaquadPalette, false, {}, {"machine colours"}},
        {m.ImageGrayScale, false, {"grey", "repaint"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Item->text().toStdString());
        if (c.ProjectCurrent)
            main.PrjContainerNotify(1, 8, project->WindowNumber);
        else
            main.SetCurrentWindow(drawing->WindowNumber);
        drawing->Changed = true;
        drawing->Log.clear();
        project->Log.clear();
        fx.SaveAnswers = {{QStringLiteral("/d/q.bmp"), 1}};
        m.Trigger(c.Item);
        EXPECT_EQ(drawing->Log, c.Drawing);
        EXPECT_EQ(project->Log, c.Project);
    }
    EXPECT_EQ(fx.Shown(), 0u);
}

TEST(MainMenu, TheColourCountShowsTheCountAndSendsOnlyAChangedOne) {
    struct Case {
        int Colours;
        const char* Shown;
        const char* Typed; // empty: cancelled
        std::vector<std::string> Sent;
    };
    const std::vector<Case> cases = {
        {12, "12", "12", {}},
        {12, "12", "8", {"reduce 8"}},
        {12, "12", "", {}},
        {1, "2", "3", {"reduce 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Colours) + " " + c.Typed);
        MenuFixture fx;
        FakeDrawing* d = fx.NewDrawing(NoName, false);
        d->Colors = c.Colours;
        d->Log.clear();
        QString shown;
        ModalScript script([&](MModalForm& F) {
            auto& form = static_cast<TFormColorNos&>(F);
            shown = form.MEditColors->text();
            if (*c.Typed) {
                form.MEditColors->setText(QString::fromLatin1(c.Typed));
                form.MBtnOK->click();
            }
        });
        fx.Menu().Trigger(fx.Menu().ImageColorDepth);
        EXPECT_EQ(shown, QString::fromLatin1(c.Shown));
        std::vector<std::string> sent;
        for (const std::string& line : d->Log)
            if (line.rfind("reduce", 0) == 0)
                sent.push_back(line);
        EXPECT_EQ(sent, c.Sent);
    }
}

TEST(MainMenu, BlackAndWhiteSendsTheChosenMethod) {
    MenuFixture fx;
    FakeDrawing* d = fx.NewDrawing(NoName, false);
    for (const bool threshold : {true, false}) {
        ModalScript script([&](MModalForm& F) {
            auto& form = static_cast<TFormColorNos&>(F);
            (threshold ? form.MRadioBtnThreShold : form.MRadioBtnOrdered)->setChecked(true);
            form.MBtnOK->click();
        });
        fx.Menu().Trigger(fx.Menu().ImageConvertToBW);
    }
    {
        ModalScript cancel([](MModalForm&) {});
        fx.Menu().Trigger(fx.Menu().ImageConvertToBW);
    }
    std::vector<std::string> sent;
    for (const std::string& line : d->Log)
        if (line.rfind("bw", 0) == 0)
            sent.push_back(line);
    EXPECT_EQ(sent, (std::vector<std::string>{"bw 507", "bw 508"}));
}

TEST(MainMenu, OpenImageOpensPicturesOnlyAndRemembersTheFolder) {
    MenuFixture fx;
    const QString d = fx.Dir.path() + "/pics/";
    QDir().mkpath(d);
    for (const char* n : {"a.knf", "a.LST", "b.bmp"})
        kdstest::WriteFile(d + n, "data");
    fx.Main().Settings().OpenImagePath = fx.Dir.path();
    FileChoice choice;
    choice.Name = d + "a.knf";
    fx.Menu().Trigger(fx.Menu().FileOpenImage);
    EXPECT_EQ(choice.Shown.InitialDir, fx.Dir.path());
    choice.Name = d + "a.LST";
    fx.Menu().Trigger(fx.Menu().FileOpenImage);
    EXPECT_TRUE(fx.Main().Drawings().empty());
    EXPECT_TRUE(fx.Main().Projects().empty());
    EXPECT_EQ(fx.Main().Settings().OpenImagePath, fx.Dir.path() + "/pics");
    EXPECT_TRUE(choice.Shown.Filter.startsWith("All files|*.*|BitMap image|*.bmp|"));
    choice.Name = d + "b.bmp";
    fx.Menu().Trigger(fx.Menu().FileOpenImage);
    ASSERT_EQ(fx.Main().Drawings().size(), 1u);
    const std::vector<std::string>& log = static_cast<FakeDrawing*>(fx.Main().Drawings()[0])->Log;
    EXPECT_NE(std::find(log.begin(), log.end(), "load 1"), log.end());
    EXPECT_EQ(choice.Shown.InitialDir, fx.Dir.path() + "/pics");
    EXPECT_EQ(fx.Shown(), 0u);
}

TEST(MainMenu, NewImageAndTheScannerLeaveNoWindowBehindWhenThePictureFails) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    ModalScript script([](MModalForm& F) {
        auto& form = static_cast<TOFormNew&>(F);
        form.MEditWidth->setText(QStringLiteral("30"));
        form.MEditLength->setText(QStringLiteral("40"));
        form.MBtnOK->click();
    });
    m.Trigger(m.FileNewImage);
    ASSERT_EQ(fx.Main().Drawings().size(), 1u);
    auto* made = static_cast<FakeDrawing*>(fx.Main().Drawings()[0]);
    EXPECT_EQ(made->Log, (std::vector<std::string>{"tool 8", "new 30x40", "refresh"}));
    EXPECT_EQ(made->FileName, NoName);

    // A scan that brings nothing makes no window.
    const TBitmap* lent = nullptr;
    fx.Scan = [&](TImageIO& IO) {
        lent = IO.AttachedBitmap();
        return false;
    };
    m.Trigger(m.FileAcquire);
    EXPECT_NE(lent, nullptr);
    EXPECT_EQ(m.OImageIO.AttachedBitmap(), nullptr);
    EXPECT_EQ(fx.Main().Drawings().size(), 1u);
    // A scan that fails is shown and leaves the component without the bitmap it was lent.
    fx.Scan = [](TImageIO&) -> bool { throw EReadError(QStringLiteral("The scanner is gone")); };
    m.Trigger(m.FileAcquire);
    EXPECT_EQ(fx.Shown(), 1u);
    EXPECT_EQ(m.OImageIO.AttachedBitmap(), nullptr);
    EXPECT_EQ(fx.Main().Drawings().size(), 1u);
    fx.Scan = [](TImageIO& IO) {
        *IO.AttachedBitmap() = TBitmap::Unfilled(3, 2, pf24bit);
        return true;
    };
    m.Trigger(m.FileAcquire);
    ASSERT_EQ(fx.Main().Drawings().size(), 2u);
    EXPECT_EQ(static_cast<FakeDrawing*>(fx.Main().Drawings()[1])->Log,
              (std::vector<std::string>{"tool 8", "take", "refresh"}));
    EXPECT_EQ(m.OImageIO.AttachedBitmap(), nullptr);

    // A picture the window refuses: the error is shown, the window is gone from the frame and the
    // registry, so SaveAll asks for no name.
    for (MMenuItem* item : {m.FileNewImage, m.FileAcquire}) {
        fx.Factory.FailNextLoad = true;
        const std::size_t before = fx.Shown();
        m.Trigger(item);
        EXPECT_EQ(fx.Shown(), before + 1);
        EXPECT_EQ(fx.Main().Drawings().size(), 2u);
        EXPECT_EQ(fx.Main().Client()->subWindowList().size(), 2);
        EXPECT_EQ(m.OImageIO.AttachedBitmap(), nullptr);
    }
    for (FakeDrawing* d : {made, static_cast<FakeDrawing*>(fx.Main().Drawings()[1])})
        d->FileName = QStringLiteral("/d/kept.bmp");
    m.Trigger(m.FileSaveAll);
    EXPECT_TRUE(fx.Requests.empty());
}

TEST(MainMenu, TheWindowItemsAreCheckedByTheirToolbarsAndTurnThem) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    TMainToolbars& t = *fx.Main().Tools();
    const std::vector<std::pair<MMenuItem*, MDockToolBar*>> pairs = {
        {m.WindowsTools, t.MToolBarTools},     {m.WindowsView, t.MToolBarView},
        {m.WindowsBrushes, t.MToolBarBrushes}, {m.WindowsColors, t.MToolBarColors},
        {m.WindowsDrawing, t.MToolBarDrawing},
    };
    // Each item names its toolbar by the toolbar's own caption, in either language.
    for (const int language : {LanguageArabic, LanguageEnglish}) {
        fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(language);
        QApplication::processEvents();
        for (const auto& [item, bar] : pairs)
            EXPECT_EQ(item->text().toStdString(), bar->Caption().toStdString());
    }
    for (const auto& [item, bar] : pairs) {
        SCOPED_TRACE(item->text().toStdString());
        for (int round = 0; round < 2; ++round) {
            const bool visible = bar->Visible();
            emit m.WindowsPopup->aboutToShow();
            EXPECT_EQ(item->isChecked(), visible);
            item->trigger();
            EXPECT_EQ(bar->Visible(), !visible);
            emit m.WindowsPopup->aboutToShow();
            EXPECT_EQ(item->isChecked(), !visible);
        }
    }
}

TEST(MainMenu, TheProgramsStartByTheirPathsAndAMissingOneIsPassedOverSilently) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    const QString marker = fx.Dir.path() + "/started";
    const QString script = fx.Dir.path() + "/browser.sh";
    kdstest::WriteFile(script, ("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    ::chmod(QFile::encodeName(script).constData(), 0700);

    TMainSettings& s = fx.Main().Settings();
    s.BrowserPath.clear();
    s.ZodeZidadedPath = fx.Dir.path() + "/no such/dm.EXE";
    auto tools = OpenAndClose(m.ToolsPopup);
    EXPECT_FALSE(tools.at("Browser"));
    EXPECT_TRUE(tools.at("Disk Manager"));
    EXPECT_TRUE(tools.at("Load default fixed program"));
    EXPECT_TRUE(tools.at("Options"));
    m.Trigger(m.toolsDiskManger);
    s.ZodeZidadedPath.clear();
    EXPECT_FALSE(OpenAndClose(m.ToolsPopup).at("Disk Manager"));

    s.BrowserPath = script;
    EXPECT_TRUE(OpenAndClose(m.ToolsPopup).at("Browser"));
    m.Trigger(m.toolsBrowser);
    for (int i = 0; i < 100 && !QFileInfo::exists(marker); ++i)
        QTest::qWait(50);
    EXPECT_TRUE(QFileInfo::exists(marker));
    EXPECT_EQ(fx.Shown(), 0u);
}

namespace {

// Every entry of a folder, its subfolders' entries under "sub/name", with the bytes of its files.
std::map<QString, QByteArray> FolderContents(const QString& Folder) {
    std::map<QString, QByteArray> contents;
    QDirIterator it(Folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        contents[QDir(Folder).relativeFilePath(f.filePath())] =
            f.isDir() ? QByteArray("<folder>") : kdstest::ReadFile(f.filePath());
    }
    return contents;
}

} // namespace

TEST(MainMenu, LoadingTheDefaultFixedProgramsReplacesTheFixedOnesAllOrNothing) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    const QString exportFolder = fx.AppPath() + "Export/";
    const QString fixed = exportFolder + "Fixed/";
    const QString defaults = exportFolder + "Default/";
    auto fixedNames = [&] { return QDir(fixed).entryList(QDir::Files | QDir::System, QDir::Name); };
    // Two programs the designer exported, a folder, a hidden file and a file of no program of the
    // designer's.
    auto refill = [&] {
        QDir(fixed).removeRecursively();
        QDir().mkpath(fixed + "mine");
        for (const char* n : {"a.mod", "a.bmp", "b.mod", "b.bmp", "mine/keep.txt", ".keep", "mine.LST"})
            kdstest::WriteFile(fixed + n, QByteArray("old ") + n);
    };
    auto subCodes = [&] {
        std::vector<int> codes;
        for (const auto& c : fx.Messages.Coded)
            codes.push_back(c.SubCode);
        fx.Messages.Coded.clear();
        return codes;
    };

    // A missing default folder, then an empty one (as the station ships it): the message says so
    // and the fixed programs stay.
    refill();
    const auto before = FolderContents(fixed);
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(FolderContents(fixed), before);
    EXPECT_EQ(subCodes(), std::vector<int>{fixedmsg::NoDefaults});
    QDir().mkpath(defaults);
    QDir().mkpath(defaults + "folder");
    kdstest::WriteFile(defaults + ".hidden", "not a program");
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(FolderContents(fixed), before);
    EXPECT_EQ(subCodes(), std::vector<int>{fixedmsg::NoDefaults});

    // A full default folder: the question names the two programs that go; No keeps them.
    kdstest::WriteFile(defaults + "c.mod", "default program");
    kdstest::WriteFile(defaults + "c.bmp", "default picture");
    fx.Messages.Answers = {mbNo};
    m.Trigger(m.LoaddefaultfixedProgram1);
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, fixedmsg::Replace);
    EXPECT_EQ(fx.Messages.Coded[0].Args, QStringLiteral("2"));
    EXPECT_EQ(fx.Messages.Coded[0].Buttons, mbYes | mbNo);
    fx.Messages.Coded.clear();
    EXPECT_EQ(FolderContents(fixed), before);

    // Yes: the fixed folder holds the default programs; the designer's folder and hidden file stay,
    // and nothing is left beside it.
    fx.Messages.Answers = {mbYes};
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(subCodes(), std::vector<int>{fixedmsg::Replace});
    EXPECT_EQ(fixedNames(), (QStringList{"c.bmp", "c.mod", "mine.LST"}));
    EXPECT_EQ(kdstest::ReadFile(fixed + "c.mod"), QByteArray("default program"));
    EXPECT_EQ(kdstest::ReadFile(fixed + "mine.LST"), QByteArray("old mine.LST"));
    EXPECT_EQ(kdstest::ReadFile(fixed + "mine/keep.txt"), QByteArray("old mine/keep.txt"));
    EXPECT_EQ(kdstest::ReadFile(fixed + ".keep"), QByteArray("old .keep"));
    EXPECT_EQ(QDir(exportFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"Default", "Fixed"}));

    // A name that is not UTF-8 is copied under its own bytes.
    const std::string latin = "\xe9t\xe9.mod";
    const std::filesystem::path defaultLatin = QFile::encodeName(defaults).toStdString() + latin;
    const std::filesystem::path fixedLatin = QFile::encodeName(fixed).toStdString() + latin;
    std::ofstream(defaultLatin) << "latin";
    refill();
    fx.Messages.Answers = {mbYes};
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(subCodes(), std::vector<int>{fixedmsg::Replace});
    EXPECT_EQ(kdstest::ReadFile(fixed + "c.mod"), QByteArray("default program"));
    std::ifstream copied(fixedLatin);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "latin");
    std::filesystem::remove(defaultLatin);

    // A file that cannot be copied, after others that could: the fixed folder stays byte for byte
    // as it was, the message names the file, and no staging folder is left.
    ::mkfifo(QFile::encodeName(defaults + "d.pipe").constData(), 0600);
    kdstest::WriteFile(defaults + "e.mod", "after");
    refill();
    const auto full = FolderContents(fixed);
    fx.Messages.Answers = {mbYes};
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(FolderContents(fixed), full);
    ASSERT_EQ(fx.Messages.Coded.size(), 2u);
    EXPECT_EQ(fx.Messages.Coded[1].SubCode, fixedmsg::CopyFailed);
    // The file once, then the system's reason, not a sentence that names the file again.
    EXPECT_EQ(fx.Messages.Coded[1].Args.count(QStringLiteral("d.pipe")), 1);
    EXPECT_TRUE(fx.Messages.Coded[1].Args.endsWith(QStringLiteral("d.pipe;") +
                                                   QString::fromLocal8Bit(std::strerror(ENOTSUP))))
        << fx.Messages.Coded[1].Args.toStdString();
    EXPECT_EQ(QDir(exportFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"Default", "Fixed"}));

    // A load stopped half way, between the two renames of its folders: the fixed folder is gone,
    // the old one under its second name, and a staging folder holds a file of the designer's. The
    // next load brings the old folder back, keeps its other files, and sets the staging folder aside.
    QFile::remove(defaults + "d.pipe");
    std::filesystem::remove_all(QFile::encodeName(fixed).toStdString());
    ASSERT_FALSE(QFileInfo::exists(fixed));
    QDir().mkpath(exportFolder + ".Fixed.staging.old");
    QDir().mkpath(exportFolder + ".Fixed.staging");
    kdstest::WriteFile(exportFolder + ".Fixed.staging.old/mine.txt", "old mine");
    kdstest::WriteFile(exportFolder + ".Fixed.staging/keep.txt", "only copy");
    fx.Messages.Answers = {mbYes};
    m.Trigger(m.LoaddefaultfixedProgram1);
    EXPECT_EQ(kdstest::ReadFile(fixed + "mine.txt"), QByteArray("old mine"));
    EXPECT_EQ(kdstest::ReadFile(fixed + "c.mod"), QByteArray("default program"));
    EXPECT_EQ(kdstest::ReadFile(exportFolder + ".Fixed.staging.interrupted-1/keep.txt"),
              QByteArray("only copy"));
}

TEST(MainMenu, TheTransferOpensEveryReceivedProjectInOrderAndFreesItsWindow) {
    MenuFixture fx;
    const QString d = fx.Dir.path() + "/";
    kdstest::WriteFile(d + "b.LST", "b");
    kdstest::WriteFile(d + "c.LST", "c");
    ::mkfifo(QFile::encodeName(d + "p.LST").constData(), 0600);
    fx.Main().Settings().OpenProjectPath = fx.Dir.path();
    QPointer<TFormTransfer> window;
    QString initial;
    bool modal = false;
    int ticks = -1;
    ModalScript script([&](MModalForm& F) {
        auto* t = dynamic_cast<TFormTransfer*>(&F);
        ASSERT_NE(t, nullptr);
        window = t;
        initial = t->OpenDialog1.InitialDir;
        modal = QApplication::activeModalWidget() == t;
        // The autosave waits while the window is open.
        const int before = fx.Main().TickCounter();
        fx.Main().Timer1Timer();
        ticks = fx.Main().TickCounter() - before;
        // a is gone before it can be opened, p cannot be read.
        t->ReceivedFiles = {d + "a.LST", d + "b.LST", d + "p.LST", d + "c.LST"};
    });
    fx.Menu().Trigger(fx.Menu().FileTeleTransfer);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(initial, fx.Dir.path());
    EXPECT_TRUE(modal);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(fx.Shown(), 2u);
    ASSERT_EQ(fx.Main().Projects().size(), 2u);
    EXPECT_EQ(static_cast<FakeProject*>(fx.Main().Projects()[0])->Opened, d + "b.LST");
    EXPECT_EQ(static_cast<FakeProject*>(fx.Main().Projects()[1])->Opened, d + "c.LST");
}

TEST(MainMenu, InsideAModuleWindowCtrlAIsTheContainersSelectAll) {
    prjtest::ProjectFixture fx;
    InstallModuleWindows();
    fx.Main().resize(1200, 900);
    fx.Main().show();
    QApplication::processEvents();
    TPrjContainer* project = fx.Open(fx.MakeProject(QStringLiteral("menu_740e7")));
    ASSERT_NE(project, nullptr);
    project->PressButton(wiZ);
    QApplication::processEvents();
    auto* z = dynamic_cast<MModuleForm*>(project->ChildWindow(wiZ));
    ASSERT_NE(z, nullptr);
    MRContainerPanel* c = z->Container();
    c->RefreshRows();
    auto* cell = c->Rows()[0]->findChild<QLineEdit*>();
    ASSERT_NE(cell, nullptr);
    z->activateWindow();
    cell->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    fx.Main().PrjContainerNotify(1, 8, project->WindowNumber);
    Press(cell, Qt::Key_A, Qt::ControlModifier);
    int first = 0, last = -1;
    c->Items()->GetSelectedRange(first, last);
    EXPECT_EQ(last - first + 1, c->Items()->Count());
    EXPECT_GT(c->Items()->Count(), 0);
    EXPECT_TRUE(fx.Requests.empty());
    // Outside the module window the key is the menu's Save Project As.
    fx.Main().Client()->setFocus(Qt::OtherFocusReason);
    Press(fx.Main().Client(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(fx.Requests.size(), 1u);
}

// A new project saved from its drawing under a name typed without the machine's ending is saved with
// it, so that after closing Open Project lists it in its folder and it opens again whole.
TEST(MainMenu, SaveProjectAsUnderANameOfOnesOwnIsListedByOpenProjectAndReopens) {
    prjtest::ProjectFixture fx;
    fx.Main().resize(900, 600);
    fx.Main().show();
    QApplication::processEvents();
    TMainMenu& m = fx.Main().MainMenu();
    {
        ModalScript make([](MModalForm& F) {
            auto& f = static_cast<TOFormNewProj&>(F);
            f.MEditWidth->setText(QStringLiteral("30"));
            f.MEditLength->setText(QStringLiteral("12"));
            f.MBtnOK->click();
        });
        m.Trigger(m.FileNewProject);
    }
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* p = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    // The designer works in the drawing: it is the current window.
    ASSERT_EQ(fx.Main().CurrentWindowNumber(), p->Drawing()->WindowNumber);
    p->Program().Z.GetZ(5).TZ = 77;
    p->Program().Z.DeleteNumber(100);
    p->Board()->SetCell(0, 3, 4, 0x123456u);
    const QString folder = fx.Dir.filePath(QStringLiteral("x"));
    QDir().mkpath(folder);
    fx.SaveAsAnswers = {folder + QStringLiteral("/mydesign")};
    Press(&fx.Main(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(p->GetProjectName(), folder + QStringLiteral("/mydesign_740e7.JXW"));
    EXPECT_TRUE(p->Caption().contains(QStringLiteral("/x/mydesign_740e7 "))) << p->Caption().toStdString();
    EXPECT_TRUE(p->Drawing()->BusWidget()->windowTitle().contains(QStringLiteral("Prog:mydesign_740e7 ")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              (QStringList{"mydesign_740e7.BMP", "mydesign_740e7.JXW", "mydesign_740e7.LST"}));
    m.Trigger(m.FileCloseAll);
    ASSERT_TRUE(fx.Main().Projects().empty());
    ASSERT_TRUE(fx.Main().Drawings().empty());

    QStringList listed;
    {
        ModalScript open([&](MModalForm& F) {
            auto& f = static_cast<TFormOpenProj&>(F);
            f.SetDirectory(folder);
            for (int i = 0; i < f.FileListBox1->count(); ++i)
                listed << f.FileListBox1->item(i)->text();
            if (f.FileListBox1->count() > 0)
                f.FileListBox1->setCurrentRow(0);
            f.BtnOK->click();
        });
        m.Trigger(m.FileOpenProject);
    }
    EXPECT_EQ(listed, QStringList{QStringLiteral("mydesign_740e7.LST")});
    ASSERT_EQ(fx.Main().Projects().size(), 1u);
    auto* again = static_cast<TPrjContainer*>(fx.Main().Projects()[0]);
    EXPECT_EQ(again->GetProjectName(), folder + QStringLiteral("/mydesign_740e7.JXW"));
    EXPECT_EQ(again->Program().Z.Count(), 99);
    EXPECT_EQ(again->Program().Z.GetZ(5).TZ, 77);
    ASSERT_NE(again->Board(), nullptr);
    EXPECT_EQ(again->Board()->ImageWidth(), 30);
    EXPECT_EQ(again->Board()->GetCell(3, 4), 0x123456u);
    EXPECT_EQ(fx.Shown(), 0u);
}

TEST(MainMenu, InArabicTheMenusRunFromTheRightWithTheirTextsAtTheRight) {
    MenuFixture fx;
    TMainMenu& m = fx.Menu();
    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
    QApplication::processEvents();
    MMainMenu* bar = fx.Main().OMainMenu();
    EXPECT_EQ(m.mnuFile->text(), QStringLiteral("ملف"));
    EXPECT_EQ(m.FileSaveAll->text(), QStringLiteral("حفظ الكل"));
    EXPECT_GT(bar->actionGeometry(m.mnuFile).left(), bar->actionGeometry(m.mnuImage).left());

    MPopupMenu* pop = m.FilePopup;
    emit pop->aboutToShow();
    pop->adjustSize();
    const QImage image = pop->grab().toImage();
    auto ink = [&](QAction* Item) { return kdstest::InkColumns(image, pop->actionGeometry(Item)); };
    const auto [shortLeft, shortRight] = ink(m.FileTeleTransfer);
    const auto [longLeft, longRight] = ink(m.FileAcquire);
    ASSERT_GE(shortRight, shortLeft);
    EXPECT_NEAR(shortRight, longRight, 1);
    EXPECT_GT(shortLeft, longLeft + 20);
    EXPECT_GT(shortRight, pop->width() / 2);
    emit pop->aboutToHide();

    fx.Station->DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
    QApplication::processEvents();
    EXPECT_EQ(m.FileSaveAll->text(), QStringLiteral("SaveAll"));
    EXPECT_LT(bar->actionGeometry(m.mnuFile).left(), bar->actionGeometry(m.mnuImage).left());
}
