// The file-name edit: its file-name rules, the button and Alt+Down with a scripted dialog, the
// filters, the layout, dropped files and the drawn pictures.
#include "tests/support/TestSupport.h"
#include "tests/ui/ButtonTestSupport.h"

#include "platform/SysColors.h"
#include "ui/ComboEdit.h"

#include <QDropEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using buttontest::ShowActive;

namespace {

// A dialog that records how it was shown and answers as told.
struct FakeDialog : MFileDialog {
    struct Script {
        int Shown = 0;
        TDialogKind Kind = dkSave;
        TFileDialogSettings Seen;
        bool Accept = false;
        QString Choice;
    };
    explicit FakeDialog(Script& S) : S(S) {}
    bool Execute(TDialogKind Kind, TFileDialogSettings& Settings, QWidget*) override {
        ++S.Shown;
        S.Kind = Kind;
        S.Seen = Settings;
        if (S.Accept)
            Settings.FileName = S.Choice;
        return S.Accept;
    }
    Script& S;
};

struct Fixture {
    Fixture() {
        SetFileDialogFactory([this] { return std::make_unique<FakeDialog>(script); });
        window.resize(300, 60);
        edit = new TFilenameEdit(&window);
        edit->setGeometry(10, 10, 231, 21);
        ShowActive(window);
        edit->setFocus();
    }
    ~Fixture() { SetFileDialogFactory(nullptr); }
    FakeDialog::Script script;
    QWidget window;
    TFilenameEdit* edit;
};

} // namespace

TEST(FilenameEdit, FileNameRules) {
    Fixture f;
    QTemporaryDir dir;
    const QString spaced = dir.path() + QStringLiteral("/with blank.exe");
    kdstest::WriteFile(spaced, "x");

    const struct {
        QString Set, Text, Get;
    } cases[] = {
        {QStringLiteral("/opt/zode/dm 2.exe"), QStringLiteral("\"/opt/zode/dm 2.exe\""),
         QStringLiteral("/opt/zode/dm 2.exe")},
        {QString(), QString(), QString()},
        {QStringLiteral("\"/a b/c.exe\" -x"), QStringLiteral("\"/a b/c.exe\" -x"),
         QStringLiteral("/a b/c.exe")},
        {spaced, QLatin1Char('"') + spaced + QLatin1Char('"'), spaced},
        {QString(300, QLatin1Char('n')), QString(300, QLatin1Char('n')), QString(300, QLatin1Char('n'))},
        {QStringLiteral("\"unbalanced name"), QStringLiteral("\"unbalanced name"),
         QStringLiteral("unbalanced name")},
    };
    for (const auto& c : cases) {
        f.edit->SetFileName(c.Set);
        EXPECT_EQ(f.edit->text(), c.Text) << c.Set.toStdString();
        EXPECT_EQ(f.edit->GetFileName(), c.Get) << c.Set.toStdString();
    }
    // A typed path with a blank that names no file reads back up to the blank; one that names a
    // file reads back whole.
    f.edit->setText(QStringLiteral("/no such/file.exe"));
    EXPECT_EQ(f.edit->GetFileName(), QStringLiteral("/no"));
    f.edit->setText(spaced);
    EXPECT_EQ(f.edit->GetFileName(), spaced);

    f.edit->SetFileName(QStringLiteral("/kept.exe"));
    for (const char* bad : {"a|b", "<x>", "\"\"", "\x01\"[\""}) {
        try {
            f.edit->SetFileName(QString::fromLatin1(bad));
            ADD_FAILURE() << bad;
        } catch (const EComboEditError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid file name - ") + QString::fromLatin1(bad));
        }
        EXPECT_EQ(f.edit->text(), QStringLiteral("/kept.exe")) << "the text is kept";
    }
}

