#include "platform/FileSet.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EFileSetError::EFileSetError(const QString& AFile, const QString& AReason)
    : EWriteError(AFile.isEmpty() ? AReason : AFile + QStringLiteral(": ") + AReason), File(AFile),
      Reason(AReason) {}

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
    // Put in place: the old file exchanged with the temporary (whose name now holds the old bytes),
    // or the file made where there was none.
    bool Exchanged = false;
    bool Created = false;
};

// Creates a new hidden file beside the file the set replaces; returns its descriptor. The file's
// Temporary names it once it exists.
int CreateTemporary(TPendingFile& File) {
    const QFileInfo info(File.Real);
    const QString folder = info.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.tmp")
                                 .arg(folder, info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd =
            ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            File.Temporary = name;
            return fd;
        }
        if (errno != EEXIST)
            SetFailed(
                File.Target,
                QStringLiteral("no file can be made in the folder %1 (%2)").arg(folder, SystemError(errno)));
    }
    SetFailed(File.Target, QStringLiteral("no free temporary name in the folder %1").arg(folder));
}

// A new file gets the permissions of the old file it replaces, when there is one.
void TakeOldPermissions(const TPendingFile& File) {
    struct stat old {};
    if (::stat(QFile::encodeName(File.Real).constData(), &old) == 0)
        (void)::chmod(QFile::encodeName(File.Temporary).constData(), old.st_mode & 07777);
}

// Removes the temporaries of a set when it ends: the new bytes of a set that was not put in place,
// or the old bytes of the files it exchanged.
class TTemporaries {
public:
    explicit TTemporaries(std::vector<TPendingFile>& Files) : FFiles(Files) {}
    ~TTemporaries() {
        for (const TPendingFile& f : FFiles)
            if (!f.Temporary.isEmpty())
                QFile::remove(f.Temporary);
    }

private:
    std::vector<TPendingFile>& FFiles;
};

bool CannotExchange(int Error) {
    return Error == EINVAL || Error == ENOSYS || Error == EOPNOTSUPP;
}

// Puts a written file in place. An old file is exchanged with the temporary, so that its bytes stay
// under the temporary's name until the whole set is in place; a file system that cannot exchange
// gets a plain rename. Gives 0 or the system's error.
int PutInPlace(TPendingFile& File, MFileSetSteps& Steps) {
    const QByteArray temporary = QFile::encodeName(File.Temporary), real = QFile::encodeName(File.Real);
    if (NameExists(File.Real)) {
        const int error = Steps.Exchange(temporary, real);
        if (error == 0) {
            File.Exchanged = true;
            return 0;
        }
        if (!CannotExchange(error))
            return error;
    } else {
        File.Created = true;
    }
    if (const int error = Steps.Rename(temporary, real); error != 0) {
        File.Created = false;
        return error;
    }
    File.Temporary.clear();
    return 0;
}

// Takes back the files put in place before a failure: the old bytes return under their names.
void TakeBack(std::vector<TPendingFile>& Files, MFileSetSteps& Steps) {
    for (TPendingFile& f : Files) {
        const QByteArray real = QFile::encodeName(f.Real);
        if (f.Exchanged)
            (void)Steps.Exchange(QFile::encodeName(f.Temporary), real);
        else if (f.Created)
            (void)::unlink(real.constData());
    }
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
        if (const int error = PutInPlace(f, steps); error != 0) {
            TakeBack(files, steps);
            SetFailed(f.Target, SystemError(error));
        }
    }
    QStringList folders;
    for (const TPendingFile& f : files)
        if (const QString folder = QFileInfo(f.Real).absolutePath(); !folders.contains(folder))
            folders << folder;
    for (const QString& folder : folders)
        SyncFolder(folder);
}
