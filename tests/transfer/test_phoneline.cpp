#include "tests/transfer/ModemSim.h"
#include "tests/transfer/TransferFiles.h"
#include "transfer/PhoneLine.h"
#include "transfer/Tapi.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace {
struct FakeDialing : TDialingView {
    int Shows = 0;
    bool Visible = false;
    QString Name;
    void ShowDialing() override { ++Shows, Visible = true; }
    void HideDialing() override { Visible = false; }
    void SetModemName(const QString& n) override { Name = n; }
};

// The far station played by the test on the raw line B.
struct Peer {
    TSerialPort Port;
    QByteArray Seen;
    QByteArray All; // everything read, for checks of what did not come
    bool Open(const QString& path) {
        if (Port.Open(path) != TSerialPort::Opened)
            return false;
        Port.SetTimeout(5);
        Port.WriteExact(QByteArray("ATE0\r"));
        return Expect("OK");
    }
    // Reads (letting events run) until the text has come.
    bool Expect(const QByteArray& text, int ms = 5000) {
        return WaitUntil(
            [&] {
                if (Port.WaitReadable(0)) {
                    const QByteArray got = Port.ReadAvailable();
                    Seen += got;
                    All += got;
                }
                const qsizetype at = Seen.indexOf(text);
                if (at < 0)
                    return false;
                Seen.remove(0, at + text.size());
                return true;
            },
            ms);
    }
};

// A line component on A with its events counted.
struct Station {
    FakeDialing Dialing;
    std::map<std::string, int> Events;
    QStringList Messages;
    std::unique_ptr<TPhoneLine> Line;

    explicit Station(const QString& path) {
        TPhoneLine::SetDialingView(&Dialing);
        TPhoneLine::SetMessageSink([this](const QString& t) { Messages << t; });
        Line = std::make_unique<TPhoneLine>(nullptr, TLineSource{false, false, {path}});
        Line->SetGuardTime(60);
        auto count = [this](const char* name) { return [this, name](TPhoneLine*) { ++Events[name]; }; };
        Line->OnConnection = count("connection");
        Line->OnCallOffering = count("offering");
        Line->OnCallAnswering = count("answering");
        Line->OnDisconnect = count("disconnect");
        Line->OnBusy = count("busy");
        Line->OnOpen = count("open");
        Line->OnClose = count("close");
        Line->OnDropCall = count("drop");
        Line->OnUnexpectedClose = count("unexpected");
    }
    ~Station() {
        Line.reset();
        TPhoneLine::SetDialingView(nullptr);
        TPhoneLine::SetMessageSink(nullptr);
    }
    void Open() {
        Line->SetDevIdToInitialize(0);
        ASSERT_EQ(Line->DevIdToInitialize(), 0);
        Line->OpenLine();
    }
    void Settle() {
        WaitUntil([] { return false; }, 150);
    }
};
// The emulator, a station whose line is open on A, and the far station on B.
struct Rig {
    ModemSim Sim;
    std::unique_ptr<Station> St;
    Peer Far;
    void Start(const QStringList& extra = {}) {
        ASSERT_TRUE(Sim.Start(extra));
        St = std::make_unique<Station>(Sim.PathA());
        ASSERT_NO_FATAL_FAILURE(St->Open());
        ASSERT_TRUE(Far.Open(Sim.PathB()));
    }
};
} // namespace

TEST(TapiCheck, PassesResultsFromZeroOnAndNamesTheStandardsErrors) {
    EXPECT_NO_THROW(TapiCheck(0));
    EXPECT_NO_THROW(TapiCheck(7));
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x80000001u, "TAPI Line: LINEERR_ALLOCATED"},
        {0x80000042u, "TAPI Line: LINEERR_NODEVICE"},
        {0x8000005Cu, "TAPI Line: LINEERR_DIALVOICEDETECT"},
        {0x80000004u, "Unknown Error - -2147483644"},
        {0x80000031u, "Unknown Error - -2147483599"},
        {0x8000005Du, "Unknown Error - -2147483555"},
        {0xFFFFFFFFu, "Unknown Error - -1"},
    };
    for (const auto& [code, text] : cases) {
        try {
            TapiCheck(std::int32_t(code));
            ADD_FAILURE() << std::hex << code;
        } catch (const ETapiError& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(text)) << std::hex << code;
        }
    }
}

