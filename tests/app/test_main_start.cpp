// The main window's start: the stored settings with their defaults and clamps, the hint window, the
// status bar's read-out and the frame around the MDI area.

#include "tests/app/AppTestSupport.h"

#include "editors/MRHints.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "ui/Adapter.h"
#include "ui/Docks.h"
#include "ui/FriendlyStatusBar.h"
#include "ui/LanguagePack.h"
#include "ui/MainMenu_m.h"
#include "ui/ULPackDM.h"
#include "ui/label_m.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace apptest;

namespace {

QByteArray Ini(const QByteArray& Values) {
    return "[JXW777]\n" + Values;
}

TEST(MainSettings, AnEmptyFileGivesTheDefaultsAndExitWritesAllFourteen) {
    QString file;
    {
        StationFixture fx;
        ASSERT_TRUE(fx.Station);
        file = fx.SettingsFile;
        const TMainSettings& s = fx.Main().Settings();
        EXPECT_EQ(s.LangID, 1);
        EXPECT_EQ(s.DeskTopMinutes, 3);
        EXPECT_EQ(fx.Main().TickLimit(), 360);
        EXPECT_TRUE(s.AutoHideToolBars);
        EXPECT_TRUE(ListsAutoValidate);
        EXPECT_TRUE(ListBoxShowHint);
        EXPECT_EQ(MachineIndex, -1);
        EXPECT_EQ(GaugeIndex, -1);
        EXPECT_TRUE(s.BrowserPath.isEmpty());
        EXPECT_EQ(s.ZodeZidadedPath, QDir::cleanPath(fx.AppPath()) + "/ZodeZidaded/ZodeZidaded.EXE");
        EXPECT_EQ(s.Jxw666Path, fx.Dir.path() + "/jxw666A/jxw.exe");
        // The language chosen while running is the one written.
        DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageArabic);
        fx.Station.reset();
        QSettings store(file, QSettings::IniFormat);
        store.beginGroup("JXW777");
        EXPECT_EQ(store.childKeys().size(), 14);
        EXPECT_EQ(store.value("LangID").toString(), "0");
        EXPECT_EQ(store.value("ListsAutoValidate").toString(), "1");
        EXPECT_EQ(store.value("ListBoxShowHint").toString(), "1");
        EXPECT_EQ(store.value("AutoHideToolBars").toString(), "1");
        EXPECT_EQ(store.value("DeskTopMinutes").toString(), "3");
        EXPECT_EQ(store.value("MachineIndex").toString(), "-1");
        EXPECT_TRUE(store.contains("SaveLmagePath"));
    }
}

TEST(MainSettings, StoredTextsGiveAValueADefaultOrAClamp) {
    struct Case {
        QByteArray Values;
        int Minutes, Ticks, Lang, Machine;
        bool AutoHide, Validate;
    } cases[] = {
        {"DeskTopMinutes=10\n", 10, 1200, 1, -1, true, true},
        {"DeskTopMinutes=0\n", 1, 120, 1, -1, true, true},
        {"DeskTopMinutes=150\n", 99, 11880, 1, -1, true, true},
        {"DeskTopMinutes=abc\n", 3, 360, 1, -1, true, true},
        {"DeskTopMinutes=-5\nLangID=7\n", 1, 120, 1, -1, true, true},
        {"DeskTopMinutes=123456789012345678901234567890\nMachineIndex=99999999999999999999\n", 3, 360, 1, -1,
         true, true},
        {"LangID=0\nMachineIndex=4\nAutoHideToolBars=false\nListsAutoValidate=0\n", 3, 360, 0, 4, false,
         false},
        {"LangID=x\nAutoHideToolBars=maybe\nListsAutoValidate=true\n", 3, 360, 1, -1, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Values.toStdString());
        StationFixture fx(Ini(c.Values));
        ASSERT_TRUE(fx.Station);
        EXPECT_EQ(fx.Main().Settings().DeskTopMinutes, c.Minutes);
        EXPECT_EQ(fx.Main().TickLimit(), c.Ticks);
        EXPECT_EQ(fx.Main().Settings().LangID, c.Lang);
        EXPECT_EQ(MachineIndex, c.Machine);
        EXPECT_EQ(fx.Main().Settings().AutoHideToolBars, c.AutoHide);
        EXPECT_EQ(ListsAutoValidate, c.Validate);
    }
}

