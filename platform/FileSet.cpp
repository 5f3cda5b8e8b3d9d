#include "platform/FileSet.h"

#include "platform/PlainFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EFileSetError::EFileSetError(const QString& AFile, const QString& AReason, bool AUnsafe)
    : EWriteError(AFile.isEmpty() ? AReason : AFile + QStringLiteral(": ") + AReason), File(AFile),
      Reason(AReason), Unsafe(AUnsafe) {}

namespace {
[[noreturn]] void SetFailed(const QString& File, const QString& Reason) {
    throw EFileSetError(File, Reason);
}

QString SystemError(int Error) {
    return QString::fromLocal8Bit(std::strerror(Error));
}

// The name exists as something: a file, a folder, or a link, even one that leads nowhere.
bool NameExists(const QString& Path) {
    const QFileInfo info(Path);
    return info.exists() || info.isSymLink();
}

// One file of a set: where it goes, its bytes, and the temporary file that holds them first.
struct TPendingFile {
    QString Target; // the name the set uses
    QString Real;   // the file that is replaced: the target, or what a link to a file leads to
    QByteArray Bytes;
    QString Temporary;
    // Where the old file cannot be exchanged: its second name (a hard link or a copy), which holds
    // the old bytes until the whole set is in place.
    QString Kept;
    // Put in place: the old file exchanged with the temporary (whose name now holds the old bytes),
    // the new file renamed over the old one (kept), or the file made where there was none.
    bool Exchanged = false;
    bool Renamed = false;
    bool Created = false;
};

// A free hidden name beside File's real file, ending in Ending, passed to Make until it does not
// answer EEXIST; gives Make's last answer, and the name in Name when Make made it.
template <typename F>
int MakeBeside(const TPendingFile& File, const QString& Ending, QString& Name, F Make) {
    const QFileInfo info(File.Real);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.%4")
                                 .arg(info.absolutePath(), info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                                 .arg(Ending);
        const int error = Make(QFile::encodeName(name));
        if (error == 0)
            Name = name;
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

// Creates a new hidden file beside the file the set replaces; returns its descriptor. The file's
// Temporary names it once it exists.
int CreateTemporary(TPendingFile& File) {
    int fd = -1;
    const int error = MakeBeside(File, QStringLiteral("tmp"), File.Temporary, [&](const QByteArray& Name) {
        fd = ::open(Name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0 ? 0 : errno;
    });
    const QString folder = QFileInfo(File.Real).absolutePath();
    if (error == EEXIST)
        SetFailed(File.Target, QStringLiteral("no free temporary name in the folder %1").arg(folder));
    if (error != 0)
        SetFailed(
            File.Target,
            QStringLiteral("no file can be made in the folder %1 (%2)").arg(folder, SystemError(error)));
    return fd;
}

// A new file gets the permissions of the old file it replaces, when there is one.
void TakeOldPermissions(const TPendingFile& File) {
    struct stat old {};
    if (::stat(QFile::encodeName(File.Real).constData(), &old) == 0)
        (void)::chmod(QFile::encodeName(File.Temporary).constData(), old.st_mode & 07777);
}

// Removes the temporaries of a set when it ends: the new bytes of a set that was not put in place,
// or the old bytes of the files it exchanged or kept.
class TTemporaries {
public:
    explicit TTemporaries(std::vector<TPendingFile>& Files) : FFiles(Files) {}
    ~TTemporaries() {
        for (const TPendingFile& f : FFiles)
            for (const QString& name : {f.Temporary, f.Kept})
                if (!name.isEmpty())
                    QFile::remove(name);
    }

private:
    std::vector<TPendingFile>& FFiles;
};

// Keeps the old file of File under a second name: a hard link, else a copy. Raises EFileSetError
// (Unsafe) when neither can be made.
void KeepOld(TPendingFile& File, MFileSetSteps& Steps) {
    const QByteArray real = QFile::encodeName(File.Real);
    const int link = MakeBeside(File, QStringLiteral("old"), File.Kept,
                                [&](const QByteArray& Name) { return Steps.Link(real, Name); });
    if (link == 0)
        return;
    const int copy = MakeBeside(File, QStringLiteral("old"), File.Kept,
                                [&](const QByteArray& Name) { return Steps.Copy(real, Name); });
    if (copy == 0)
        return;
    throw EFileSetError(File.Target,
                        QStringLiteral("its folder can neither exchange two files nor keep the old file "
                                       "(a second name: %1, a copy: %2)")
                            .arg(SystemError(link), SystemError(copy)),
                        true);
}

// Puts a written file in place. An old file is exchanged with the temporary, so that its bytes stay
// under the temporary's name until the whole set is in place; where the file system cannot
// exchange, the old file is kept under a second name and the temporary renamed over it. Gives 0 or
// the system's error; raises when the old file can be neither exchanged nor kept.
int PutInPlace(TPendingFile& File, MFileSetSteps& Steps) {
    const QByteArray temporary = QFile::encodeName(File.Temporary), real = QFile::encodeName(File.Real);
    const bool old = NameExists(File.Real);
    if (old) {
        const int error = Steps.Exchange(temporary, real);
        if (error == 0) {
            File.Exchanged = true;
            return 0;
        }
        if (!CannotExchange(error))
            return error;
        KeepOld(File, Steps);
    }
    if (const int error = Steps.Rename(temporary, real); error != 0)
        return error;
    (old ? File.Renamed : File.Created) = true;
    File.Temporary.clear();
    return 0;
}

// Takes back the files put in place before a failure: the old bytes return under their names.
// Gives what could not be taken back: an old file that stays under its kept name.
QString TakeBack(std::vector<TPendingFile>& Files, MFileSetSteps& Steps) {
    QString left;
    for (TPendingFile& f : Files) {
        const QByteArray real = QFile::encodeName(f.Real);
        if (f.Exchanged) {
            if (const int error = Steps.Exchange(QFile::encodeName(f.Temporary), real); error != 0) {
                // The old bytes stay under the temporary's name rather than go with the temporaries.
                left += QStringLiteral("; the old file %1 cannot be put back (%2): its bytes are in %3")
                            .arg(f.Real, SystemError(error), f.Temporary);
                f.Temporary.clear();
            }
        } else if (f.Created) {
            (void)::unlink(real.constData());
        } else if (f.Renamed) {
            if (const int error = Steps.Rename(QFile::encodeName(f.Kept), real); error != 0)
                left += QStringLiteral("; the old file %1 cannot be put back (%2): its bytes are in %3")
                            .arg(f.Real, SystemError(error), f.Kept);
            f.Kept.clear();
        }
    }
    return left;
}

void SyncFolder(const QString& Folder) {
    const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

// Writes a file's bytes to its new temporary.
void WriteTemporary(TPendingFile& File, MFileSetSteps& Steps) {
    const int fd = CreateTemporary(File);
    TakeOldPermissions(File);
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        SetFailed(File.Target, file.errorString());
    }
    try {
        Steps.WriteAndFlush(file, File.Bytes);
    } catch (const Exception& e) {
        SetFailed(File.Target, e.Message());
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        SetFailed(File.Target, file.errorString());
}
} // namespace

void MFileSetSteps::WriteAndFlush(QFile& File, const QByteArray& Bytes) {
    if (File.write(Bytes) != Bytes.size() || !File.flush())
        throw EWriteError(File.errorString());
    if (::fdatasync(File.handle()) != 0)
        throw EWriteError(SystemError(errno));
}

int MFileSetSteps::Exchange(const QByteArray& From, const QByteArray& To) {
    return ::renameat2(AT_FDCWD, From.constData(), AT_FDCWD, To.constData(), RENAME_EXCHANGE) == 0 ? 0
                                                                                                   : errno;
}

int MFileSetSteps::Rename(const QByteArray& From, const QByteArray& To) {
    return std::rename(From.constData(), To.constData()) == 0 ? 0 : errno;
}

int MFileSetSteps::Link(const QByteArray& Existing, const QByteArray& New) {
    return ::link(Existing.constData(), New.constData()) == 0 ? 0 : errno;
}

int MFileSetSteps::Copy(const QByteArray& Existing, const QByteArray& New) {
    struct stat st {};
    errno = 0;
    const TFd from(OpenPlainFile(Existing.constData(), st));
    if (!from.Valid())
        return errno != 0 ? errno : EINVAL;
    TFd to(::open(New.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (!to.Valid())
        return errno;
    int error = 0;
    std::vector<char> buffer(std::size_t(1) << 20);
    while (error == 0) {
        const ssize_t n = ::read(from.Get(), buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            error = errno == EINTR ? 0 : errno;
            continue;
        }
        for (ssize_t done = 0; done < n && error == 0;) {
            const ssize_t w = ::write(to.Get(), buffer.data() + done, std::size_t(n - done));
            if (w >= 0)
                done += w;
            else if (errno != EINTR)
                error = errno;
        }
    }
    if (error == 0 && ::fdatasync(to.Get()) != 0)
        error = errno;
    if (!to.Close() && error == 0)
        error = errno != 0 ? errno : EIO;
    if (error != 0)
        (void)::unlink(New.constData());
    return error;
}

QString FileSetTarget(const QString& Target) {
    const QFileInfo info(Target);
    if (info.isSymLink()) {
        if (!info.exists())
            SetFailed(Target, QStringLiteral("it is a link to nothing"));
        const QString real = info.canonicalFilePath();
        if (!QFileInfo(real).isFile())
            SetFailed(Target, QStringLiteral("it is a link to something that is not a file"));
        return real;
    }
    if (info.isDir())
        SetFailed(Target, QStringLiteral("it is a folder"));
    if (info.exists() && !info.isFile())
        SetFailed(Target, QStringLiteral("it is not a plain file"));
    return Target;
}

void WriteFileSet(const std::vector<MFileWrite>& Set, MFileSetSteps* Steps) {
    std::vector<TPendingFile> files(Set.size());
    TTemporaries temporaries(files);
    // The source files are the set's from the start: they go on every path.
    for (std::size_t i = 0; i < Set.size(); ++i)
        files[i].Temporary = Set[i].Source;
    for (std::size_t i = 0; i < Set.size(); ++i) {
        files[i].Target = Set[i].Target;
        files[i].Real = FileSetTarget(Set[i].Target);
        if (Set[i].Source.isEmpty())
            files[i].Bytes = Set[i].Bytes;
    }
    MFileSetSteps plain;
    MFileSetSteps& steps = Steps ? *Steps : plain;
    for (std::size_t i = 0; i < Set.size(); ++i) {
        if (Set[i].Source.isEmpty())
            WriteTemporary(files[i], steps);
        else
            TakeOldPermissions(files[i]);
    }
    for (TPendingFile& f : files) {
        int error = 0;
        try {
            error = PutInPlace(f, steps);
        } catch (const EFileSetError& e) {
            const QString left = TakeBack(files, steps);
            throw EFileSetError(e.File, e.Reason + left, e.Unsafe);
        }
        if (error != 0) {
            const QString left = TakeBack(files, steps);
            SetFailed(f.Target, SystemError(error) + left);
        }
    }
    QStringList folders;
    for (const TPendingFile& f : files)
        if (const QString folder = QFileInfo(f.Real).absolutePath(); !folders.contains(folder))
            folders << folder;
    for (const QString& folder : folders)
        SyncFolder(folder);
}

bool CannotExchange(int Error) {
    return Error == EINVAL || Error == ENOSYS || Error == EOPNOTSUPP;
}
