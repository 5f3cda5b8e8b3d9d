#include "platform/PlainFile.h"

#include "platform/Errors.h"
#include "platform/HugePages.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

bool TFd::Close() {
    if (FFd < 0)
        return true;
    const int r = ::close(FFd);
    FFd = -1;
    return r == 0;
}

TFd OpenPlainFile(const char* NativePath, struct stat& Stat, QString* Why) {
    const auto fail = [&](const QString& Reason) {
        if (Why)
            *Why = Reason;
        return TFd();
    };
    TFd fd(::open(NativePath, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid() || ::fstat(fd.Get(), &Stat) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(Stat.st_mode))
        return fail(QStringLiteral("it is a folder"));
    if (!S_ISREG(Stat.st_mode))
        return fail(QStringLiteral("it is not a plain file but a pipe, device or socket"));
    // Reads wait for their data again.
    if (::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return fd;
}

bool IsPlainFile(const QString& Path) {
    struct stat st {};
    return ::stat(QFile::encodeName(Path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {
[[noreturn]] void TooLarge(const QString& Path, std::int64_t MaxBytes) {
    throw EReadError(
        QStringLiteral("Cannot read %1: the file is too large (more than %2 bytes)").arg(Path).arg(MaxBytes));
}

// At most Limit bytes from the start of the plain file Path; a file that says it holds more than
// MaxBytes (when that is not negative) is refused before anything is read.
QByteArray ReadUpTo(const QString& Path, std::int64_t Limit, std::int64_t MaxBytes) {
    struct stat st;
    QString why;
    TFd fd = OpenPlainFile(QFile::encodeName(Path).constData(), st, &why);
    if (!fd.Valid())
        throw EReadError(QStringLiteral("Cannot open %1: %2").arg(Path, why));
    if (MaxBytes >= 0 && st.st_size > MaxBytes)
        TooLarge(Path, MaxBytes);
    Limit = std::max<std::int64_t>(Limit, 0);
    // The stated size is taken first; a file that is longer than it says (or says 0, as some system
    // files do) is read on in pieces, up to the limit.
    QByteArray data;
    data.resize(qsizetype(std::min<std::int64_t>(std::max<std::int64_t>(st.st_size, 0), Limit)));
    HugePages::Advise(data.data(), std::size_t(data.size()));
    qsizetype got = 0;
    char piece[65536];
    while (got < Limit) {
        const bool inPlace = got < data.size();
        char* into = inPlace ? data.data() + got : piece;
        const std::int64_t room =
            inPlace ? data.size() - got : std::min<std::int64_t>(sizeof piece, Limit - got);
        const ssize_t n = ::read(fd.Get(), into, std::size_t(room));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadError(
                QStringLiteral("Cannot read %1: %2").arg(Path, QString::fromLocal8Bit(std::strerror(errno))));
        if (n == 0)
            break;
        if (!inPlace)
            data.append(piece, n);
        got += n;
    }
    data.resize(got);
    return data;
}
} // namespace

QByteArray ReadPlainFile(const QString& Path, std::int64_t MaxBytes) {
    MaxBytes = std::clamp<std::int64_t>(MaxBytes, 0, INT64_MAX - 1);
    const QByteArray data = ReadUpTo(Path, MaxBytes + 1, MaxBytes);
    if (data.size() > MaxBytes)
        TooLarge(Path, MaxBytes);
    return data;
}

QByteArray ReadPlainFileHead(const QString& Path, std::int64_t Bytes) {
    return ReadUpTo(Path, Bytes, -1);
}