TEST(MainSettings, ASettingsFileThatIsAPipeOrAFolderGivesTheDefaultsWithoutWaiting) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "folder");
        StationFixture fx(Ini("DeskTopMinutes=10\nLangID=0\n"));
        ASSERT_TRUE(fx.Station);
        ASSERT_EQ(fx.Main().Settings().DeskTopMinutes, 10);
        QFile::remove(fx.SettingsFile);
        if (pipe)
            ASSERT_EQ(::mkfifo(QFile::encodeName(fx.SettingsFile).constData(), 0600), 0);
        else
            ASSERT_TRUE(QDir().mkpath(fx.SettingsFile));
        // Reading the pipe would wait for a writer for ever.
        fx.Main().ReadSettings();
        EXPECT_EQ(fx.Main().Settings().DeskTopMinutes, 3);
        EXPECT_EQ(fx.Main().Settings().LangID, 1);
        EXPECT_EQ(fx.Main().TickLimit(), 360);
        // Nor is anything written into it at exit.
        fx.Station.reset();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(fx.SettingsFile).constData(), &st), 0);
        EXPECT_EQ(pipe ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode), true);
    }
}

namespace {

// A window that cannot take the Arabic texts.
class ArabicRefuser : public MForm {
public:
    ArabicRefuser() {
        new MLanguageAdapter(this);
        SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(LanguageEnglish);
        FinishLoading();
    }

protected:
    void DOAfterLanguageChange(int aNewLanguage) override {
        MForm::DOAfterLanguageChange(aNewLanguage);
        if (aNewLanguage == LanguageArabic)
            RaiseM(1003, 9);
    }
};

} // namespace

// The stored language taken when the frame shows: a window that cannot take it says why.
TEST(MainStart, ALanguageAWindowCannotTakeAtTheShowIsShown) {
    StationFixture fx;
    ASSERT_EQ(DMLanguagePack->OLanguagePack->LanguageNumber(), LanguageEnglish);
    ArabicRefuser refuser;
    fx.Main().Settings().LangID = LanguageArabic;
    fx.Main().FormShow();
    ASSERT_EQ(fx.Messages.Coded.size(), 1u);
    EXPECT_EQ(fx.Messages.Coded[0].Code, 1003);
    EXPECT_EQ(fx.Messages.Coded[0].SubCode, 9);
    DMLanguagePack->OLanguagePack->SetLanguageNumber(LanguageEnglish);
}

TEST(MainStart, InstallsTheHintWindowAndBuildsTheFrame) {
    StationFixture fx;
    ASSERT_TRUE(fx.Station);
    EXPECT_EQ(fx.StartMessages, 0u);
    const THintOptions o = THintOptions::Installed();
    EXPECT_EQ((std::array{o.Shape, o.ShadowOffset, o.Tail, o.TextAlign}), (std::array{1, 10, 1, 1}));
    EXPECT_EQ(HintPause(), 50);
    EXPECT_EQ(HintHidePause(), 60000);
    EXPECT_NE(ApplicationHintWindow(), nullptr);
    TFormMain& m = fx.Main();
    EXPECT_EQ(m.windowTitle(), "JXW777");
    EXPECT_TRUE(QFileInfo(m.DeskTopFolder()).isDir());
    EXPECT_TRUE(QFileInfo(m.CacheFolder()).isDir());
    EXPECT_EQ(QFileInfo(m.DeskTopFolder()).fileName(), "DeskTop");
    m.resize(900, 600);
    m.show();
    // The free area offered to a drawing is the MDI area's viewport: the docks around it are kept
    // back from the frame's client area.
    EXPECT_EQ(m.MainClientSize(),
              QSize(900, 600 - m.OMainMenu()->height() - m.FriendlyStatusBar1()->height()));
    EXPECT_GE(m.ReservedClientWidth(), m.DockLeft->width() + m.DockRight->width());
    EXPECT_GE(m.ReservedClientHeight(), m.DockUp->height() + m.DockBottom->height());
    EXPECT_GT(m.DockRight->width(), 0);
    EXPECT_GT(m.ReservedClientHeight(), 0);
    // The Language menu of the main menu switches the whole station.
    EXPECT_TRUE(m.MasterAdapter);
    EXPECT_EQ(m.LanguageMenuActions().size(), 2);
}