TEST(CommErrorText, OneFlagHasItsTextSeveralOrNoneHaveNone) {
    EXPECT_EQ(CommErrorText(CommErr::Ioe),
              QStringLiteral("An I/O error occurred during communications with the device."));
    EXPECT_TRUE(
        CommErrorText(CommErr::Mode).startsWith(QStringLiteral("The requested mode is not supported")));
    EXPECT_EQ(CommErrorText(CommErr::Break), QStringLiteral("The hardware detected a break condition."));
    EXPECT_TRUE(CommErrorText(0).isEmpty());
    EXPECT_TRUE(CommErrorText(CommErr::Ioe | CommErr::Mode).isEmpty());
    EXPECT_TRUE(CommErrorText(0x20).isEmpty());
}

TEST(ModemLines, ResultCodesAreReadAndOverlongLinesDropped) {
    EXPECT_EQ(TPhoneLine::ParseResultLine("CONNECT 33600"), TPhoneLine::Connect);
    EXPECT_EQ(TPhoneLine::ParseResultLine("no carrier"), TPhoneLine::NoCarrier);
    EXPECT_EQ(TPhoneLine::ParseResultLine("CONNECTED"), TPhoneLine::Ignored);
    EXPECT_EQ(TPhoneLine::ParseResultLine("+FCERROR"), TPhoneLine::Ignored);
    QByteArray rest;
    const QList<QByteArray> lines =
        TPhoneLine::TakeLines(rest, "\r\nRING\r\n" + QByteArray(300, 'X') + "\r\nBUSY\r\nCONN");
    EXPECT_EQ(lines, (QList<QByteArray>{"RING", "BUSY"}));
    EXPECT_EQ(rest, QByteArray("CONN"));
}

TEST(PhoneLine, ListsEveryNamedDeviceAtItsOwnIndex) {
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane"),
                        QStringLiteral("JXW777"));
        store.setValue(QStringLiteral("JXW777/ModemDevices"),
                       QStringLiteral("/nonexistent/tty; /tmp ;/dev/null"));
    }
    TPhoneLine::SetMessageSink([](const QString&) {});
    {
        TPhoneLine line(nullptr, TLineSource{false, true, {sim.PathA()}});
        QStringList names;
        line.FillLineList(names);
        EXPECT_EQ(names, (QStringList{QStringLiteral("Line Unavailable"), QStringLiteral("Line Unavailable"),
                                      QStringLiteral("Line Unavailable"), sim.PathA()}));
        EXPECT_THROW(TPhoneLine second, Exception);
        // A device that cannot be opened is refused without a message and leaves no line selected.
        line.SetDevIdToInitialize(1);
        EXPECT_EQ(line.DevIdToInitialize(), -1);
        EXPECT_THROW(line.OpenLine(), Exception);
    }
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane"), QStringLiteral("JXW777"))
        .remove(QStringLiteral("JXW777/ModemDevices"));
    TPhoneLine::SetMessageSink(nullptr);
}

TEST(PhoneLine, CallerAndAnswererEachConnectOnceAndCarryData) {
    for (const bool calling : {true, false}) {
        SCOPED_TRACE(calling ? "caller" : "answerer");
        Rig rig;
        ASSERT_NO_FATAL_FAILURE(rig.Start());
        Station& st = *rig.St;
        Peer& peer = rig.Far;
        EXPECT_EQ(st.Dialing.Name, rig.Sim.PathA());
        if (calling) {
            st.Line->WaitForCall = false;
            st.Line->PhoneNumber = QStringLiteral("102");
            ASSERT_TRUE(st.Line->MakeCall());
            EXPECT_FALSE(st.Line->MakeCall()); // a call is being placed
            EXPECT_TRUE(st.Dialing.Visible);
            ASSERT_TRUE(peer.Expect("RING"));
            peer.Port.WriteExact(QByteArray("ATA\r"));
        } else {
            peer.Port.WriteExact(QByteArray("ATDT101\r"));
        }
        ASSERT_TRUE(peer.Expect("CONNECT 33600\r\n"));
        ASSERT_TRUE(WaitUntil([&] { return st.Events["connection"] > 0; }));
        st.Settle();
        EXPECT_EQ(st.Events["connection"], 1);
        EXPECT_EQ(st.Events["offering"], calling ? 0 : 1);
        EXPECT_FALSE(st.Dialing.Visible);
        EXPECT_TRUE(st.Line->Connected());
        st.Line->WriteExact("hello", 5);
        ASSERT_TRUE(peer.Expect("hello"));
        peer.Port.WriteExact(QByteArray("OK"));
        char ok[2];
        st.Line->ReadExact(ok, 2);
        EXPECT_EQ(QByteArray(ok, 2), QByteArray("OK"));
        // All that waits is counted, well beyond a thousand bytes.
        peer.Port.WriteExact(QByteArray(3000, 'd'));
        EXPECT_TRUE(WaitUntil([&] { return st.Line->BytesWaiting() == 3000; }, 2000))
            << st.Line->BytesWaiting();
    }
}

