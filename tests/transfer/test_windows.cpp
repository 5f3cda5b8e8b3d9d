// The transfer and dialing windows, offscreen: the window against a modemtool station through
// modemsim, its idle and busy states, and the dialing window's animation.

#include "app/UDialing.h"
#include "app/UFormTelCalls.h"
#include "editors/NumEdit_m.h"
#include "platform/AppFolder.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/transfer/ModemSim.h"
#include "tests/transfer/TransferFiles.h"
#include "transfer/AviClip.h"
#include "ui/UApplication.h"
#include "ui/ULPackDM.h"
#include "ui/button_m.h"
#include "ui/combobox_m.h"
#include "ui/panel_m.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

using kdstest::ReadFile;
using kdstest::WriteFile;

namespace {

struct EnglishPack {
    EnglishPack() { Module.OLanguagePack->SetLanguageNumber(LanguageEnglish); }
    TDMLanguagePack Module;
};

// The file dialog answers with one name (empty: cancelled).
struct ChosenFile : MFileDialog {
    QString Name;
    bool Execute(TDialogKind, TFileDialogSettings& Settings, QWidget*) override {
        Settings.FileName = Name;
        return !Name.isEmpty();
    }
};
struct FileDialogScript {
    explicit FileDialogScript(QString Name) {
        SetFileDialogFactory([Name] {
            auto d = std::make_unique<ChosenFile>();
            d->Name = Name;
            return d;
        });
    }
    ~FileDialogScript() { SetFileDialogFactory(nullptr); }
};

// Plain messages collected instead of shown.
struct Messages {
    QStringList Shown;
    std::function<void(const QString&)> Old = TApplication::PlainMessage;
    Messages() {
        TApplication::PlainMessage = [this](const QString& t) { Shown << t; };
        TPhoneLine::SetMessageSink([this](const QString& t) { Shown << t; });
    }
    ~Messages() {
        TApplication::PlainMessage = Old;
        TPhoneLine::SetMessageSink(nullptr);
    }
};

struct Project {
    QTemporaryDir Dir;
    explicit Project(const QString& Base = QStringLiteral("abc_740e7")) {
        WriteFile(Dir.filePath(Base + QStringLiteral(".JXW")), QByteArray(448, 'j'));
        WriteFile(Dir.filePath(Base + QStringLiteral(".LST")), MachineFileBytes(6144));
        WriteFile(Dir.filePath(Base + QStringLiteral(".BMP")), PictureBytes(20, 20, 5000));
    }
    QString File(const QString& Name) const { return Dir.filePath(Name); }
};

// A modemtool station on line A, sending or receiving, ended with the test.
struct FarStation {
    QProcess Process;
    void Send(const ModemSim& Sim, const QString& Lst) {
        Process.start(QStringLiteral(MODEMTOOL_PATH),
                      {QStringLiteral("send"), QStringLiteral("--device"), Sim.PathA(),
                       QStringLiteral("--number"), QStringLiteral("102"), QStringLiteral("--timeout"),
                       QStringLiteral("2"), QStringLiteral("--guard"), QStringLiteral("40"), Lst});
    }
    void Receive(const ModemSim& Sim, const QString& Folder) {
        Process.setProcessChannelMode(QProcess::MergedChannels);
        Process.start(QStringLiteral(MODEMTOOL_PATH),
                      {QStringLiteral("receive"), QStringLiteral("--device"), Sim.PathA(),
                       QStringLiteral("--folder"), Folder, QStringLiteral("--timeout"), QStringLiteral("2"),
                       QStringLiteral("--guard"), QStringLiteral("40")});
    }
    bool Finished() { return Process.state() == QProcess::NotRunning || Process.waitForFinished(1); }
    ~FarStation() {
        if (Process.state() != QProcess::NotRunning) {
            Process.kill();
            Process.waitForFinished(3000);
        }
    }
};

// A window whose only line is B of the emulator.
std::unique_ptr<TFormTransfer> WindowOnLineB(const ModemSim& Sim) {
    auto w = std::make_unique<TFormTransfer>(nullptr, TLineSource{false, false, {Sim.PathB()}});
    w->PhoneLine1->Timeout = 2;
    w->PhoneLine1->SetGuardTime(40);
    w->PhoneLine1->SetCommandWait(500);
    w->show();
    return w;
}

void ExpectIdle(TFormTransfer& W, bool Idle) {
    EXPECT_EQ(W.Idle(), Idle);
    for (QWidget* c : std::initializer_list<QWidget*>{W.pnlMain, W.btnClose, W.BtnSendProject,
                                                      W.BtnReceiveCall, W.PhoneNumber, W.SelectedLine})
        EXPECT_EQ(c->isEnabled(), Idle) << c->objectName().toStdString();
    EXPECT_EQ(W.pnlWait->isVisible(), !Idle);
    EXPECT_EQ(W.btnStop->isEnabled(), !Idle);
}

} // namespace

