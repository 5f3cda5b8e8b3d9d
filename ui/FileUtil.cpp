#include "ui/FileUtil.h"

#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "platform/PlainFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaProperty>
#include <QProgressBar>
#include <QProgressDialog>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// ---- Names and masks

namespace {

bool SameLetter(QChar A, QChar B) {
    return A == B || A.toCaseFolded() == B.toCaseFolded();
}

// The glob walk: one star remembered at a time, so the cost stays near length x length.
bool Glob(const QString& Name, const QString& Mask) {
    qsizetype n = 0, m = 0, starM = -1, starN = 0;
    while (n < Name.size()) {
        if (m < Mask.size() && Mask[m] == QLatin1Char('*')) {
            starM = m++;
            starN = n;
        } else if (m < Mask.size() && (Mask[m] == QLatin1Char('?') || SameLetter(Mask[m], Name[n]))) {
            ++n;
            ++m;
        } else if (starM >= 0) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < Mask.size() && Mask[m] == QLatin1Char('*'))
        ++m;
    return m == Mask.size();
}

QByteArray Native(const QString& Name) {
    return QFile::encodeName(Name);
}

} // namespace

bool MatchesMask(const QString& Name, const QString& Mask) {
    if (Glob(Name, Mask))
        return true;
    // "name.*" also finds the name without an extension.
    return Mask.endsWith(QLatin1String(".*")) && !Name.contains(QLatin1Char('.')) &&
           Glob(Name, Mask.chopped(2));
}

bool HasAnyChar(const QString& S, const QString& Chars) {
    return std::any_of(Chars.begin(), Chars.end(), [&](QChar c) { return S.contains(c); });
}

bool IsValidFileName(const QString& FileName) {
    return !FileName.isEmpty() && !HasAnyChar(FileName, QStringLiteral("<>\"[]|"));
}

QString WithTrailingBackslash(const QString& Dir) {
    if (Dir.isEmpty() || Dir.endsWith(QLatin1Char('/')) || Dir.endsWith(QLatin1Char('\\')))
        return Dir;
    return Dir + QLatin1Char('/');
}

QString FolderPartOf(const QString& Name) {
    const qsizetype cut = std::max(Name.lastIndexOf(QLatin1Char('/')), Name.lastIndexOf(QLatin1Char('\\')));
    return Name.left(cut + 1);
}

bool IsDirectory(const QString& Name) {
    return !Name.isEmpty() && QFileInfo(Name).isDir();
}

void CreateDirectoryPath(const QString& Dir) {
    if (Dir.isEmpty())
        return;
    QDir().mkpath(Dir);
}

qint64 FileSizeOf(const QString& FileName) {
    struct stat st;
    if (FileName.isEmpty() || ::stat(Native(FileName).constData(), &st) != 0)
        return -1;
    return S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
}

int FileAttributesOf(const QString& FileName) {
    struct stat st, lst;
    const QByteArray name = Native(FileName);
    if (FileName.isEmpty() || ::lstat(name.constData(), &lst) != 0)
        return -1;
    if (::stat(name.constData(), &st) != 0)
        st = lst; // a dangling link: its own attributes
    int attrs = 0;
    if (!(st.st_mode & S_IWUSR))
        attrs |= faReadOnly;
    if (FileNamePart(QDir::cleanPath(FileName)).startsWith(QLatin1Char('.')))
        attrs |= faHidden;
    if (S_ISDIR(st.st_mode))
        attrs |= faDirectory;
    else if (S_ISREG(st.st_mode))
        attrs |= faArchive;
    else
        attrs |= faSysFile;
    if (S_ISLNK(lst.st_mode))
        attrs |= faSymLink;
    return attrs;
}

bool FileHasAttributes(const QString& FileName, int Mask) {
    const int attrs = FileAttributesOf(FileName);
    return attrs >= 0 && (attrs & Mask) == Mask;
}

