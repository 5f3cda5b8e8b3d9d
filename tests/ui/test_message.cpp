// The numbered message box and the application-wide error handler.
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "tests/support/PlainMessages.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/LangTestSupport.h"
#include "ui/UApplication.h"
#include "ui/Umessage.h"
#include "ui/button_m.h"
#include "ui/label_m.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
using ShownPlainTexts = kdstest::MPlainMessages;

// Installs a message service for the life of the guard.
struct InstalledBox {
    MMessageService* Old = MessageBox;
    explicit InstalledBox(MMessageService* box) { MessageBox = box; }
    ~InstalledBox() { MessageBox = Old; }
};

struct FailingBox : MMessageService {
    int Calls = 0;
    int ShowCodeMessage(int, int, const QString&, int) override {
        ++Calls;
        throw std::runtime_error("the box itself failed");
    }
};

template <typename Raise>
void RaiseFromEvent(Raise raise) {
    QObject target;
    QTimer::singleShot(0, &target, raise);
    QCoreApplication::processEvents();
}
} // namespace

TEST(ApplicationHandler, NeverRaisesWhateverHappensWhileShowing) {
    ShownPlainTexts shown;
    FailingBox box;
    InstalledBox installed(&box);
    RaiseFromEvent([] { throw MException(5016, 10, QStringLiteral("7")); });
    EXPECT_EQ(box.Calls, 1);
    // The box failed: the plain fallback text still tells the error.
    EXPECT_EQ(shown.Texts, QStringList{MException::FallbackText(5016, 10)});

    RaiseFromEvent([] { throw 42; });
    EXPECT_EQ(shown.Texts.last(), MMException::UnknownErrorText());

    QStringList tried;
    TApplication::PlainMessage = [&tried](const QString& text) {
        tried << text;
        throw std::runtime_error("no plain box either");
    };
    RaiseFromEvent([] { throw EReadError(QStringLiteral("bad")); }); // dropped, but nothing escapes
    // The handler did try to show the error's own text before dropping it.
    EXPECT_EQ(tried, QStringList{QStringLiteral("bad")});
}

namespace {
const char* const TestCatalogue = "# test catalogue\n"
                                  "1;11;101;Save;Save changes to % ?\n"
                                  "0;11;101;حفظ;حفظ التعديلات على (%)؟\n"
                                  "1;5013;4;Needle Setup;Module N%: bad count.@Second line.\n"
                                  "1;11;102;Long;One.@Two.@Three.@Four.@Five.@Six.@Seven.@Eight.\n"
                                  "1;100;1;Hundred;Always the first.\n";

struct BoxFixture {
    BoxFixture() {
        pf.Pack().SetLanguageNumber(LanguageEnglish);
        const QString file = dir.filePath(QStringLiteral("sysmsg.dta"));
        kdstest::WriteFile(file, QByteArray(TestCatalogue));
        box = std::make_unique<TMessageBox>(file, nullptr, &pf.Pack());
    }
    // Shows a message and, once the window is up, runs Act inside its modal loop.
    int Show(int Code, int SubCode, const QString& Args, int Buttons, const std::function<void()>& Act) {
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!box->isVisible())
                return;
            timer.stop();
            Act();
        });
        timer.start();
        return box->ShowCodeMessage(Code, SubCode, Args, Buttons);
    }
    QList<QPair<int, QPoint>> VisibleButtons() const {
        QList<QPair<int, QPoint>> shown;
        for (int bit = 1; bit <= 512; bit *= 2)
            if (MButton* b = box->ButtonOf(bit); b && b->isVisibleTo(box.get()))
                shown.append({bit, b->pos()});
        return shown;
    }
    langtest::PackFixture pf;
    QTemporaryDir dir;
    std::unique_ptr<TMessageBox> box;
};

using Placed = QList<QPair<int, QPoint>>;
} // namespace

