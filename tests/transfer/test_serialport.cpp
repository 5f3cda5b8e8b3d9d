#include "tests/transfer/PtyPair.h"
#include "transfer/SerialPort.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <poll.h>
#include <thread>

namespace {
struct OpenPort {
    PtyPair Pty;
    TSerialPort Port;
    OpenPort() {
        EXPECT_FALSE(Pty.SlavePath.isEmpty());
        EXPECT_EQ(Port.Open(Pty.SlavePath), TSerialPort::Opened);
        Port.SetTimeout(1);
    }
};

qint64 TimeToFailure(TSerialPort& port, qsizetype count, ESerialError::Kind& kind, QString& text) {
    QElapsedTimer clock;
    clock.start();
    QByteArray buf(count, '\0');
    try {
        port.ReadExact(buf.data(), count);
        ADD_FAILURE() << "the read succeeded";
    } catch (const ESerialError& e) {
        kind = e.ErrorKind();
        text = e.Message();
    }
    return clock.elapsed();
}
} // namespace

TEST(SerialPort, SilenceAfterAPieceTimesOutAfterTheTimeoutFromThatPiece) {
    OpenPort p;
    ASSERT_TRUE(p.Pty.Write(QByteArray(1000, 'a')));
    ESerialError::Kind kind{};
    QString text;
    const qint64 ms = TimeToFailure(p.Port, 2048, kind, text);
    EXPECT_EQ(kind, ESerialError::Timeout);
    EXPECT_EQ(text, QStringLiteral("Timeout during read operation."));
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 1600);
}

TEST(SerialPort, ASlowReadCompletesWhileEveryPieceComesWithinTheTimeout) {
    OpenPort p;
    // 1000 bytes/s: the whole read takes about twice the time-out, never a second without a byte.
    std::thread writer([&] {
        for (int i = 0; i < 21; ++i) {
            p.Pty.Write(QByteArray(100, char('a' + i % 26)).left(i == 20 ? 48 : 100));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    QByteArray buf(2048, '\0');
    QElapsedTimer clock;
    clock.start();
    EXPECT_NO_THROW(p.Port.ReadExact(buf.data(), buf.size()));
    writer.join();
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_EQ(buf.left(100), QByteArray(100, 'a'));
    EXPECT_EQ(buf.right(48), QByteArray(48, 'u'));
}

TEST(SerialPort, KeptBytesAreReadBeforeTheLine) {
    OpenPort p;
    p.Port.Unread("OK");
    ASSERT_TRUE(p.Pty.Write("abc"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(p.Port.BytesWaiting(), 5);
    char buf[5];
    p.Port.ReadExact(buf, 5);
    EXPECT_EQ(QByteArray(buf, 5), QByteArray("OKabc"));
}

TEST(SerialPort, ACutFailsReadsAndWritesAtOnce) {
    for (const bool reading : {true, false}) {
        SCOPED_TRACE(reading ? "read" : "write");
        OpenPort p;
        p.Port.SetTimeout(20);
        std::thread cutter([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            p.Pty.CloseMaster();
        });
        QElapsedTimer clock;
        clock.start();
        QString text;
        try {
            if (reading) {
                char buf[10];
                p.Port.ReadExact(buf, 10);
            } else {
                const QByteArray big(1 << 20, 'x');
                p.Port.WriteExact(big);
            }
            ADD_FAILURE() << "no failure";
        } catch (const ESerialError& e) {
            EXPECT_EQ(e.ErrorKind(), ESerialError::Broken);
            text = e.Message();
        }
        cutter.join();
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(text, reading ? QStringLiteral("Connection has been broken during read.")
                                : QStringLiteral("Connection has been broken during write."));
        EXPECT_TRUE(p.Port.HungUp());
        // Later reads and writes fail at once too.
        char b;
        EXPECT_THROW(p.Port.ReadExact(&b, 1), ESerialError);
        EXPECT_TRUE(p.Port.ReadAvailable().isEmpty());
    }
}

TEST(SerialPort, ASecondOpenIsRefusedAndADeviceThatIsNoTerminalCannotBeOpened) {
    OpenPort p;
    TSerialPort second;
    EXPECT_EQ(second.Open(p.Pty.SlavePath), TSerialPort::Locked);
    EXPECT_EQ(second.Open(QStringLiteral("/dev/null")), TSerialPort::CannotOpen);
    EXPECT_EQ(second.Open(QStringLiteral("/nonexistent/tty")), TSerialPort::CannotOpen);
    EXPECT_EQ(second.Open(QStringLiteral("/tmp")), TSerialPort::CannotOpen);
    p.Port.Close();
    EXPECT_EQ(second.Open(p.Pty.SlavePath), TSerialPort::Opened);
}

TEST(SerialPort, APseudoTerminalHangsUpWithTheEscapeAndATH0) {
    OpenPort p;
    EXPECT_FALSE(p.Port.HasModemLines());
    p.Port.HangUp(50);
    EXPECT_FALSE(p.Port.IsOpen());
    QByteArray got;
    char buf[64];
    for (int i = 0; i < 20 && !got.endsWith('\r'); ++i) {
        pollfd pf{p.Pty.Master, POLLIN, 0};
        if (::poll(&pf, 1, 100) > 0 && (pf.revents & POLLIN)) {
            const ssize_t n = ::read(p.Pty.Master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
    }
    EXPECT_EQ(got, QByteArray("+++ATH0\r"));
}