TEST(FilenameEdit, ButtonAndAltDownOpenTheDialog) {
    Fixture f;
    QTemporaryDir dir;
    f.edit->SetFileName(dir.path() + QStringLiteral("/dm.exe"));
    f.edit->SetFilter(QStringLiteral("All files (*.*)|*.exe"));
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_EQ(f.script.Shown, 1);
    EXPECT_EQ(f.script.Kind, dkOpen);
    EXPECT_EQ(f.script.Seen.Title, QStringLiteral("Browse"));
    EXPECT_EQ(f.script.Seen.Filter, QStringLiteral("All files (*.*)|*.exe"));
    EXPECT_EQ(f.script.Seen.InitialDir, dir.path() + QLatin1Char('/')) << "the folder of the text's name";
    EXPECT_EQ(f.script.Seen.FileName, dir.path() + QStringLiteral("/dm.exe"));
    EXPECT_EQ(f.edit->text(), dir.path() + QStringLiteral("/dm.exe")) << "cancelled: unchanged";

    // Accepted: the text takes the choice (quoted) and the folder becomes the initial one.
    f.script.Accept = true;
    f.script.Choice = QStringLiteral("/opt/Zode Zidaded/ZZ.EXE");
    QTest::mouseClick(f.edit->Button(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.script.Shown, 2);
    EXPECT_EQ(f.edit->text(), QStringLiteral("\"/opt/Zode Zidaded/ZZ.EXE\""));
    EXPECT_EQ(f.edit->InitialDir(), QStringLiteral("/opt/Zode Zidaded/"));
    EXPECT_TRUE(f.edit->hasFocus());

    // Read-only: nothing opens, unless the button is always enabled.
    f.edit->SetReadOnly(true);
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    QTest::mouseClick(f.edit->Button(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.script.Shown, 2);
    f.edit->AlwaysEnable = true;
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(f.script.Shown, 3);
    f.edit->SetReadOnly(false);

    // The events around the dialog: a refusal before, a changed name after.
    bool refuse = true;
    f.edit->OnBeforeDialog = [&](QObject*, QString&, bool& Action) { Action = !refuse; };
    f.edit->OnAfterDialog = [&](QObject*, QString& Name, bool&) { Name = QStringLiteral("/changed.exe"); };
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(f.script.Shown, 3);
    refuse = false;
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(f.script.Shown, 4);
    EXPECT_EQ(f.edit->text(), QStringLiteral("/changed.exe"));

    // Without direct input the text cannot be typed, only chosen.
    f.edit->SetDirectInput(false);
    QTest::keyClicks(f.edit, QStringLiteral("xyz"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("/changed.exe"));
    EXPECT_TRUE(f.edit->isReadOnly());
}

TEST(FilenameEdit, FiltersMatchWithoutRegardToCase) {
    const QStringList filters =
        ConvertFileFilter(QStringLiteral("All files (*.*)|*.exe|Pictures|*.bmp;*.PNG"));
    ASSERT_EQ(filters.size(), 2);
    auto patterns = [](const QString& Filter) {
        const qsizetype open = Filter.lastIndexOf(QLatin1Char('('));
        return Filter.mid(open + 1).chopped(1).split(QLatin1Char(' '));
    };
    auto matches = [&](const QString& Filter, const QString& Name) {
        for (const QString& p : patterns(Filter))
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(p)).match(Name).hasMatch())
                return true;
        return false;
    };
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("All files (*.*)")));
    EXPECT_TRUE(matches(filters[0], QStringLiteral("DM.EXE")));
    EXPECT_TRUE(matches(filters[0], QStringLiteral("dm.exe")));
    EXPECT_FALSE(matches(filters[0], QStringLiteral("dm.txt")));
    EXPECT_TRUE(matches(filters[1], QStringLiteral("a.png")));
    EXPECT_TRUE(matches(filters[1], QStringLiteral("A.Bmp")));
    EXPECT_EQ(ConvertFileFilter(QStringLiteral("Everything|*.*")),
              QStringList{QStringLiteral("Everything (*)")});
    EXPECT_EQ(ConvertFileFilter(QString()).size(), 1) << "an empty filter shows every file";
}

TEST(FilenameEdit, LayoutPicturesAndDrops) {
    Fixture f;
    // The button sits inside the frame at the right end; the text stops short of it.
    EXPECT_EQ(f.edit->ButtonWidth(), 21) << "the folder's 14 + 6 is narrower than the container";
    EXPECT_EQ(f.edit->ButtonContainer()->geometry(), QRect(231 - 21 - 2, 2, 21, 17));
    EXPECT_EQ(f.edit->textMargins().right(), 23);
    EXPECT_EQ(f.edit->layoutDirection(), Qt::LeftToRight);
    const QImage& folder = DefaultFileGlyph();
    EXPECT_EQ(folder.size(), QSize(14, 12));
    EXPECT_EQ(PixelAt(folder, 0, 11), clFuchsia);
    EXPECT_EQ(PixelAt(EllipsisGlyph(), 0, EllipsisGlyph().height() - 1), clWhite);
    f.edit->SetGlyphKind(gkDropDown);
    EXPECT_EQ(f.edit->ButtonWidth(), 16);
    f.edit->SetButtonWidth(1);
    EXPECT_FALSE(f.edit->ButtonContainer()->isVisible()) << "a width below 2 hides the button";
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(f.script.Shown, 0);

    // The unpressed button has a face line at its left edge and the highlight beside it.
    TFilenameEdit plain(&f.window);
    const QImage b = plain.Button()->Render();
    EXPECT_EQ(PixelAt(b, 0, 5), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(b, 1, 5), ColorToRGB(clBtnHighlight));

    // Dropped files: refused unless accepted; then the first replaces the text, or all are kept.
    auto drop = [&](const QStringList& Files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& name : Files)
            urls << QUrl::fromLocalFile(name);
        mime.setUrls(urls);
        // A drop goes to the widget that took the drag when it entered.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.edit, &enter);
        QDropEvent e(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.edit, &e);
        return e.isAccepted();
    };
    f.edit->SetFileName(QStringLiteral("/old.exe"));
    EXPECT_FALSE(drop({QStringLiteral("/tmp/a b.lst")}));
    EXPECT_EQ(f.edit->text(), QStringLiteral("/old.exe"));
    int dropped = 0;
    f.edit->OnDropFiles = [&](QObject*) { ++dropped; };
    f.edit->SetAcceptFiles(true);
    EXPECT_TRUE(drop({QStringLiteral("/tmp/a b.lst"), QStringLiteral("/tmp/c.lst")}));
    EXPECT_EQ(f.edit->text(), QStringLiteral("\"/tmp/a b.lst\""));
    f.edit->SetDialogOptions(ofHideReadOnly | ofAllowMultiSelect);
    EXPECT_TRUE(drop({QStringLiteral("/tmp/x.lst"), QStringLiteral("/tmp/y.lst")}));
    EXPECT_EQ(f.edit->Dialog().Files,
              (QStringList{QStringLiteral("/tmp/x.lst"), QStringLiteral("/tmp/y.lst")}));
    EXPECT_EQ(dropped, 2);
    f.edit->SetDialogOptions(ofHideReadOnly);
    EXPECT_TRUE(f.edit->Dialog().Files.isEmpty()) << "clearing multiple files empties the list";
}