TEST(TransferWindow, BuiltIdleWithTheLinesAndATwentyDigitNumber) {
    EnglishPack pack;
    Messages messages;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    auto w = WindowOnLineB(sim);
    EXPECT_EQ(w->size(), QSize(297, 151));
    EXPECT_TRUE(w->windowFlags() & Qt::Tool);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Telephone Transfer"));
    EXPECT_EQ(w->SelectedLine->count(), 1);
    EXPECT_EQ(w->SelectedLine->currentIndex(), 0);
    EXPECT_EQ(w->PhoneNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(w->PhoneNumber->NumOfDigit(), 20);
    EXPECT_FALSE(w->PhoneNumber->Signed());
    EXPECT_TRUE(w->TransferStarted);
    ExpectIdle(*w, true);
    // The line's device path reads from the left in either language, so a path keeps its leading "/"
    // in the line list.
    for (const int language : {LanguageArabic, LanguageEnglish}) {
        pack.Module.OLanguagePack->SetLanguageNumber(language);
        QApplication::processEvents();
        EXPECT_EQ(w->SelectedLine->layoutDirection(), Qt::LeftToRight) << language;
    }
    // A connection before any button is not taken up.
    w->PhoneLine1->OnConnection(w->PhoneLine1);
    EXPECT_TRUE(messages.Shown.isEmpty());
    EXPECT_TRUE(w->ReceivedFiles.isEmpty());
}

TEST(TransferWindow, BusyWhileWaitingIgnoresEscAndCloseAndStopReturnsToIdle) {
    EnglishPack pack;
    Messages messages;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    auto w = WindowOnLineB(sim);
    w->BtnReceiveCall->click();
    ExpectIdle(*w, false);
    EXPECT_TRUE(w->PhoneLine1->LineOpen());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &esc);
    QCloseEvent close;
    QApplication::sendEvent(w.get(), &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(w->isVisible());
    ExpectIdle(*w, false);
    w->btnStop->click();
    EXPECT_TRUE(WaitUntil([&] { return w->Idle(); }, 2000));
    ExpectIdle(*w, true);
    EXPECT_TRUE(messages.Shown.isEmpty()) << messages.Shown.join('|').toStdString();
    // Idle, Close closes the line and the window.
    w->btnClose->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->PhoneLine1->LineOpen());
}

TEST(TransferWindow, TwoReceptionsAreListedInOrder) {
    EnglishPack pack;
    Messages messages;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    QTemporaryDir folder;
    auto w = WindowOnLineB(sim);
    w->ReceiveFolder = folder.path();
    const Project first(QStringLiteral("first_740e7")), second(QStringLiteral("second_740e7"));
    for (const Project* p : {&first, &second}) {
        w->BtnReceiveCall->click();
        ASSERT_FALSE(w->Idle());
        FarStation far;
        far.Send(sim, p->File(QDir(p->Dir.path()).entryList({QStringLiteral("*.LST")}).first()));
        ASSERT_TRUE(WaitUntil([&] { return far.Finished() && w->Idle(); }, 20000));
        EXPECT_EQ(far.Process.exitCode(), 0) << far.Process.readAllStandardError().toStdString();
    }
    EXPECT_EQ(w->ReceivedFiles, (QStringList{folder.filePath(QStringLiteral("first_740e7.LST")),
                                             folder.filePath(QStringLiteral("second_740e7.LST"))}));
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("second_740e7.BMP"))),
              ReadFile(second.File(QStringLiteral("second_740e7.BMP"))));
    EXPECT_TRUE(messages.Shown.isEmpty()) << messages.Shown.join('|').toStdString();
    // A connection while the transfer is taken up already is ignored.
    EXPECT_TRUE(w->TransferStarted);
    w->PhoneLine1->OnConnection(w->PhoneLine1);
    EXPECT_EQ(w->ReceivedFiles.size(), 2);
}

