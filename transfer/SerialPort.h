#pragma once
// The modem's serial port over termios: opened exclusively, raw 8N1 at 115200 baud with hardware
// flow control, read and written through poll with the line's time-out. A hang-up is seen at once.

#include "platform/Errors.h"

#include <QByteArray>
#include <QString>

#include <functional>

// A read or write of the port failed; the text is the one shown to the user.
class ESerialError : public Exception {
public:
    // Overdue: the call passed its overall time limit.
    enum Kind { Timeout, Broken, Io, Overdue };
    ESerialError(Kind kind, QString message) : Exception(std::move(message)), FKind(kind) {}
    // The connection went away during a read or a write.
    static ESerialError BrokenDuring(bool Reading);
    Kind ErrorKind() const { return FKind; }

private:
    Kind FKind;
};

class TSerialPort {
public:
    enum OpenResult { Opened, CannotOpen, Locked };

    TSerialPort() = default;
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;
    ~TSerialPort();

    // Opens the device for reading and writing without making it the controlling terminal, takes
    // an exclusive lock, forbids further opens and sets the line for commands (CLOCAL).
    OpenResult Open(const QString& Path);
    void Close();
    bool IsOpen() const { return FHandle >= 0; }
    int Handle() const { return FHandle; }
    const QString& Path() const { return FPath; }
    // False on a pseudo-terminal, whose modem lines cannot be set.
    bool HasModemLines() const { return FModemLines; }
    // The other side went away (POLLHUP, a read of 0, EIO, ENXIO, ENODEV).
    bool HungUp() const { return FHungUp; }

    // Commands: modem status lines ignored. Data: a carrier loss hangs the tty up (real ttys only).
    void SetCommandMode();
    void SetDataMode();

    // The line's speed in bytes per second (0: unknown). A read's time-out starts only once the
    // bytes written before it have had time to cross the line.
    void SetLineRate(int BytesPerSecond) { FLineRate = BytesPerSecond; }
    // The longest wait, in seconds, for one piece of a read or write to move.
    void SetTimeout(int Seconds) { FTimeoutSeconds = Seconds; }
    int Timeout() const { return FTimeoutSeconds; }
    // Called about every 100 ms while a read or write waits (lets the window's messages run; may
    // raise to stop the wait).
    void SetWaitSlice(std::function<void()> Slice) { FSlice = std::move(Slice); }

    // The most bytes the port keeps for later reads: more than any read of the block protocol asks
    // for at once, far less than a peer sending without end would pile up.
    static constexpr qsizetype MaxKeptBytes = 64 * 1024;
    // Bytes that arrived before the port was handed over (after a CONNECT line): read first.
    void Unread(const QByteArray& Bytes) { FPending.prepend(Bytes); }
    // Bytes taken off the line by a watcher: read after the ones kept before. False, keeping none of
    // them, when they would pass MaxKeptBytes.
    bool Keep(const QByteArray& Bytes);

    // An overall limit for the reads and writes from now on, in milliseconds (0: none): once it has
    // passed they raise the Overdue error, whatever the time-out of each piece.
    void SetCallLimit(qint64 Ms);

    // Exactly Count bytes, or ESerialError with the read texts.
    void ReadExact(char* Buffer, qsizetype Count);
    // Exactly Count bytes, or ESerialError with the write texts.
    void WriteExact(const char* Buffer, qsizetype Count);
    void WriteExact(const QByteArray& Bytes) { WriteExact(Bytes.constData(), Bytes.size()); }
    // Whatever is waiting now, without blocking (at most Max bytes); empty after a hang-up.
    QByteArray ReadAvailable(qsizetype Max = 4096);
    // What the device holds now, past the kept bytes (at most Max bytes).
    QByteArray ReadDevice(qsizetype Max = 4096);
    // Bytes waiting in the input queue (kept bytes included).
    qsizetype BytesWaiting();
    // Waits up to Ms milliseconds for input; false on time-out or hang-up.
    bool WaitReadable(int Ms);

    // Drops DTR for 600 ms; where DTR cannot be set: guard time, "+++", guard time, "ATH0" (only
    // "ATH0" when the modem is in command mode, Escape false). The port is closed afterwards; it
    // is reopened before the next command.
    void HangUp(int GuardMs = 1000, bool Escape = true);

private:
    bool ApplySettings(bool Local);
    // Waits for the events until the deadline on the monotonic clock (milliseconds); false on
    // time-out. Raises when the slice raises.
    bool WaitFor(short Events, qint64 DeadlineMs, bool& HangUp);
    // Raises Overdue once the call's limit has passed.
    void CheckCallLimit() const;
    // The deadline of a piece, brought forward to the end of the call's limit; raises Overdue once
    // that has passed.
    qint64 PieceDeadline(qint64 PieceMs) const;

    int FHandle = -1;
    QString FPath;
    bool FModemLines = false;
    bool FHungUp = false;
    int FTimeoutSeconds = 20;
    std::function<void()> FSlice;
    QByteArray FPending;
    int FLineRate = 0;
    qint64 FSentUntilMs = 0; // on the monotonic clock: when the bytes written so far have left
    qint64 FCallEndMs = 0;   // on the monotonic clock: the end of the call's limit (0: none)
};
