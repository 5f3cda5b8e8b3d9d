#pragma once
// Opening and reading plain files, bounded. Every reader of a file named by a person goes through
// here: a folder, pipe, device or socket given where a file is expected is refused at once (it is
// opened without waiting, so a pipe with no writer cannot hold the caller up), and a file is read
// only up to the most bytes its reader can use, so a huge file is refused without being read.

#include <QByteArray>
#include <QString>

#include <cstdint>

#include <sys/stat.h>

// A file descriptor closed on every path.
class TFd {
public:
    explicit TFd(int Fd = -1) : FFd(Fd) {}
    ~TFd() { Close(); }
    TFd(TFd&& Other) noexcept : FFd(Other.FFd) { Other.FFd = -1; }
    TFd& operator=(TFd&&) = delete;
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    bool Valid() const { return FFd >= 0; }
    void Reset(int Fd) {
        Close();
        FFd = Fd;
    }
    // Closes now; false when the close reported an error.
    bool Close();

private:
    int FFd;
};

// Opens NativePath for reading when it names a plain file (links followed) and fills Stat. Otherwise
// the descriptor is invalid and Why (when given) receives the reason: the system's text, or that
// the name is a folder or is no plain file.
TFd OpenPlainFile(const char* NativePath, struct stat& Stat, QString* Why = nullptr);

// Whether Path names a plain file (links followed), without opening it.
bool IsPlainFile(const QString& Path);

// The whole of the plain file Path. Raises EReadError "Cannot open PATH: REASON" when it cannot be
// opened or is no plain file, "Cannot read PATH: ..." when reading fails or the file holds more than
// MaxBytes (of which at most MaxBytes + 1 are read).
QByteArray ReadPlainFile(const QString& Path, std::int64_t MaxBytes);

// The first Bytes bytes of the plain file Path (all of a shorter file); errors as ReadPlainFile.
QByteArray ReadPlainFileHead(const QString& Path, std::int64_t Bytes);