TEST(PhoneLine, EitherSideHangsUpAndTheOtherIsToldOnce) {
    // Ways the call ends: the peer's escape and ATH, the station's DropCall (escape on a
    // pseudo-terminal), the station closing its line (DTR).
    for (const int way : {0, 1, 2}) {
        SCOPED_TRACE(way);
        Rig rig;
        ASSERT_NO_FATAL_FAILURE(rig.Start());
        Station& st = *rig.St;
        Peer& peer = rig.Far;
        peer.Port.WriteExact(QByteArray("ATDT101\r"));
        ASSERT_TRUE(peer.Expect("CONNECT 33600\r\n"));
        ASSERT_TRUE(WaitUntil([&] { return st.Line->Connected(); }));
        if (way == 0) {
            peer.Port.HangUp(60);
            ASSERT_TRUE(WaitUntil([&] { return st.Events["disconnect"] > 0; }));
            st.Settle();
            EXPECT_EQ(st.Events["disconnect"], 1);
            EXPECT_FALSE(st.Line->Connected());
            // The public calls answer 0 and false after a hang-up; the exact ones raise.
            char b[4];
            EXPECT_EQ(st.Line->ReadBuffer(b, 4), 0);
            EXPECT_FALSE(st.Line->WriteBuffer("x", 1));
            EXPECT_THROW(st.Line->ReadExact(b, 4), ESerialError);
            EXPECT_EQ(st.Line->BytesWaiting(), 0);
        } else {
            if (way == 1)
                st.Line->DropCall();
            else
                st.Line->CloseLine();
            ASSERT_TRUE(peer.Expect("NO CARRIER"));
            ASSERT_TRUE(WaitUntil([&] { return peer.Port.ReadAvailable(), peer.Port.HungUp(); }));
            st.Settle();
            EXPECT_EQ(st.Events[way == 1 ? "drop" : "close"], 1);
            EXPECT_EQ(st.Events["disconnect"], 0);
        }
    }
}

TEST(PhoneLine, ACallWithoutConnectionEndsDisconnectedAndIdleAndTheLineDialsAgain) {
    const std::pair<const char*, const char*> cases[] = {
        {"--busy", "BUSY"}, {"--no-dialtone", "NO DIALTONE"}, {"--no-answer", "NO ANSWER"}};
    for (const auto& [flag, reason] : cases) {
        SCOPED_TRACE(flag);
        Rig rig;
        ASSERT_NO_FATAL_FAILURE(rig.Start({QString::fromLatin1(flag)}));
        Station& st = *rig.St;
        st.Line->WaitForCall = false;
        st.Line->PhoneNumber = QStringLiteral("102");
        ASSERT_TRUE(st.Line->MakeCall());
        ASSERT_TRUE(WaitUntil([&] { return st.Events["disconnect"] > 0; }));
        st.Settle();
        EXPECT_EQ(st.Line->LastReason(), QString::fromLatin1(reason));
        EXPECT_EQ(st.Events["busy"], QByteArray(flag) == "--busy" ? 1 : 0);
        EXPECT_EQ(st.Events["disconnect"], 1);
        EXPECT_EQ(st.Events["connection"], 0);
        EXPECT_FALSE(st.Dialing.Visible);
        EXPECT_FALSE(st.Line->Dialing());
        EXPECT_TRUE(st.Line->MakeCall());
        EXPECT_EQ(st.Dialing.Shows, 2);
    }
}