TEST(MessageBox, ShowsTheMessageAndAnswersTheButtonPressed) {
    BoxFixture fx;
    QString label, title;
    const int answer = fx.Show(11, 101, QStringLiteral("P"), mbYes | mbNo, [&] {
        label = fx.box->LabelMessage->Caption();
        title = fx.box->windowTitle();
        EXPECT_EQ(fx.VisibleButtons(), (Placed{{mbYes, {10, 99}}, {mbNo, {77, 99}}}));
        EXPECT_EQ(fx.box->BtnYes->text(), QStringLiteral("Yes"));
        EXPECT_EQ(fx.box->LabelMessage->Alignment(), taLeftJustify);
        EXPECT_FALSE(fx.box->LabelMessage->Arabic());
        fx.box->BtnNo->click();
    });
    EXPECT_EQ(answer, mbNo);
    EXPECT_EQ(label, QStringLiteral("Save changes toP?"));
    EXPECT_EQ(title, QStringLiteral("Save"));
    EXPECT_FALSE(fx.box->isVisible()); // hidden, kept for the next message
    EXPECT_EQ(fx.box->height(), 126);
    EXPECT_EQ(fx.box->width(), TMessageBox::FormClientWidth);

    // Closed without a button: -1.
    EXPECT_EQ(fx.Show(5013, 4, QStringLiteral("12"), mbOK | mbCancel, [&] { fx.box->close(); }), mbClosed);
    EXPECT_EQ(fx.box->LabelMessage->Caption(), QStringLiteral("Module N12: bad count.\nSecond line."));

    // A prompt of the windows: code 11.
    QTimer::singleShot(20, [&] { fx.box->BtnCancel->click(); });
    EXPECT_EQ(fx.box->ShowUserMessage(101, QStringLiteral("Q"), mbOK | mbCancel), mbCancel);
    EXPECT_EQ(fx.box->LabelMessage->Caption(), QStringLiteral("Save changes toQ?"));
    EXPECT_EQ(fx.box->Result(), mbCancel);
}

namespace {
// The Arabic save question about "P": the argument stands in its own isolate.
QString ArabicSaveP() {
    return QStringLiteral("حفظ التعديلات على (") + QChar(0x2068) + QLatin1Char('P') + QChar(0x2069) +
           QStringLiteral(")؟");
}
} // namespace

TEST(MessageBox, ArabicTextsAndMirroredButtons) {
    BoxFixture fx;
    fx.pf.Pack().SetLanguageNumber(LanguageArabic);
    const int answer = fx.Show(11, 101, QStringLiteral("P"), mbYes | mbNo, [&] {
        EXPECT_EQ(fx.VisibleButtons(), (Placed{{mbYes, {338 - 10 - 57, 99}}, {mbNo, {338 - 77 - 57, 99}}}));
        EXPECT_EQ(fx.box->BtnYes->text(), QStringLiteral("نعم"));
        EXPECT_EQ(fx.box->LabelMessage->Caption(), ArabicSaveP());
        EXPECT_EQ(fx.box->LabelMessage->Alignment(), taRightJustify);
        EXPECT_TRUE(fx.box->LabelMessage->Arabic());
        EXPECT_EQ(fx.box->windowTitle(), QStringLiteral("حفظ"));
        fx.box->BtnYes->click();
    });
    EXPECT_EQ(answer, mbYes);

    // A message that the catalogue has only in English: the missing-message text, no caption.
    fx.box->PrepareMessage(5013, 4, QStringLiteral("12"), mbOK);
    EXPECT_EQ(fx.box->LabelMessage->Caption(), QStringLiteral("Error Code:5013  SubCode:4"));
    EXPECT_TRUE(fx.box->windowTitle().isEmpty());

    // Back in English the buttons stand where the English layout puts them.
    fx.pf.Pack().SetLanguageNumber(LanguageEnglish);
    fx.box->PrepareMessage(11, 101, QString(), mbYes | mbNo);
    EXPECT_EQ(fx.VisibleButtons(), (Placed{{mbYes, {10, 99}}, {mbNo, {77, 99}}}));
}

