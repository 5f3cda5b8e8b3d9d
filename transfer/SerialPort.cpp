#include "transfer/SerialPort.h"

#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int SliceMs = 100;

qint64 MonotonicMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.elapsed();
}

bool IsHangUpErrno(int e) {
    return e == EIO || e == ENXIO || e == ENODEV;
}

const QString ReadTimeoutText = QStringLiteral("Timeout during read operation.");
const QString ReadBrokenText = QStringLiteral("Connection has been broken during read.");
const QString ReadErrorText = QStringLiteral("Error reading from com port.");
const QString WriteTimeoutText = QStringLiteral("Timeout during write operation.");
const QString WriteBrokenText = QStringLiteral("Connection has been broken during write.");
const QString WriteErrorText = QStringLiteral("Error to writing to com port.");
const QString OverdueText = QStringLiteral("The call has passed its time limit.");
} // namespace

ESerialError ESerialError::BrokenDuring(bool Reading) {
    return ESerialError(Broken, Reading ? ReadBrokenText : WriteBrokenText);
}

TSerialPort::~TSerialPort() {
    Close();
}

TSerialPort::OpenResult TSerialPort::Open(const QString& Path) {
    Close();
    const QByteArray local = Path.toLocal8Bit();
    const int fd = ::open(local.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return CannotOpen;
    if (!::isatty(fd)) {
        ::close(fd);
        return CannotOpen;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return Locked;
    }
    ::ioctl(fd, TIOCEXCL);
    FHandle = fd;
    FPath = Path;
    FHungUp = false;
    FPending.clear();
    FLineRate = 0;
    FSentUntilMs = 0;
    FCallEndMs = 0;
    ::tcflush(fd, TCIFLUSH);
    int bits = TIOCM_DTR;
    FModemLines = ::ioctl(fd, TIOCMBIS, &bits) == 0;
    if (!ApplySettings(true)) {
        Close();
        return CannotOpen;
    }
    return Opened;
}

void TSerialPort::Close() {
    if (FHandle >= 0) {
        ::ioctl(FHandle, TIOCNXCL);
        ::flock(FHandle, LOCK_UN);
        ::close(FHandle);
    }
    FHandle = -1;
    FPending.clear();
}

bool TSerialPort::ApplySettings(bool Local) {
    termios t{};
    if (::tcgetattr(FHandle, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
    t.c_cflag |= CS8 | CREAD | HUPCL | CRTSCTS;
    if (Local || !FModemLines)
        t.c_cflag |= CLOCAL;
    else
        t.c_cflag &= ~CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    return ::tcsetattr(FHandle, TCSANOW, &t) == 0;
}

void TSerialPort::SetCommandMode() {
    if (FHandle >= 0)
        ApplySettings(true);
}

void TSerialPort::SetDataMode() {
    if (FHandle >= 0)
        ApplySettings(false);
}

bool TSerialPort::Keep(const QByteArray& Bytes) {
    if (FPending.size() + Bytes.size() > MaxKeptBytes)
        return false;
    FPending.append(Bytes);
    return true;
}

void TSerialPort::SetCallLimit(qint64 Ms) {
    FCallEndMs = Ms > 0 ? MonotonicMs() + Ms : 0;
}

void TSerialPort::CheckCallLimit() const {
    if (FCallEndMs > 0 && MonotonicMs() >= FCallEndMs)
        throw ESerialError(ESerialError::Overdue, OverdueText);
}

qint64 TSerialPort::PieceDeadline(qint64 PieceMs) const {
    CheckCallLimit();
    return FCallEndMs > 0 ? std::min(PieceMs, FCallEndMs) : PieceMs;
}

bool TSerialPort::WaitFor(short Events, qint64 DeadlineMs, bool& HangUp) {
    HangUp = false;
    for (;;) {
        const qint64 left = DeadlineMs - MonotonicMs();
        if (left <= 0)
            return false;
        pollfd p{FHandle, Events, 0};
        const int r = ::poll(&p, 1, int(std::min<qint64>(left, SliceMs)));
        if (r > 0) {
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                // Bytes still queued before the hang-up are read first.
                if ((Events & POLLIN) && (p.revents & POLLIN))
                    return true;
                HangUp = true;
                return true;
            }
            return true;
        }
        if (r < 0 && errno != EINTR) {
            HangUp = true;
            return true;
        }
        if (FSlice)
            FSlice();
    }
}

void TSerialPort::ReadExact(char* Buffer, qsizetype Count) {
    qsizetype done = 0;
    const qsizetype kept = std::min(Count, FPending.size());
    if (kept > 0) {
        memcpy(Buffer, FPending.constData(), size_t(kept));
        FPending.remove(0, kept);
        done = kept;
    }
    // The wait for each piece has one deadline: a wake-up that brings no byte does not renew it.
    qint64 deadline = -1;
    while (done < Count) {
        if (FHandle < 0 || FHungUp)
            throw ESerialError::BrokenDuring(true);
        bool hup = false;
        if (deadline < 0)
            deadline = std::max(MonotonicMs(), FSentUntilMs) + qint64(FTimeoutSeconds) * 1000;
        if (!WaitFor(POLLIN, PieceDeadline(deadline), hup)) {
            ::tcflush(FHandle, TCIOFLUSH);
            CheckCallLimit();
            throw ESerialError(ESerialError::Timeout, ReadTimeoutText);
        }
        if (hup) {
            FHungUp = true;
            throw ESerialError::BrokenDuring(true);
        }
        const ssize_t n = ::read(FHandle, Buffer + done, size_t(Count - done));
        if (n > 0) {
            done += n;
            deadline = -1;
        } else if (n == 0 || IsHangUpErrno(errno)) {
            FHungUp = true;
            throw ESerialError::BrokenDuring(true);
        } else if (errno != EAGAIN && errno != EINTR) {
            throw ESerialError(ESerialError::Io, ReadErrorText);
        }
    }
}

void TSerialPort::WriteExact(const char* Buffer, qsizetype Count) {
    qsizetype done = 0;
    qint64 deadline = -1;
    while (done < Count) {
        if (FHandle < 0 || FHungUp)
            throw ESerialError::BrokenDuring(false);
        CheckCallLimit();
        const ssize_t n = ::write(FHandle, Buffer + done, size_t(Count - done));
        if (n > 0) {
            done += n;
            deadline = -1;
            if (FLineRate > 0)
                FSentUntilMs = std::max(FSentUntilMs, MonotonicMs()) + qint64(n) * 1000 / FLineRate;
            continue;
        }
        if (n < 0 && IsHangUpErrno(errno)) {
            FHungUp = true;
            throw ESerialError::BrokenDuring(false);
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            throw ESerialError(ESerialError::Io, WriteErrorText);
        bool hup = false;
        if (deadline < 0)
            deadline = MonotonicMs() + qint64(FTimeoutSeconds) * 1000;
        if (!WaitFor(POLLOUT, PieceDeadline(deadline), hup)) {
            ::tcflush(FHandle, TCIOFLUSH);
            CheckCallLimit();
            throw ESerialError(ESerialError::Timeout, WriteTimeoutText);
        }
        if (hup) {
            FHungUp = true;
            throw ESerialError::BrokenDuring(false);
        }
    }
}

QByteArray TSerialPort::ReadAvailable(qsizetype Max) {
    QByteArray out;
    if (!FPending.isEmpty()) {
        out = FPending.left(Max);
        FPending.remove(0, out.size());
        return out;
    }
    return ReadDevice(Max);
}

QByteArray TSerialPort::ReadDevice(qsizetype Max) {
    QByteArray out;
    if (FHandle < 0 || FHungUp)
        return out;
    out.resize(Max);
    const ssize_t n = ::read(FHandle, out.data(), size_t(Max));
    if (n > 0) {
        out.resize(n);
        return out;
    }
    if (n == 0 || IsHangUpErrno(errno))
        FHungUp = true;
    out.clear();
    return out;
}

qsizetype TSerialPort::BytesWaiting() {
    int n = 0;
    if (FHandle >= 0 && ::ioctl(FHandle, FIONREAD, &n) != 0)
        n = 0;
    return FPending.size() + n;
}

bool TSerialPort::WaitReadable(int Ms) {
    if (!FPending.isEmpty())
        return true;
    if (FHandle < 0 || FHungUp)
        return false;
    pollfd p{FHandle, POLLIN, 0};
    const int r = ::poll(&p, 1, Ms);
    if (r > 0 && (p.revents & POLLIN))
        return true;
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        FHungUp = true;
    return false;
}

void TSerialPort::HangUp(int GuardMs, bool Escape) {
    if (FHandle < 0)
        return;
    if (FModemLines && !FHungUp) {
        int bits = TIOCM_DTR;
        ::ioctl(FHandle, TIOCMBIC, &bits);
        QThread::msleep(600);
        ::ioctl(FHandle, TIOCMBIS, &bits);
    } else if (!FHungUp) {
        ::tcflush(FHandle, TCIFLUSH);
        if (Escape) {
            QThread::msleep(unsigned(GuardMs));
            static const char escape[] = "+++";
            (void)::write(FHandle, escape, 3);
            QThread::msleep(unsigned(GuardMs));
        }
        static const char hang[] = "ATH0\r";
        (void)::write(FHandle, hang, 5);
        ::tcdrain(FHandle);
    }
    Close();
}