// An intro that records where it was when it showed.
class IntroProbe : public QWidget {
public:
    explicit IntroProbe(QPoint& At) : QWidget(nullptr, Qt::FramelessWindowHint), FAt(At) { resize(500, 250); }

protected:
    void showEvent(QShowEvent*) override { FAt = pos(); }

private:
    QPoint& FAt;
};

TEST(MainStart, TheIntroShowsCentredWhileTheFrameIsCreatedAndIsFreedAfter) {
    QPointer<QWidget> intro;
    QPoint at(-1, -1);
    StationFixture fx(QByteArray(), {}, [&](QWidget*) -> std::unique_ptr<QWidget> {
        auto w = std::make_unique<IntroProbe>(at);
        intro = w.get();
        return w;
    });
    ASSERT_TRUE(fx.Station);
    EXPECT_TRUE(intro.isNull());
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(at, QPoint((screen.width() - 500) / 2, (screen.height() - 250) / 2));
}

TEST(MainStart, AFailedStepIsShownAndTheStationDoesNotStart) {
    StationFixture fx(QByteArray(), {}, [](QWidget*) -> std::unique_ptr<QWidget> {
        throw EInvalidOperation(QStringLiteral("no intro"));
    });
    EXPECT_FALSE(fx.Station);
    EXPECT_EQ(fx.StartMessages, 1u);
    EXPECT_EQ(FormMain, nullptr);
    // Nothing was read, so nothing is written.
    EXPECT_FALSE(QFile::exists(fx.SettingsFile));
}

TEST(MainStart, TheStatusReadOutShowsZeroWithItsHintsAndFollowsTheMouse) {
    StationFixture fx;
    ASSERT_TRUE(fx.Station);
    TFormMain& m = fx.Main();
    m.show();
    auto* x = static_cast<MLabel*>(m.LabelXValue());
    auto* y = static_cast<MLabel*>(m.LabelYValue());
    EXPECT_EQ(x->text(), "0");
    EXPECT_EQ(y->text(), "0");
    const std::pair<int, std::array<const char*, 2>> hints[] = {
        {LanguageArabic, {"رقم الإبرة في الرسم", "رقم السطر في الرسم"}},
        {LanguageEnglish, {"Needle Nr in Draw", "Line Nr in Draw"}},
    };
    for (const auto& [lang, texts] : hints) {
        DMLanguagePack->OLanguagePack->SetLanguageNumber(lang);
        EXPECT_EQ(x->toolTip(), QString::fromUtf8(texts[0]));
        EXPECT_EQ(y->toolTip(), QString::fromUtf8(texts[1]));
    }
    m.KnitWindowNotify(1, 5, 124, 37);
    EXPECT_EQ(x->text(), "X:124");
    EXPECT_EQ(y->text(), "Y:37");
    // A status tip lies over them and leaves them as they were.
    m.FriendlyStatusBar1()->showMessage("Pen thickness");
    m.FriendlyStatusBar1()->clearMessage();
    EXPECT_TRUE(x->isVisible());
    EXPECT_EQ(x->text(), "X:124");
    EXPECT_EQ(x->geometry(), QRect(4, 3, 44, 14));
}

} // namespace