TEST(TransferWindow, AReceivedProjectWhoseNameIsTakenIsListedAndNamedUnderItsFreeName) {
    EnglishPack pack;
    Messages messages;
    kdstest::MScriptedMessages coded;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    QTemporaryDir folder;
    WriteFile(folder.filePath(QStringLiteral("first_740e7.lst")), "local");
    auto w = WindowOnLineB(sim);
    w->ReceiveFolder = folder.path();
    const Project p(QStringLiteral("first_740e7"));
    w->BtnReceiveCall->click();
    FarStation far;
    far.Send(sim, p.File(QStringLiteral("first_740e7.LST")));
    ASSERT_TRUE(WaitUntil([&] { return far.Finished() && w->Idle(); }, 20000));
    EXPECT_EQ(far.Process.exitCode(), 0) << far.Process.readAllStandardError().toStdString();
    EXPECT_EQ(w->ReceivedFiles, QStringList{folder.filePath(QStringLiteral("first_2_740e7.LST"))});
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("first_740e7.lst"))), QByteArray("local"));
    ASSERT_EQ(coded.Coded.size(), 1u);
    EXPECT_EQ(coded.Coded[0],
              (kdstest::MScriptedMessages::Shown{TransferText::Code, TransferText::KeptAs,
                                                 QStringLiteral("first_740e7;first_2_740e7"), mbOK}));
    EXPECT_TRUE(messages.Shown.isEmpty()) << messages.Shown.join('|').toStdString();
}

TEST(TransferWindow, SendsTheChosenProjectAndShowsARefusedOne) {
    EnglishPack pack;
    Messages messages;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    QTemporaryDir folder;
    const Project p;
    auto w = WindowOnLineB(sim);
    w->PhoneNumber->setText(QStringLiteral("101"));
    FarStation far;
    far.Receive(sim, folder.path());
    ASSERT_TRUE(far.Process.waitForReadyRead(5000));
    {
        FileDialogScript dialog(p.File(QStringLiteral("abc_740e7.LST")));
        w->BtnSendProject->click();
    }
    EXPECT_FALSE(w->Idle());
    ASSERT_TRUE(WaitUntil([&] { return far.Finished() && w->Idle(); }, 20000));
    EXPECT_EQ(far.Process.exitCode(), 0) << far.Process.readAll().toStdString();
    EXPECT_EQ(ReadFile(folder.filePath(QStringLiteral("abc_740e7.LST"))),
              ReadFile(p.File(QStringLiteral("abc_740e7.LST"))));
    EXPECT_TRUE(messages.Shown.isEmpty()) << messages.Shown.join('|').toStdString();

    // Cancelled: nothing; an empty machine file: refused before dialling, with its text.
    {
        FileDialogScript dialog{QString()};
        w->BtnSendProject->click();
    }
    EXPECT_TRUE(w->Idle());
    WriteFile(p.File(QStringLiteral("empty_740e7.LST")), QByteArray());
    {
        FileDialogScript dialog(p.File(QStringLiteral("empty_740e7.LST")));
        w->BtnSendProject->click();
    }
    ExpectIdle(*w, true);
    ASSERT_EQ(messages.Shown.size(), 1);
    EXPECT_TRUE(messages.Shown[0].contains(QStringLiteral("empty_740e7.LST")));
    EXPECT_FALSE(w->PhoneLine1->Dialing());
}

TEST(DialingWindow, OneOnlyAfterTheTransferWindowWasOpenedTwice) {
    EnglishPack pack;
    Messages messages;
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    for (int i = 0; i < 2; ++i)
        WindowOnLineB(sim).reset();
    int count = 0;
    for (QWidget* t : QApplication::topLevelWidgets())
        count += qobject_cast<TformDialing*>(t) != nullptr;
    EXPECT_EQ(count, 1);
    auto* d = dynamic_cast<TformDialing*>(TPhoneLine::DialingView());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->size(), QSize(202, 128));
    EXPECT_EQ(QRect(d->Animate->mapTo(d, QPoint(0, 0)), d->Animate->size()), QRect(20, 14, 80, 75));
}

TEST(DialingWindow, PlaysTheClipAndStopsAtItsStopFrame) {
    EnglishPack pack;
    SetAppFolder(QStringLiteral(KDS_SOURCE_DIR "/resources/"));
    TformDialing d;
    ASSERT_TRUE(d.Animate->Loaded());
    EXPECT_FALSE(d.Image->isVisible());
    EXPECT_EQ(d.Animate->Clip().Frames.size(), 8u);
    EXPECT_EQ(d.Animate->Frame(), 5);
    d.ShowDialing();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.Animate->Active());
    EXPECT_TRUE(WaitUntil([&] { return d.Animate->Frame() != 5; }, 2000));
    d.HideDialing();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.Animate->Frame(), 5);

    // Without the clip the still picture stands in.
    QTemporaryDir empty;
    SetAppFolder(empty.path() + QStringLiteral("/"));
    TformDialing without;
    without.show();
    EXPECT_FALSE(without.Animate->Loaded());
    EXPECT_TRUE(without.Image->isVisible());
}