namespace {
// A client of the pack that raises a message while it takes the language of a switch.
struct RaisingClient : MLanguageClient {
    MLanguageDetail Detail;
    std::function<void()> OnSwitch;
    MLanguageDetail* ClientLanguageDetail() override { return &Detail; }
    void SetClientLanguageDetail(const MLanguageDetail& New) override {
        AssignLanguageDetail(Detail, New);
        OnSwitch();
    }
    void LanguagePackFreed(MLanguagePack*) override {}
};
} // namespace

// A message raised while a switch is handed out shows its own text, in the language switched to,
// whether the box takes the switch after the raising control or not at all.
TEST(MessageBox, MessageRaisedWhileASwitchIsHandedOut) {
    BoxFixture fx;
    fx.box->PrepareMessage(5013, 4, QStringLiteral("12"), mbOK); // an earlier message
    QString during;
    RaisingClient client;
    AssignLanguageDetail(client.Detail, *fx.pf.Pack().Detail(LanguageEnglish));
    client.OnSwitch = [&] {
        fx.box->PrepareMessage(11, 101, QStringLiteral("P"), mbOK);
        during = fx.box->LabelMessage->Caption();
    };
    MLanguagePack& pack = fx.pf.Pack();
    pack.RegisterClient(&client);
    MLanguageClient* box = fx.box.get();
    pack.UnregisterClient(box);
    pack.RegisterClient(box); // the box after the client
    pack.SetLanguageNumber(LanguageArabic);
    EXPECT_EQ(during, ArabicSaveP());
    EXPECT_EQ(fx.box->LabelMessage->Caption(), ArabicSaveP());
    EXPECT_EQ(fx.box->windowTitle(), QStringLiteral("حفظ"));
    EXPECT_TRUE(fx.box->LabelMessage->Arabic());
    pack.UnregisterClient(&client);
}

TEST(MessageBox, ButtonRowsInBitOrder) {
    BoxFixture fx;
    struct Case {
        int Buttons;
        Placed Expected;
        int Height;
    };
    const Case cases[] = {
        {1023,
         {{1, {10, 99}},
          {2, {77, 99}},
          {4, {144, 99}},
          {8, {211, 99}},
          {16, {10, 126}},
          {32, {77, 126}},
          {64, {144, 126}},
          {128, {211, 126}},
          {256, {10, 153}},
          {512, {77, 153}}},
         180},
        {mbOK | mbCancel, {{1, {10, 99}}, {16, {77, 99}}}, 126},
        {mbYes | mbNo | mbCancel, {{2, {10, 99}}, {4, {77, 99}}, {16, {144, 99}}}, 126},
        {0, {{1, {10, 99}}}, 126},
        {1024, {{1, {10, 99}}}, 126}, // no known bit: OK, so that the window can be left
        {mbAbort | 2048, {{512, {10, 99}}}, 126},
    };
    for (const Case& c : cases) {
        fx.box->PrepareMessage(11, 101, QString(), c.Buttons);
        EXPECT_EQ(fx.VisibleButtons(), c.Expected) << c.Buttons;
        EXPECT_EQ(fx.box->height(), c.Height) << c.Buttons;
    }
    EXPECT_EQ(fx.Show(11, 101, QString(), 1023, [&] { fx.box->BtnAbort->click(); }), mbAbort);
    EXPECT_EQ(fx.Show(11, 101, QString(), 0, [&] { fx.box->BtnOk->click(); }), mbOK);
}