TEST(PhoneLine, StopWhileDiallingHangsUpAndTheLineDialsAgain) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    Station& st = *rig.St;
    Peer& peer = rig.Far;
    st.Line->WaitForCall = false;
    st.Line->PhoneNumber = QStringLiteral("102");
    ASSERT_TRUE(st.Line->MakeCall());
    ASSERT_TRUE(peer.Expect("RING"));
    st.Line->DropCall();
    ASSERT_TRUE(WaitUntil([&] { return st.Events["drop"] > 0; }));
    EXPECT_FALSE(st.Dialing.Visible);
    EXPECT_FALSE(st.Line->Dialing());
    // The abandoned call never connects; a new one does.
    peer.Port.WriteExact(QByteArray("ATA\r"));
    ASSERT_TRUE(peer.Expect("NO CARRIER"));
    EXPECT_EQ(st.Events["connection"], 0);
    ASSERT_TRUE(st.Line->MakeCall());
    ASSERT_TRUE(peer.Expect("RING"));
    peer.Port.WriteExact(QByteArray("ATA\r"));
    ASSERT_TRUE(WaitUntil([&] { return st.Events["connection"] == 1; }));
}

TEST(PhoneLine, RefusedNumbersAndLineChecks) {
    ModemSim sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--error"), QStringLiteral("A=&C1")}));
    Station st(sim.PathA());
    // The initialisation string answered ERROR: check 6, the line stays unselected.
    st.Line->SetDevIdToInitialize(0);
    EXPECT_EQ(st.Line->DevIdToInitialize(), -1);
    EXPECT_EQ(st.Messages,
              QStringList{QStringLiteral("VerifyUsableLine: \r\nLine make call feature is not available.")});
    EXPECT_EQ(st.Line->VerifyUsableLine(0), 6);
    EXPECT_THROW(st.Line->MakeCall(), Exception);
}

TEST(PhoneLine, SelectingTheSameLineAgainChecksNothingAndAHeldLineIsRefused) {
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    Station st(sim.PathA());
    st.Line->SetDevIdToInitialize(0);
    ASSERT_EQ(st.Line->DevIdToInitialize(), 0);
    TSerialPort holder;
    ASSERT_EQ(holder.Open(sim.PathA()), TSerialPort::Opened);
    st.Line->SetDevIdToInitialize(0);
    EXPECT_TRUE(st.Messages.isEmpty());
    EXPECT_EQ(st.Line->VerifyUsableLine(0), 5);
    EXPECT_EQ(st.Messages.size(), 1);
    try {
        st.Line->OpenLine();
        ADD_FAILURE();
    } catch (const ETapiError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TAPI Line: LINEERR_ALLOCATED"));
    }
    holder.Close();
    // Numbers with characters that could end the command are refused before dialling.
    st.Line->OpenLine();
    for (const char* number : {"12\r3", "1;ATH", "", "12 3"}) {
        st.Line->PhoneNumber = QString::fromLatin1(number);
        EXPECT_THROW(st.Line->MakeCall(), ETapiError) << number;
    }
    EXPECT_EQ(st.Dialing.Shows, 0);
}

TEST(PhoneLine, TheEmulatorKilledClosesTheLineUnexpectedly) {
    ModemSim sim;
    ASSERT_TRUE(sim.Start());
    Station st(sim.PathA());
    ASSERT_NO_FATAL_FAILURE(st.Open());
    sim.Kill();
    ASSERT_TRUE(WaitUntil([&] { return st.Events["unexpected"] > 0; }));
    EXPECT_EQ(st.Events["unexpected"], 1);
    EXPECT_FALSE(st.Line->LineOpen());
}

TEST(PhoneLine, StopDuringATransferActsAtOnceAndEventsWaitUntilItHasUnwound) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    Station& st = *rig.St;
    st.Line->Timeout = 20;
    // The transfer runs inside the connection event, as the window's does.
    QString failure;
    qint64 stoppedAfter = -1;
    int dropsSeenInside = -1;
    st.Line->OnConnection = [&](TPhoneLine* line) {
        QTimer::singleShot(200, [line] { line->DropCall(); });
        QElapsedTimer clock;
        clock.start();
        char buf[16];
        try {
            line->ReadExact(buf, sizeof buf); // the far station stays silent
        } catch (const EAbort&) {
            stoppedAfter = clock.elapsed();
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        dropsSeenInside = st.Events["drop"];
    };
    rig.Far.Port.WriteExact(QByteArray("ATDT101\r"));
    ASSERT_TRUE(WaitUntil([&] { return stoppedAfter >= 0 || !failure.isEmpty(); }));
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_GE(stoppedAfter, 150);
    EXPECT_LT(stoppedAfter, 700);
    EXPECT_EQ(dropsSeenInside, 0);
    ASSERT_TRUE(WaitUntil([&] { return st.Events["drop"] == 1; }));
    ASSERT_TRUE(rig.Far.Expect("NO CARRIER"));
    EXPECT_FALSE(st.Line->Connected());
}