TEST(AviClip, ReadsTheClipAndRefusesEveryDamagedCopy) {
    const QByteArray clip = ReadFile(QStringLiteral(KDS_SOURCE_DIR "/resources/PhoneLine.avi"));
    const TAviClip good = ReadAviClip(clip);
    EXPECT_EQ(good.Width, 80);
    EXPECT_EQ(good.Height, 75);
    EXPECT_EQ(good.FrameTime, 125000);
    ASSERT_EQ(good.Frames.size(), 8u);
    EXPECT_NE(good.Frames[0], good.Frames[1]);
    // A copy at an odd address reads the same: the reader takes its words byte by byte (the
    // sanitizers stop on a misaligned load).
    {
        std::vector<char> buffer(std::size_t(clip.size()) + 1);
        std::copy(clip.begin(), clip.end(), buffer.begin() + 1);
        const TAviClip odd = ReadAviClip(QByteArray::fromRawData(buffer.data() + 1, clip.size()));
        EXPECT_EQ(odd.Frames, good.Frames);
    }
    // Every cut is refused or read whole; no byte changed leads outside the data (the sanitizers
    // watch).
    for (qsizetype n = 0; n < clip.size(); n += 31)
        EXPECT_ANY_THROW(ReadAviClip(clip.left(n))) << n;
    for (qsizetype at = 0; at < clip.size(); at += 11) {
        QByteArray bad = clip;
        bad[at] = char(bad[at] ^ 0xA5);
        try {
            const TAviClip c = ReadAviClip(bad);
            EXPECT_FALSE(c.Frames.empty());
        } catch (const EReadError&) {
        }
    }
}

namespace {
QByteArray Le32(std::uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}
QByteArray Chunk(const char* Id, const QByteArray& Body) {
    QByteArray c = QByteArray(Id, 4) + Le32(std::uint32_t(Body.size())) + Body;
    if (Body.size() % 2)
        c += '\0';
    return c;
}
// A clip of 4 x 2 RLE8 frames over the palette red, green, blue.
QByteArray RleClip(const std::vector<QByteArray>& Frames) {
    QByteArray format = Le32(40) + Le32(4) + Le32(2) + QByteArray("\1\0\x08\0", 4) + Le32(1) + Le32(0) +
                        Le32(0) + Le32(0) + Le32(3) + Le32(3);
    format += QByteArray("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 12);
    const QByteArray strl = "strl" + Chunk("strh", "vids") + Chunk("strf", format);
    const QByteArray hdrl = "hdrl" + Chunk("avih", Le32(100000)) + Chunk("LIST", strl);
    QByteArray movi = "movi";
    for (const QByteArray& f : Frames)
        movi += Chunk("00dc", f);
    const QByteArray body = "AVI " + Chunk("LIST", hdrl) + Chunk("LIST", movi);
    return "RIFF" + Le32(std::uint32_t(body.size())) + body;
}
QByteArray Codes(std::initializer_list<int> Bytes) {
    QByteArray b;
    for (const int v : Bytes)
        b += char(v);
    return b;
}
} // namespace

// The run-length frames: a later frame keeps what its codes skip, a run past the row's end is cut
// there, and a move outside the frame or codes that stop short refuse the clip.
TEST(AviClip, RunLengthFramesCarryOverAndStayInTheFrame) {
    constexpr std::uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu;
    // Bottom row green, top row blue; then two red cells moved to on the bottom row.
    const TAviClip clip =
        ReadAviClip(RleClip({Codes({4, 1, 0, 0, 4, 2, 0, 1}), Codes({0, 2, 2, 0, 2, 0, 0, 1})}));
    ASSERT_EQ(clip.Frames.size(), 2u);
    EXPECT_EQ(clip.Frames[0], (std::vector<std::uint32_t>{B, B, B, B, G, G, G, G}));
    EXPECT_EQ(clip.Frames[1], (std::vector<std::uint32_t>{B, B, B, B, G, G, R, R}));

    const TAviClip cut = ReadAviClip(RleClip({Codes({6, 0, 0, 0, 0, 3, 1, 2, 0, 9, 0, 1})}));
    EXPECT_EQ(cut.Frames[0], (std::vector<std::uint32_t>{G, B, R, 0xFF000000u, R, R, R, R}));

    const QByteArray refused[] = {
        Codes({0, 2, 0, 2, 1, 0, 0, 1}), // a move to the row above the frame
        Codes({4, 1, 0, 0}),             // codes that end after the first row
        Codes({0, 5, 1, 1}),             // a literal longer than the codes
    };
    for (const QByteArray& frame : refused)
        EXPECT_THROW(ReadAviClip(RleClip({frame})), EReadError) << frame.toHex().constData();
}