// A message stands over the middle of the window that asked (the active window, else the station's
// main window), whole on the screen even when that window reaches past its edge.
TEST(MessageBox, ALongTextLengthensTheWindowAndAShortOneGetsItsFormBack) {
    BoxFixture fx;
    int labelHeight = 0;
    Placed buttons;
    fx.Show(11, 102, QString(), mbOK, [&] {
        labelHeight = fx.box->LabelMessage->height();
        buttons = fx.VisibleButtons();
        fx.box->BtnOk->click();
    });
    // Eight lines, every one in view, the button below the last.
    const int lines = 8 * QFontMetrics(fx.box->LabelMessage->font()).lineSpacing();
    EXPECT_GE(labelHeight, lines);
    EXPECT_EQ(buttons, (Placed{{mbOK, {10, 8 + labelHeight + 10}}}));
    EXPECT_EQ(fx.box->height(), 8 + labelHeight + 10 + TMessageBox::ButtonHeight + 10);
    fx.Show(11, 101, QStringLiteral("P"), mbOK, [&] {
        buttons = fx.VisibleButtons();
        fx.box->BtnOk->click();
    });
    EXPECT_EQ(buttons, (Placed{{mbOK, {10, 99}}}));
    EXPECT_EQ(fx.box->LabelMessage->height(), TMessageBox::LabelHeight);
    EXPECT_EQ(fx.box->height(), 126);
}

TEST(MessageBox, StandsOverTheWindowThatAsked) {
    BoxFixture fx;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main, asking;
    fx.box->MainWindow = &main;
    main.setGeometry(area.x() + 20, area.y() + 10, 600, 450);
    asking.setGeometry(area.x() + 300, area.y() + 200, 200, 120);
    const auto shownOver = [&](QWidget* Active) {
        if (Active) {
            Active->show();
            Active->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(Active));
        }
        QRect at;
        fx.Show(100, 1, QString(), mbOK, [&] {
            at = fx.box->frameGeometry();
            fx.box->BtnOk->click();
        });
        return at;
    };
    const auto expectCentred = [](QRect At, const QWidget& Over) {
        const QPoint off = At.center() - Over.frameGeometry().center();
        EXPECT_LE(off.manhattanLength(), 1) << At.x() << "," << At.y();
    };
    expectCentred(shownOver(&main), main);
    expectCentred(shownOver(&asking), asking);
    // With the window that asked gone, the main window.
    asking.hide();
    QCoreApplication::processEvents();
    expectCentred(shownOver(nullptr), main);

    asking.setGeometry(area.right() - 100, area.bottom() - 40, 200, 120);
    const QRect at = shownOver(&asking);
    EXPECT_TRUE(area.contains(at)) << at.x() << "," << at.y();
}

TEST(MessageBox, CodeHundredAndAMissingCatalogue) {
    BoxFixture fx;
    QString text, caption;
    fx.box->LookupMessage(100, 42, QString(), text, caption);
    EXPECT_EQ(text, QStringLiteral("Always the first."));

    TMessageBox none(fx.dir.filePath(QStringLiteral("nowhere.dta")), nullptr, &fx.pf.Pack());
    EXPECT_TRUE(none.Catalog().Messages().empty());
    none.PrepareMessage(11, 101, QStringLiteral("P"), mbYes | mbNo);
    EXPECT_EQ(none.LabelMessage->Caption(), QStringLiteral("Error Code:11  SubCode:101"));
    EXPECT_TRUE(none.windowTitle().isEmpty());
    EXPECT_EQ(none.BtnYes->isVisibleTo(&none), true);
}

