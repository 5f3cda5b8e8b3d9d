// The Options dialog, the intro and about windows and the picture button of the intro, and the keys
// of every OK/Cancel dialog.

#include "tests/support/PlainMessages.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TestSupport.h"

#include "app/Intro.h"
#include "app/ProjOptions.h"
#include "app/TwoImageButton.h"
#include "app/UFontDlg.h"
#include "app/UFormFixedProg.h"
#include "app/UFormImport.h"
#include "app/UFormImportData.h"
#include "app/UFormImportModulePrperty.h"
#include "app/UFormRIBProg.h"
#include "app/UMainSettings.h"
#include "app/UNewProj.h"
#include "app/UOpenProj.h"
#include "app/UPictureDialogs.h"
#include "app/UYCcolors.h"
#include "editors/NumEdit_m.h"
#include "editors/SpecFuncForm.h"
#include "imaging/Bitmap.h"
#include "imaging/ImageIO.h"
#include "platform/AppFolder.h"
#include "ui/ComboEdit.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/checkbox_m.h"
#include "ui/label_m.h"
#include "ui/memo_m.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The program's language pack, in English, for the time of a test.
struct EnglishPack {
    EnglishPack() { Module.OLanguagePack->SetLanguageNumber(LanguageEnglish); }
    TDMLanguagePack Module;
};