QString LongFileNameOf(const QString& FileName) {
    if (FileName.isEmpty())
        return QString();
    QString name = QDir::fromNativeSeparators(FileName);
    if (!QFileInfo::exists(name)) {
        // Found without regard to case, as a directory search would.
        const QString folder = FolderPartOf(name);
        name = folder.startsWith(QLatin1Char('/')) ? ResolvePath(QStringLiteral("/"), name)
                                                   : ResolvePath(QDir::currentPath(), name);
        if (!QFileInfo::exists(name))
            return QString();
    }
    return FileNamePart(QDir::cleanPath(name));
}

QString ShortFileNameOf(const QString& FileName) {
    return LongFileNameOf(FileName);
}

// ---- Clearing

bool ClearDir(const QString& Mask) {
    const QString mask = QDir::fromNativeSeparators(Mask);
    const QString folder = FolderPartOf(mask);
    const QString pattern = mask.mid(folder.size());
    const QString resolved = folder.startsWith(QLatin1Char('/')) ? ResolvePath(QStringLiteral("/"), folder)
                                                                 : ResolvePath(QDir::currentPath(), folder);
    std::error_code ec;
    const fs::path dir(Native(resolved).toStdString());
    if (!fs::is_directory(dir, ec))
        return false;
    // The names as they are on disk (bytes), so a name that is not UTF-8 is deleted as it is.
    std::vector<std::string> names = {".", ".."};
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    bool found = false;
    for (const std::string& n : names) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(n));
        if (!MatchesMask(name, pattern))
            continue;
        found = true;
        if (n.starts_with('.'))
            continue;
        const fs::path path = dir / n;
        const fs::file_status st = fs::symlink_status(path, ec);
        if (ec || fs::is_directory(st))
            continue;
        if (!fs::remove(path, ec) || ec)
            return false;
    }
    return found;
}

// ---- Progress controls

namespace {

struct TProgressRegistration {
    const QMetaObject* Class;
    QByteArray Names[3];
};

std::vector<TProgressRegistration>& ProgressList() {
    static std::vector<TProgressRegistration> list = {
        {&QProgressBar::staticMetaObject, {"minimum", "maximum", "value"}},
        {&QProgressDialog::staticMetaObject, {"minimum", "maximum", "value"}},
    };
    return list;
}

bool SetProgressProperty(QObject* Control, int Which, int Value) {
    if (!Control)
        return false;
    const QMetaObject* mo = Control->metaObject();
    const auto& list = ProgressList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (!mo->inherits(it->Class))
            continue;
        const int index = mo->indexOfProperty(it->Names[Which].constData());
        if (index < 0)
            return false;
        const QMetaProperty p = mo->property(index);
        switch (p.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return p.write(Control, QVariant(Value));
        default:
            return false;
        }
    }
    return false;
}

} // namespace

void RegisterProgressControl(const QMetaObject* Class, const QString& MinName, const QString& MaxName,
                             const QString& ValueName) {
    if (!Class)
        return;
    auto name = [](const QString& s) { return s.left(63).toLatin1(); };
    ProgressList().push_back({Class, {name(MinName), name(MaxName), name(ValueName)}});
}

bool SetProgressMin(QObject* Control, int Value) {
    return SetProgressProperty(Control, 0, Value);
}
bool SetProgressMax(QObject* Control, int Value) {
    return SetProgressProperty(Control, 1, Value);
}
bool SetProgressValue(QObject* Control, int Value) {
    return SetProgressProperty(Control, 2, Value);
}

// ---- Copying