TEST(MessageBox, HandlerShowsAProgramErrorRaisedInASlot) {
    BoxFixture fx;
    ShownPlainTexts plain;
    InstalledBox installed(fx.box.get());
    EXPECT_EQ(SharedMessageBox(), fx.box.get());
    QString shown;
    int buttonsShown = 0;
    QTimer clicker;
    clicker.setInterval(5);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (!fx.box->isVisible())
            return;
        shown = fx.box->LabelMessage->Caption();
        buttonsShown = fx.VisibleButtons().size();
        fx.box->BtnOk->click();
    });
    clicker.start();
    QObject sender;
    QObject::connect(&sender, &QObject::objectNameChanged,
                     [] { throw MException(5013, 4, QStringLiteral("9")); });
    RaiseFromEvent([&] { sender.setObjectName(QStringLiteral("go")); });
    EXPECT_EQ(shown, QStringLiteral("Module N9: bad count.\nSecond line."));
    EXPECT_EQ(buttonsShown, 1);
    EXPECT_TRUE(plain.Texts.isEmpty());

    // A message asked for while one is shown is refused; the handler falls back to plain text.
    shown.clear();
    clicker.stop();
    int refusals = 0;
    const int answer = fx.Show(5013, 4, QStringLiteral("1"), mbOK, [&] {
        try {
            fx.box->ShowCodeMessage(11, 101, QString(), mbOK);
        } catch (const EInvalidOperation&) {
            ++refusals;
        }
        MMException::ApplicationExceptionHandler(nullptr, MException(11, 101, QString()));
        fx.box->BtnOk->click();
    });
    EXPECT_EQ(answer, mbOK);
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(plain.Texts, QStringList{MException::FallbackText(11, 101)});
}

TEST(MessageBox, ForgetsItselfAsTheSharedBox) {
    BoxFixture fx;
    MMessageService* old = MessageBox;
    MessageBox = fx.box.get();
    fx.box.reset();
    EXPECT_EQ(MessageBox, nullptr);
    MessageBox = old;
}

TEST(MessageBox, PlainTextsGoToThePlainBoxAndAreDroppedWithoutABox) {
    ShownPlainTexts plain;
    {
        BoxFixture fx;
        InstalledBox installed(fx.box.get());
        ShowPlainText(QStringLiteral("Error in D&D"));
        EXPECT_FALSE(fx.box->isVisible()); // the numbered box stays hidden
    }
    InstalledBox none(nullptr);
    ShowPlainText(QStringLiteral("Error ..."));
    EXPECT_EQ(plain.Texts, QStringList{QStringLiteral("Error in D&D")});
}

TEST(MessageBox, ReturnPressesTheFocusedOrFirstButtonAndEscapeCancels) {
    BoxFixture fx;
    struct Case {
        int Buttons;
        MButton* TMessageBox::*Focused; // null: no button has the focus
        Qt::Key Key;
        int Answer; // mbClosed: the key does nothing and the box waits
    };
    const Case cases[] = {
        {mbOK | mbCancel, nullptr, Qt::Key_Return, mbOK},
        {mbOK | mbCancel, nullptr, Qt::Key_Enter, mbOK},
        {mbOK | mbCancel, &TMessageBox::BtnCancel, Qt::Key_Return, mbCancel},
        {mbOK | mbCancel, nullptr, Qt::Key_Escape, mbCancel},
        {mbOK, nullptr, Qt::Key_Escape, mbOK},
        {mbYes | mbNo, nullptr, Qt::Key_Return, mbYes},
        {mbYes | mbNo, &TMessageBox::BtnNo, Qt::Key_Return, mbNo},
        {mbYes | mbNo, nullptr, Qt::Key_Escape, mbClosed},
        {mbYes | mbNo | mbCancel, nullptr, Qt::Key_Escape, mbCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Buttons * 1000 + int(c.Key & 0xFF));
        bool waited = false;
        const int answer = fx.Show(11, 101, QStringLiteral("P"), c.Buttons, [&] {
            if (c.Focused)
                (fx.box.get()->*c.Focused)->setFocus();
            QTest::keyClick(c.Focused ? static_cast<QWidget*>(fx.box.get()->*c.Focused) : fx.box.get(),
                            c.Key);
            waited = fx.box->isVisible();
            if (waited)
                fx.box->close();
        });
        EXPECT_EQ(answer, c.Answer);
        EXPECT_EQ(waited, c.Answer == mbClosed);
    }
}