TEST(PhoneLine, AHostileSenderGetsNoAnswerAndLeavesNoFile) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    Station& st = *rig.St;
    st.Line->Timeout = 10;
    QTemporaryDir folder;
    QString failure;
    TTransferHeader h;
    h.Names = {"", "../evil.LST", ""};
    h.Sizes = {0, 4, 0};
    st.Line->OnConnection = [&](TPhoneLine* line) {
        // The far station sends at once. Written here, its bytes are on the line before the station
        // reads them, however the events of the two ends fall; the station reads without letting
        // the test's side run.
        rig.Far.Port.WriteExact(h.Encode() + "evil");
        try {
            ReceiveProject(*line, folder.path(), {});
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        line->DropCall();
    };
    rig.Far.Port.WriteExact(QByteArray("ATDT101\r"));
    ASSERT_TRUE(WaitUntil([&] { return !failure.isEmpty(); }, 20000));
    EXPECT_TRUE(failure.contains(QStringLiteral("../evil.LST"))) << failure.toStdString();
    // The far station hears no OK, only the hang-up.
    ASSERT_TRUE(rig.Far.Expect("NO CARRIER"));
    const QByteArray connect("CONNECT 33600\r\n");
    ASSERT_TRUE(rig.Far.All.contains(connect));
    EXPECT_EQ(rig.Far.All.mid(rig.Far.All.indexOf(connect) + connect.size()),
              QByteArray("\r\nNO CARRIER\r\n"));
    EXPECT_TRUE(
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(folder.path()).dir().filePath(QStringLiteral("evil.LST"))));
}

TEST(PhoneLine, ACallThatPassesItsOverallLimitEndsThoughEveryPieceComesInTime) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    Station& st = *rig.St;
    st.Line->Timeout = 2;
    st.Line->CallLimit = 1;
    QTemporaryDir folder;
    int subCode = 0;
    qint64 endedAfter = -1;
    QElapsedTimer clock;
    // The far station trickles its header from the connection on: a byte every 100 ms, well within
    // the time-out of 2 s.
    QTimer trickle;
    QObject::connect(&trickle, &QTimer::timeout, [&] { rig.Far.Port.WriteExact(QByteArray("x")); });
    st.Line->OnConnection = [&](TPhoneLine* line) {
        clock.start();
        trickle.start(100);
        try {
            ReceiveProject(*line, folder.path(), {});
        } catch (const ETransferError& e) {
            subCode = e.SubCode();
            EXPECT_EQ(e.Message(),
                      QStringLiteral("The call passed its time limit and was ended (minutes:1)."));
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        endedAfter = clock.elapsed();
        line->DropCall();
    };
    rig.Far.Port.WriteExact(QByteArray("ATDT101\r"));
    ASSERT_TRUE(WaitUntil([&] { return endedAfter >= 0; }, 15000));
    trickle.stop();
    EXPECT_EQ(subCode, TransferText::CallTooLong);
    // Far sooner than the 32 s the header would take.
    EXPECT_LT(endedAfter, 5000);
    ASSERT_TRUE(rig.Far.Expect("NO CARRIER"));
    EXPECT_TRUE(Snapshot(folder.path()).empty());
}