namespace {

// The file a link names, followed to its end (a name that is no link is itself).
fs::path FollowLinks(fs::path P) {
    std::error_code ec;
    for (int i = 0; i < 40 && fs::is_symlink(P, ec); ++i) {
        const fs::path t = fs::read_symlink(P, ec);
        if (ec)
            break;
        P = t.is_absolute() ? t : P.parent_path() / t;
    }
    return P;
}

[[noreturn]] void CannotCreate(const QString& Target) {
    throw EFCreateError(QStringLiteral("Cannot create file %1").arg(Target));
}

// The temporary copy beside the target: removed unless it was renamed into place.
class TTempFile {
public:
    TTempFile(const fs::path& Target, const QString& TargetName) {
        // Cut so that the temporary name stays within the 255 bytes a name may have.
        const std::string base = Target.filename().string().substr(0, 200);
        std::string pattern = (Target.parent_path() / ("." + base + ".XXXXXX")).string();
        FName.assign(pattern.begin(), pattern.end());
        FName.push_back('\0');
        FFd.Reset(::mkostemp(FName.data(), O_CLOEXEC));
        if (!FFd.Valid())
            CannotCreate(TargetName);
    }
    ~TTempFile() {
        FFd.Close();
        if (!FPlaced)
            ::unlink(FName.data());
    }
    int Fd() const { return FFd.Get(); }
    bool Close() { return FFd.Close(); }
    // Renames the finished copy over the target.
    bool Place(const fs::path& Target) {
        if (::rename(FName.data(), Target.c_str()) != 0)
            return false;
        FPlaced = true;
        return true;
    }

private:
    std::vector<char> FName;
    TFd FFd;
    bool FPlaced = false;
};

// Progress values are integers: a file above 2 GB is counted in larger units.
struct TProgressScale {
    explicit TProgressScale(qint64 Size) {
        while ((Size >> Shift) > INT_MAX)
            ++Shift;
    }
    int operator()(qint64 V) const { return int(V >> Shift); }
    int Shift = 0;
};

void WriteAll(int Fd, const char* Data, ssize_t Count) {
    while (Count > 0) {
        const ssize_t w = ::write(Fd, Data, std::size_t(Count));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            throw EWriteError(QStringLiteral("Stream write error"));
        Data += w;
        Count -= w;
    }
}

// Copies from the source's position to its end; the kernel copies where it can.
void CopyContents(int Src, int Dst, QObject* Progress, const TProgressScale& Scale) {
    qint64 total = 0;
    bool kernel = true;
    while (kernel) {
        const ssize_t n = ::copy_file_range(Src, nullptr, Dst, nullptr, std::size_t(16) << 20, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            kernel = false; // the plain loop below finishes, and tells a read error from a write error
            break;
        }
        if (n == 0)
            return;
        total += n;
        SetProgressValue(Progress, Scale(total));
    }
    std::unique_ptr<char[]> buffer(new char[std::size_t(1) << 20]);
    for (;;) {
        const ssize_t n = ::read(Src, buffer.get(), std::size_t(1) << 20);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EReadError(QStringLiteral("Stream read error"));
        if (n == 0)
            return;
        WriteAll(Dst, buffer.get(), n);
        total += n;
        SetProgressValue(Progress, Scale(total));
    }
}

} // namespace

void CopyFile(const QString& FileName, const QString& DestName, QObject* ProgressControl) {
    CopyFileWithOptions(FileName, DestName, false, ProgressControl, false);
}

void CopyFileWithOptions(const QString& FileName, const QString& DestName, bool OverwriteReadOnly,
                         QObject* ProgressControl, bool ShellDialog) {
    if (ShellDialog) {
        ShellCopyOrMove(FileName, DestName, !OverwriteReadOnly, false, false);
        return;
    }
    QString target = DestName;
    if (IsDirectory(DestName))
        target = WithTrailingBackslash(DestName) + FileNamePart(FileName);
    if (FileName.isEmpty())
        throw EFOpenError(QStringLiteral("Cannot open file %1").arg(FileName));
    if (target.isEmpty())
        CannotCreate(target);
    CopyFileBytes(Native(FileName).toStdString(), Native(target).toStdString(), OverwriteReadOnly,
                  ProgressControl);
}