// Pointer moves and clicks given to a widget at once.
void Move(QWidget* W, QPoint At) {
    QMouseEvent move(QEvent::MouseMove, QPointF(At), W->mapToGlobal(QPointF(At)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(W, &move);
}
void Click(QWidget* W, QPoint At) {
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(At), W->mapToGlobal(QPointF(At)), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(W, &e);
    }
}

// Plays the person's part in the next modal form.
struct ModalScript {
    explicit ModalScript(std::function<void(MModalForm&)> Play) { MModalForm::ModalHook = std::move(Play); }
    ~ModalScript() { MModalForm::ModalHook = nullptr; }
};

// ---- Options.

struct OptionsCase {
    const char* Typed; // the minutes typed into the dialog
    int Stored;        // the minutes taken back
    int TickLimit;
};

TEST(ProjOptions, OkTakesTheValuesBackWithTheMinutesHeldTo1To99) {
    EnglishPack pack;
    const OptionsCase cases[] = {{"0", 1, 120}, {"150", 99, 11880}, {"7", 7, 840}};
    for (const OptionsCase& c : cases) {
        SCOPED_TRACE(c.Typed);
        TMainSettings settings;
        settings.BrowserPath = QStringLiteral("/usr/bin/browser");
        settings.Jxw666Path = QStringLiteral("/opt/jxw666/jxw.exe");
        settings.ZodeZidadedPath = QStringLiteral("/opt/dm/dm.exe");
        settings.ListsAutoValidate = true;
        settings.ListBoxShowHint = false;
        settings.AutoHideToolBars = true;
        QString shownMinutes;
        ModalScript script([&](MModalForm& Form) {
            auto& f = dynamic_cast<TFormProjOptions&>(Form);
            EXPECT_EQ(f.Caption(), QStringLiteral("Options"));
            EXPECT_EQ(f.MNumMinutes->text(), QStringLiteral("3"));
            EXPECT_FALSE(f.chkCancelValidate->isChecked());
            EXPECT_TRUE(f.chkCancelHint->isChecked());
            EXPECT_EQ(f.FNEdtBrowser->Filter(), QStringLiteral("Programs (*)|*"));
            f.MNumMinutes->setText(QString::fromLatin1(c.Typed));
            f.chkCancelValidate->setChecked(true);
            f.chkAutoHideTools->setChecked(false);
            f.FNEdtBrowser->setText(QStringLiteral("/usr/bin/other"));
            QTest::mouseClick(f.btnOK, Qt::LeftButton);
            shownMinutes = f.MNumMinutes->text();
        });
        EXPECT_TRUE(ExecuteProjOptions(settings));
        EXPECT_EQ(settings.DeskTopMinutes, c.Stored);
        EXPECT_EQ(settings.TickLimit(), c.TickLimit);
        EXPECT_EQ(shownMinutes, QString::fromLatin1(c.Typed)); // read only on OK, after the click
        EXPECT_FALSE(settings.ListsAutoValidate);
        EXPECT_FALSE(settings.ListBoxShowHint);
        EXPECT_FALSE(settings.AutoHideToolBars);
        EXPECT_EQ(settings.BrowserPath, QStringLiteral("/usr/bin/other"));
        EXPECT_EQ(settings.Jxw666Path, QStringLiteral("/opt/jxw666/jxw.exe"));
    }
}

TEST(ProjOptions, GetMinutesWritesTheHeldValueBackIntoTheEdit) {
    TFormProjOptions f;
    f.MNumMinutes->setText(QStringLiteral("150"));
    EXPECT_EQ(f.GetMinutes(), 99);
    EXPECT_EQ(f.MNumMinutes->text(), QStringLiteral("99"));
    f.MNumMinutes->setText(QString());
    EXPECT_EQ(f.GetMinutes(), 1);
    EXPECT_EQ(f.MNumMinutes->text(), QStringLiteral("1"));
}

TEST(ProjOptions, CancelChangesNothing) {
    TMainSettings settings;
    settings.DeskTopMinutes = 5;
    const TMainSettings before = settings;
    ModalScript script([](MModalForm& Form) {
        auto& f = dynamic_cast<TFormProjOptions&>(Form);
        f.MNumMinutes->setText(QStringLiteral("0"));
        f.chkAutoHideTools->setChecked(false);
        QTest::mouseClick(f.btnCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(ExecuteProjOptions(settings));
    EXPECT_EQ(settings.DeskTopMinutes, before.DeskTopMinutes);
    EXPECT_EQ(settings.AutoHideToolBars, before.AutoHideToolBars);
}

TEST(ProjOptions, AStoredPathTheEditRefusesStandsAsItIsAndIsShownOnce) {
    kdstest::MPlainMessages plain;
    TMainSettings settings;
    settings.Jxw666Path = QStringLiteral("/opt/jxw|666/jxw.exe");
    settings.BrowserPath = QStringLiteral("/usr/bin/browser");
    bool opened = false;
    ModalScript script([&](MModalForm& Form) {
        auto& f = dynamic_cast<TFormProjOptions&>(Form);
        opened = true;
        EXPECT_EQ(f.FNEdtJxw666->text(), QStringLiteral("/opt/jxw|666/jxw.exe"));
        EXPECT_EQ(f.FNEdtBrowser->text(), QStringLiteral("/usr/bin/browser"));
        QTest::mouseClick(f.btnOK, Qt::LeftButton);
    });
    EXPECT_TRUE(ExecuteProjOptions(settings));
    EXPECT_TRUE(opened);
    EXPECT_EQ(plain.Texts, QStringList{QStringLiteral("Invalid file name - /opt/jxw|666/jxw.exe")});
}

// ---- The picture button.

class RecordingPlayer : public MMediaPlayer {
public:
    QStringList Log;
    void SetFileName(const QString& FileName) override { Log << QStringLiteral("file ") + FileName; }
    void Open() override { Log << QStringLiteral("open"); }
    void Play() override { Log << QStringLiteral("play"); }
};

// Writes a one-colour BMP picture and answers its name.
QString Picture(const QTemporaryDir& Dir, const char* Name, QRgb Colour) {
    TBitmap bitmap(4, 4, pf24bit);
    bitmap.WrapQImage().fill(QColor(Colour));
    TImageIO io;
    io.SetAttachedBitmap(&bitmap);
    const QString path = Dir.filePath(QString::fromLatin1(Name));
    io.SaveBMP(path);
    return path;
}

QRgb Shown(const MTwoImageButton& B) {
    return B.Picture().toImage().pixel(0, 0);
}

TEST(TwoImageButton, HoverShowsTheFocusPictureSiblingsRevertAndAClickPlaysThenCallsOnClickOnce) {
    QTemporaryDir dir;
    QWidget owner;
    owner.resize(200, 100);
    MTwoImageButton a(&owner), b(&owner);
    a.setGeometry(0, 0, 100, 100);
    b.setGeometry(100, 0, 100, 100);
    for (MTwoImageButton* button : {&a, &b}) {
        button->M_DownImageName = Picture(dir, "down.bmp", qRgb(0, 0, 255));
        button->M_FocusImageName = Picture(dir, "focus.bmp", qRgb(255, 0, 0));
        button->ShowDownImage();
    }
    owner.show();

    Move(&a, QPoint(10, 10));
    EXPECT_TRUE(a.Focused());
    EXPECT_EQ(Shown(a), qRgb(255, 0, 0));
    Move(&b, QPoint(10, 10));
    EXPECT_TRUE(b.Focused());
    EXPECT_FALSE(a.Focused());
    EXPECT_EQ(Shown(a), qRgb(0, 0, 255));

    RecordingPlayer player;
    QStringList order;
    b.M_WaveImageName = QStringLiteral("click.wav");
    b.OnClick = [&](QObject*) {
        order << QStringLiteral("click");
        EXPECT_TRUE(b.Clicking());
        EXPECT_EQ(Shown(b), qRgb(0, 0, 255));
    };
    Click(&b, QPoint(10, 10));
    EXPECT_EQ(order, QStringList{QStringLiteral("click")});
    EXPECT_TRUE(player.Log.isEmpty()); // no player assigned: silent
    b.M_MediaPlayer = &player;
    Click(&b, QPoint(10, 10));
    EXPECT_EQ(order.size(), 2);
    EXPECT_EQ(player.Log, (QStringList{"file click.wav", "open", "play"}));
    EXPECT_FALSE(b.Clicking());
    EXPECT_FALSE(b.Focused());
}

// ---- Intro and about.

TEST(IntroWindow, CentredWithDivisionTowardsZero) {
    const std::tuple<QSize, QSize, QPoint> cases[] = {
        {{1600, 1000}, {500, 250}, {550, 375}},
        {{1601, 1001}, {500, 250}, {550, 375}},
        {{299, 149}, {500, 250}, {-100, -50}}, // -201 / 2 and -101 / 2 go towards zero
    };
    for (const auto& [screen, window, origin] : cases)
        EXPECT_EQ(CentredOrigin(screen, window), origin);

    kdstest::MScriptedMessages messages;
    TFormIntro intro;
    EXPECT_EQ(intro.size(), QSize(500, 250));
    EXPECT_TRUE(intro.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(intro.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(intro.MTwoImageButton1->geometry(), intro.rect());
}

TEST(AboutWindow, ShowsTheProgramsNameAndVersionAndIsFreedAfterOk) {
    const QString old = AppFolder();
    SetAppFolder(kdstest::SourcePath(QStringLiteral("resources/")));
    EnglishPack pack;
    kdstest::MScriptedMessages messages;
    QPointer<TFormAbout> seen;
    ModalScript script([&](MModalForm& Form) {
        auto& f = dynamic_cast<TFormAbout&>(Form);
        seen = &f;
        EXPECT_EQ(f.windowTitle(), QStringLiteral("About JXW777"));
        EXPECT_EQ(f.size(), QSize(392, 228));
        EXPECT_EQ(f.lblData1->text(), QStringLiteral("Knitting design station"));
        EXPECT_TRUE(f.lblData4->text().startsWith(QStringLiteral("Version ")));
        EXPECT_FALSE(f.MImage1->Picture().isNull());
        QTest::mouseClick(f.btnOK, Qt::LeftButton);
        EXPECT_EQ(f.ModalResult(), mrOk);
    });
    ShowAbout();
    EXPECT_TRUE(seen.isNull());
    EXPECT_TRUE(messages.Coded.empty());
    SetAppFolder(old);
}

// ---- Return and Escape in every OK/Cancel dialog.

// The button of a dialog (not of a dialog it owns) with this English caption.
QPushButton* ButtonCaptioned(QWidget& Form, const QString& Caption) {
    for (QPushButton* b : Form.findChildren<QPushButton*>())
        if (b->window() == &Form &&
            b->text().remove(QLatin1Char('&')).compare(Caption, Qt::CaseInsensitive) == 0)
            return b;
    return nullptr;
}

struct KeyDialog {
    const char* Name;
    std::function<std::unique_ptr<MModalForm>()> Make;
    // Puts the dialog in a state whose OK is taken (a file chosen, an item number typed).
    std::function<void(MModalForm&)> Ready = {};
    // OK closes the dialog accepted from its first state (else OK only runs its checks).
    bool Closes = true;
};

template <class T, class... A>
std::function<std::unique_ptr<MModalForm>()> Maker(A... Args) {
    return [=] { return std::unique_ptr<MModalForm>(std::make_unique<T>(Args...)); };
}

// Return presses OK wherever the dialog's focus starts; Escape is Cancel and presses nothing.
TEST(DialogKeys, ReturnPressesOkAndEscapeCancelsInEveryOkCancelDialog) {
    EnglishPack pack;
    kdstest::MScriptedMessages messages;
    QTemporaryDir folder;
    kdstest::WriteFile(folder.filePath(QStringLiteral("knit_740e7.LST")), "x");
    const KeyDialog dialogs[] = {
        {"New Image", Maker<TOFormNew>()},
        {"Colours", Maker<TFormColorNos>()},
        {"Image type", Maker<TFormFileType>()},
        {"Repeat Paste", Maker<TOFormPastRepeat>()},
        {"Rotate", Maker<TFormRotFree>(nullptr, nullptr)},
        {"Resize", Maker<TFormImageResize>(true, nullptr, nullptr)},
        {"New Project", Maker<TOFormNewProj>()},
        {"Open Project", Maker<TFormOpenProj>(),
         [&folder](MModalForm& F) {
             auto& f = static_cast<TFormOpenProj&>(F);
             f.SetDirectory(folder.path());
             f.FileListBox1->setCurrentRow(0);
             f.FileListBox1->setFocus();
         }},
        {"Text", Maker<TFormFontDlg>()},
        {"Options", Maker<TFormProjOptions>()},
        {"Yarn carrier colours", Maker<TFormYCcolors>()},
        {"About", Maker<TFormAbout>()},
        {"Import", Maker<TFormImport>()},
        {"Import data", Maker<TFormImportData>()},
        {"Module property", Maker<TFormModulePrperty>()},
        {"Fixed program", Maker<TFormFixedProg>(), {}, false},
        {"RIB program", Maker<TFormRIBProg>()},
        {"Special functions", Maker<TSpecialFuncForm>(), {}, false},
        {"Go to", Maker<TGoToForm>(),
         [](MModalForm& F) { static_cast<TGoToForm&>(F).IDEdit->setText(QStringLiteral("12")); }},
    };
    for (const KeyDialog& d : dialogs)
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)}) {
            SCOPED_TRACE(std::string(d.Name) + (key == Qt::Key_Escape ? " Escape" : " Return"));
            const std::unique_ptr<MModalForm> form = d.Make();
            QPushButton* ok = ButtonCaptioned(*form, QStringLiteral("OK"));
            ASSERT_NE(ok, nullptr);
            int oks = 0, cancels = 0;
            QObject::connect(ok, &QPushButton::clicked, [&oks] { ++oks; });
            if (QPushButton* cancel = ButtonCaptioned(*form, QStringLiteral("Cancel")))
                QObject::connect(cancel, &QPushButton::clicked, [&cancels] { ++cancels; });
            ModalScript script([&](MModalForm& F) {
                if (d.Ready)
                    d.Ready(F);
                QCoreApplication::processEvents();
                QWidget* focus = F.focusWidget();
                QTest::keyClick(focus ? focus : &F, Qt::Key(key),
                                key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            });
            const size_t shown = messages.Coded.size();
            const int result = form->ShowModal();
            if (key == Qt::Key_Escape) {
                EXPECT_EQ(result, mrCancel);
                EXPECT_EQ(oks, 0);
                EXPECT_EQ(messages.Coded.size(), shown);
                continue;
            }
            EXPECT_EQ(oks, 1);
            EXPECT_EQ(cancels, 0);
            if (d.Closes) {
                EXPECT_EQ(result, mrOk);
                EXPECT_EQ(messages.Coded.size(), shown);
            }
        }
}

// Where Return has a meaning of its own it keeps it: a new line in the text dialog's lines, the
// folder opened in Open Project's folder tree; an item number's check runs once for one Return.
TEST(DialogKeys, ControlsThatTakeReturnThemselvesKeepIt) {
    EnglishPack pack;
    kdstest::MScriptedMessages messages;
    {
        TFormFontDlg form;
        ModalScript script([&form](MModalForm&) {
            form.MMemoText->setFocus();
            form.MMemoText->setPlainText(QStringLiteral("ab"));
            form.MMemoText->moveCursor(QTextCursor::End);
            QTest::keyClick(form.MMemoText, Qt::Key_Return);
            QTest::keyClicks(form.MMemoText, QStringLiteral("cd"));
            EXPECT_EQ(form.ModalResult(), mrNone);
            QTest::keyClick(form.MMemoText, Qt::Key_Escape);
        });
        EXPECT_EQ(form.ShowModal(), mrCancel);
        EXPECT_EQ(form.MMemoText->toPlainText(), QStringLiteral("ab\ncd"));
    }
    {
        QTemporaryDir folder;
        QDir(folder.path()).mkdir(QStringLiteral("inner"));
        kdstest::WriteFile(folder.filePath(QStringLiteral("knit_740e7.LST")), "x");
        TFormOpenProj form;
        ModalScript script([&](MModalForm&) {
            form.SetDirectory(folder.path());
            form.FileListBox1->setCurrentRow(0);
            const auto inner = form.DirectoryListBox1->findItems(QStringLiteral("inner"), Qt::MatchEndsWith);
            ASSERT_EQ(inner.size(), 1);
            form.DirectoryListBox1->setCurrentItem(inner.first());
            form.DirectoryListBox1->setFocus();
            QTest::keyClick(form.DirectoryListBox1, Qt::Key_Return);
            EXPECT_EQ(form.ModalResult(), mrNone);
            EXPECT_EQ(form.Directory(), QDir::cleanPath(folder.filePath(QStringLiteral("inner"))));
        });
        EXPECT_FALSE(form.Execute());
    }
    TGoToForm form;
    ModalScript script([&form](MModalForm&) { QTest::keyClick(form.IDEdit, Qt::Key_Return); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    ASSERT_EQ(messages.Coded.size(), 1u);
    EXPECT_EQ(messages.Coded[0].SubCode, 1042);
}

} // namespace