TEST(PhoneLine, APeerThatFloodsTheLineHasItsCallEndedWithAMessage) {
    Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Start());
    Station& st = *rig.St;
    // Connected, and nothing reads: what comes is kept for later reads, up to the port's limit.
    rig.Far.Port.WriteExact(QByteArray("ATDT101\r"));
    ASSERT_TRUE(rig.Far.Expect("CONNECT 33600\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return st.Events["connection"] == 1; }));
    rig.Far.Port.SetWaitSlice([] { QCoreApplication::processEvents(); });
    const QByteArray chunk(4096, 'f');
    qsizetype sent = 0;
    while (st.Events["drop"] == 0 && sent < 4 * TSerialPort::MaxKeptBytes) {
        try {
            rig.Far.Port.WriteExact(chunk);
        } catch (const ESerialError&) {
            break; // the station hung up under the write
        }
        sent += chunk.size();
        WaitUntil([] { return false; }, 5);
    }
    ASSERT_TRUE(WaitUntil([&] { return st.Events["drop"] == 1; }, 5000)) << sent;
    EXPECT_FALSE(st.Line->Connected());
    EXPECT_EQ(st.Messages,
              QStringList{ETransferError(TransferText::Flooded, QStringLiteral("64")).Message()});
    rig.Far.Port.SetWaitSlice(nullptr);
    ASSERT_TRUE(rig.Far.Expect("NO CARRIER"));
}

TEST(PhoneLine, AnErrorOfAnEventHandlerIsShownAndOnlyAStopIsSilent) {
    const struct {
        const char* Name;
        std::function<void()> Raise;
        QStringList Shown;
    } cases[] = {
        {"a stop", [] { throw EAbort(); }, {}},
        {"an error",
         [] { throw Exception(QStringLiteral("cannot go on")); },
         {QStringLiteral("cannot go on")}},
        {"anything else", [] { throw 42; }, {QStringLiteral("Unknown error")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ModemSim sim;
        ASSERT_TRUE(sim.Start());
        Station st(sim.PathA());
        bool after = false;
        st.Line->OnOpen = [&](TPhoneLine*) { c.Raise(); };
        // The events queued behind the failing one still come.
        st.Line->OnClose = [&](TPhoneLine*) { after = true; };
        ASSERT_NO_FATAL_FAILURE(st.Open());
        st.Line->CloseLine();
        ASSERT_TRUE(WaitUntil([&] { return after; }));
        EXPECT_EQ(st.Messages, c.Shown);
    }
}

TEST(PhoneLine, TheModemScriptConnectsKeepingTheFirstDataAndTreatsBusyAsAnError) {
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "answered");
        Rig rig;
        ASSERT_NO_FATAL_FAILURE(rig.Start(busy ? QStringList{QStringLiteral("--busy")} : QStringList{}));
        Station& st = *rig.St;
        // The far station answers its first ring and sends at once after CONNECT.
        QTimer farEnd;
        bool answered = false, sent = false;
        QObject::connect(&farEnd, &QTimer::timeout, [&] {
            if (!answered && rig.Far.Expect("RING", 0)) {
                rig.Far.Port.WriteExact(QByteArray("ATA\r"));
                answered = true;
            } else if (answered && !sent && rig.Far.Expect("CONNECT 33600\r\n", 0)) {
                rig.Far.Port.WriteExact(QByteArray("DATA"));
                sent = true;
            }
        });
        farEnd.start(10);
        st.Line->Timeout = 2;
        st.Line->DeviceDirectAccess = true;
        st.Line->DirectAccessScript = {QStringLiteral("ATE0"), QStringLiteral("ATDT102")};
        ASSERT_TRUE(st.Line->MakeCall());
        st.Settle();
        if (busy) {
            ASSERT_EQ(st.Messages.size(), 1);
            EXPECT_TRUE(st.Messages[0].startsWith(
                QStringLiteral("PhoneLine: Device direct access script error: \"ATDT102\".\r\n")))
                << st.Messages[0].toStdString();
            EXPECT_EQ(st.Events["connection"], 0);
            EXPECT_EQ(st.Events["disconnect"], 1);
            EXPECT_FALSE(st.Line->Connected());
            continue;
        }
        EXPECT_TRUE(st.Messages.isEmpty());
        EXPECT_EQ(st.Events["connection"], 1);
        char data[4];
        st.Line->ReadExact(data, 4);
        EXPECT_EQ(QByteArray(data, 4), QByteArray("DATA"));
    }
}

TEST(ModemSim, TheConnectedPairCarriesDataToASideThatOnlyListens) {
    // The pair starts in data mode; the receiving side writes nothing before its first bytes come.
    ModemSim sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--connected")}));
    TSerialPort listener, talker;
    ASSERT_EQ(listener.Open(sim.PathB()), TSerialPort::Opened);
    ASSERT_EQ(talker.Open(sim.PathA()), TSerialPort::Opened);
    for (TSerialPort* port : {&listener, &talker}) {
        port->SetDataMode();
        port->SetTimeout(2);
    }
    talker.WriteExact(QByteArray("header"));
    char got[6];
    listener.ReadExact(got, 6);
    EXPECT_EQ(QByteArray(got, 6), QByteArray("header"));
    listener.WriteExact(QByteArray("OK"));
    char ok[2];
    talker.ReadExact(ok, 2);
    EXPECT_EQ(QByteArray(ok, 2), QByteArray("OK"));
}