void CopyFileBytes(const std::filesystem::path& Source, const std::filesystem::path& Target,
                   bool OverwriteReadOnly, QObject* ProgressControl) {
    const QString FileName = QFile::decodeName(QByteArray::fromStdString(Source.string()));
    const QString target = QFile::decodeName(QByteArray::fromStdString(Target.string()));
    struct stat srcStat;
    // Only plain files copy: a pipe or device is refused at once.
    TFd src = Source.empty() ? TFd() : OpenPlainFile(Source.c_str(), srcStat);
    if (!src.Valid())
        throw EFOpenError(QStringLiteral("Cannot open file %1").arg(FileName));
    const TProgressScale scale(std::max<qint64>(srcStat.st_size, 0));
    SetProgressMax(ProgressControl, scale(std::max<qint64>(srcStat.st_size, 0)));
    SetProgressMin(ProgressControl, 0);
    SetProgressValue(ProgressControl, 0);

    if (Target.empty())
        CannotCreate(target);
    if (Target.has_parent_path()) {
        std::error_code ec;
        fs::create_directories(Target.parent_path(), ec);
    }
    const fs::path real = FollowLinks(Target);
    struct stat dstStat;
    const bool exists = ::stat(real.c_str(), &dstStat) == 0;
    if (exists) {
        if (S_ISDIR(dstStat.st_mode))
            CannotCreate(target);
        if (dstStat.st_dev == srcStat.st_dev && dstStat.st_ino == srcStat.st_ino) {
            SetProgressValue(ProgressControl, 0);
            return; // a file copied onto itself is already its copy
        }
        if (!(dstStat.st_mode & S_IWUSR)) {
            if (!OverwriteReadOnly)
                CannotCreate(target);
            dstStat.st_mode |= S_IWUSR;
        }
    }
    TTempFile temp(real, target);
    mode_t mode;
    if (exists) {
        mode = dstStat.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(temp.Fd(), mode) != 0)
        CannotCreate(target);

    CopyContents(src.Get(), temp.Fd(), ProgressControl, scale);

    const struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
    ::futimens(temp.Fd(), times);
    if (!temp.Close())
        throw EWriteError(QStringLiteral("Stream write error"));
    if (!temp.Place(real))
        CannotCreate(target);
    src.Close();
    SetProgressValue(ProgressControl, 0);
}

// ---- Command-line tokens

bool NextCommandToken(const QString& S, int& Pos, QString& Token) {
    Token.clear();
    const int len = int(S.size());
    if (Pos < 0)
        Pos = 0;
    for (;;) {
        if (Pos < len && S[Pos].unicode() < 33) {
            ++Pos;
        } else if (Pos + 1 < len && S[Pos] == QLatin1Char('"') && S[Pos + 1] == QLatin1Char('"')) {
            Pos += 2;
        } else {
            break;
        }
    }
    if (Pos >= len)
        return false;
    bool quoted = false;
    while (Pos < len) {
        const QChar c = S[Pos];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && c.unicode() < 33) {
            break;
        } else {
            Token += c;
        }
        ++Pos;
    }
    return true;
}

int CommandTokenCount(const QString& S) {
    int pos = 0, count = 0;
    QString token;
    while (NextCommandToken(S, pos, token))
        ++count;
    return count;
}

QString CommandToken(const QString& S, int Index) {
    int pos = 0;
    QString token;
    for (int i = 0; NextCommandToken(S, pos, token); ++i)
        if (i == Index)
            return token;
    return QString();
}

void SplitCommandLine(const QString& CommandLine, QString& Program, QString& Params) {
    Program.clear();
    Params.clear();
    int pos = 0;
    QString token;
    if (!NextCommandToken(CommandLine, pos, token))
        return;
    Program = token;
    while (NextCommandToken(CommandLine, pos, token)) {
        if (!Params.isEmpty())
            Params += QLatin1Char(' ');
        Params += token.contains(QLatin1Char(' ')) ? QLatin1Char('"') + token + QLatin1Char('"') : token;
    }
}
