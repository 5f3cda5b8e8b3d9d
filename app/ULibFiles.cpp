#include "app/ULibFiles.h"

#include "imaging/BMPFilt.h"
#include "imaging/ImageIO.h"
#include "imaging/ImgUtils.h"
#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/Bytes.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString Folder(const QString& Relative) {
    QString f = AppFile(Relative);
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString WithSlash(const QString& Folder) {
    return Folder.endsWith(QLatin1Char('/')) ? Folder : Folder + QLatin1Char('/');
}

bool SafeBase(const QString& Base) {
    return !Base.isEmpty() && Base != QLatin1String(".") && Base != QLatin1String("..") &&
           !Base.contains(QLatin1Char('/')) && !Base.contains(QChar(0));
}

// The plain files of Folder itself; links are left out, so no name leads out of the folder.
QStringList PlainFiles(const QString& Folder) {
    return QDir(Folder).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The path of the file Wanted among Files, the plain files of Folder: the one whose name equals
// it exactly, else one that differs only in letter case, else Folder + Wanted as a file still to be
// made; empty when the name is taken by a link or anything else that is not a plain file of the
// folder, since such a name would lead out of the library, for reading as for writing.
QString MatchEntryFile(const QString& Folder, const QStringList& Files, const QString& Wanted) {
    if (Files.contains(Wanted))
        return Folder + Wanted;
    for (const QString& name : Files)
        if (name.compare(Wanted, Qt::CaseInsensitive) == 0)
            return Folder + name;
    const QFileInfo taken(Folder + Wanted);
    if (taken.exists() || taken.isSymLink())
        return {};
    return Folder + Wanted;
}

// Opens F, a plain file of an entry, for reading; raises EModuleFile (Unreadable) naming it.
void OpenEntryFile(QFile& F) {
    if (!QFileInfo(F.fileName()).isFile())
        throw EModuleFile(modmsg::Unreadable, F.fileName(), QStringLiteral("no such file"));
    if (!F.open(QIODevice::ReadOnly))
        throw EModuleFile(modmsg::Unreadable, F.fileName(), F.errorString());
}

// The next Count bytes of F at most; raises EModuleFile (Unreadable) naming it.
QByteArray ReadNext(QFile& F, qint64 Count) {
    QByteArray bytes = F.read(Count);
    if (F.error() != QFileDevice::NoError)
        throw EModuleFile(modmsg::Unreadable, F.fileName(), F.errorString());
    return bytes;
}

// The first Limit bytes of the entry's file Path at most.
QByteArray ReadFileBytes(const QString& Path, qint64 Limit) {
    QFile f(Path);
    OpenEntryFile(f);
    return ReadNext(f, Limit);
}

std::int64_t I32At(const QByteArray& Bytes, int Offset) {
    if (Bytes.size() < Offset + 4)
        return -1;
    const auto* p = reinterpret_cast<const std::uint8_t*>(Bytes.constData()) + Offset;
    return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                        (std::uint32_t(p[3]) << 24));
}

// The sides of a picture at 18 and 22, checked against the expected size before anything else of
// the picture is read or decoded: a height below 0 is a top-down picture of its magnitude. Raises
// EModuleFile (BadPicture) naming FileName and the sides found. Answers the height.
std::int64_t CheckPictureSides(const QByteArray& Head, const QString& FileName, int Width, int Height,
                               bool AtLeast) {
    const std::int64_t w = I32At(Head, 18);
    std::int64_t h = I32At(Head, 22);
    if (h < 0)
        h = -h;
    if (w != Width || (AtLeast ? h < Height : h != Height) || h > 1999)
        throw EModuleFile(modmsg::BadPicture, FileName, QStringLiteral("%1 x %2").arg(w).arg(h));
    return h;
}

// The file header and the information header of a picture: all the sizes it declares.
constexpr int PictureHeadBytes = 54;
// Room in a picture file besides its rows: headers, colour table, masks and whatever else a
// writer puts there.
constexpr std::int64_t PictureRoom = std::int64_t(1) << 16;

// The bytes of picture file Path, expected Width x Height (with AtLeast, at least Height high).
// Its header is read first and checked before anything more is read: its sides, and the sizes it
// declares (the file size at 2, the end of its rows or coded data), which must fit the file's own
// size and what a picture of its sides can take (every row at 32 bits, PictureRoom besides). A
// picture that does not fit raises EModuleFile (BadPicture) having cost no more than its header;
// the bytes read are at most that bound, so a file longer than its picture is read no further.
QByteArray ReadPictureBytes(const QString& Path, int Width, int Height, bool AtLeast) {
    QFile f(Path);
    OpenEntryFile(f);
    const std::int64_t fileSize = f.size();
    QByteArray bytes = ReadNext(f, PictureHeadBytes);
    const std::int64_t h = CheckPictureSides(bytes, Path, Width, Height, AtLeast);
    const std::int64_t bound = PictureRoom + std::int64_t(RowSize(Width, 32)) * h;
    // The end the header declares: the file size it states, and the end of its rows or, for
    // run-length coded rows, of its coded data (the image size field). A field past the end of a
    // short file counts as 0.
    const QByteArray head = bytes.leftJustified(PictureHeadBytes, '\0');
    const ByteReader r(head);
    const std::uint32_t compression = r.PeekU32LE(30);
    const bool coded = compression == 1 || compression == 2;
    const int bits = std::min<int>(r.PeekU16LE(28), 32);
    const std::int64_t dataSize = coded ? r.PeekU32LE(34) : std::int64_t(RowSize(Width, bits)) * h;
    const std::int64_t declared = std::max<std::int64_t>(r.PeekU32LE(2), r.PeekU32LE(10) + dataSize);
    if (declared > std::min(fileSize, bound))
        throw EModuleFile(modmsg::BadPicture, Path,
                          QStringLiteral("%1 > %2 bytes").arg(declared).arg(std::min(fileSize, bound)));
    bytes += ReadNext(f, std::min(fileSize, bound) - bytes.size());
    return bytes;
}

} // namespace

QString LibraryFolder() {
    return Folder(QStringLiteral("Export"));
}

QString FixedFolder() {
    return Folder(QStringLiteral("Export/Fixed"));
}

QString DefaultFolder() {
    return Folder(QStringLiteral("Export/Default"));
}

QStringList ListLibraryEntries(const QString& Folder) {
    QStringList entries;
    for (const QString& name : PlainFiles(Folder)) {
        if (name.size() > 4 && name.endsWith(QLatin1String(".mod"), Qt::CaseInsensitive))
            entries << BaseNameOf(name);
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

QString LibraryEntryFile(const QString& Folder, const QString& Base, const QString& Ext) {
    if (!SafeBase(Base))
        return {};
    const QString wanted = Base + Ext;
    const QString folder = WithSlash(Folder);
    // A name as written needs no listing of the folder, which a large library makes slow.
    const QFileInfo exact(folder + wanted);
    if (exact.isFile() && !exact.isSymLink())
        return folder + wanted;
    return MatchEntryFile(folder, PlainFiles(folder), wanted);
}

ModuleHeader ReadEntryHeader(const QString& Folder, const QString& Base) {
    const QString path = LibraryEntryFile(Folder, Base, QStringLiteral(".mod"));
    if (path.isEmpty())
        throw EModuleFile(modmsg::Unreadable, Base, QStringLiteral("no such file"));
    return ReadModuleHeader(ReadFileBytes(path, ModuleHeader::Size), path);
}

TBitmap ReadEntryPicture(const QByteArray& Bytes, const QString& FileName, int Width, int Height,
                         bool AtLeast) {
    const auto bad = [&](const QString& Reason) { return EModuleFile(modmsg::BadPicture, FileName, Reason); };
    CheckPictureSides(Bytes, FileName, Width, Height, AtLeast);
    TBitmap picture;
    try {
        ByteReader reader(Bytes);
        TProgressRec progress;
        TIOParamsVals params;
        ReadBMP(reader, picture, std::int64_t(Bytes.size()), progress, params);
    } catch (const Exception& e) {
        throw bad(e.Message());
    }
    if (picture.Width() != Width || (AtLeast ? picture.Height() < Height : picture.Height() != Height))
        throw bad(QStringLiteral("%1 x %2").arg(picture.Width()).arg(picture.Height()));
    if (picture.PixelFormat() != pf24bit)
        picture.SetPixelFormat(pf24bit);
    return picture;
}

MLibraryEntry ReadLibraryEntryBytes(const QByteArray& Mod, const QByteArray& Bmp, const QByteArray& Pt2,
                                    const QString& Base) {
    MLibraryEntry e;
    e.Base = Base;
    e.Header = ReadModuleHeader(Mod, Base + QStringLiteral(".mod"));
    const int width = e.Header.LastColumn - e.Header.FirstColumn + 1;
    const int height = e.Header.LastLine - e.Header.FirstLine + 1;
    e.Picture = ReadEntryPicture(Bmp, Base + QStringLiteral(".bmp"), width, height, false);
    if (e.Header.UsesLowLines())
        e.LowPicture =
            ReadEntryPicture(Pt2, Base + QStringLiteral(".pt2"), width, e.Header.LastLowLine(), true);
    return e;
}

TBitmap ReadEntryBitmap(const QString& Folder, const QString& Base, const ModuleHeader& Header) {
    const QString path = LibraryEntryFile(Folder, Base, QStringLiteral(".bmp"));
    if (path.isEmpty())
        throw EModuleFile(modmsg::Unreadable, Base, QStringLiteral("no such file"));
    const int width = Header.LastColumn - Header.FirstColumn + 1;
    const int height = Header.LastLine - Header.FirstLine + 1;
    return ReadEntryPicture(ReadPictureBytes(path, width, height, false), path, width, height, false);
}

MLibraryEntry ReadLibraryEntry(const QString& Folder, const QString& Base) {
    const auto path = [&](const char* Ext) {
        const QString p = LibraryEntryFile(Folder, Base, QString::fromLatin1(Ext));
        if (p.isEmpty())
            throw EModuleFile(modmsg::Unreadable, Base, QStringLiteral("no such file"));
        return p;
    };
    const QString modPath = path(".mod");
    const QString bmpPath = path(".bmp");
    MLibraryEntry e;
    e.Folder = WithSlash(Folder);
    e.Base = Base;
    e.Header = ReadModuleHeader(ReadFileBytes(modPath, ModuleHeader::Size), modPath);
    const int width = e.Header.LastColumn - e.Header.FirstColumn + 1;
    const int height = e.Header.LastLine - e.Header.FirstLine + 1;
    e.Picture =
        ReadEntryPicture(ReadPictureBytes(bmpPath, width, height, false), bmpPath, width, height, false);
    if (e.Header.UsesLowLines()) {
        const QString pt2Path = path(".pt2");
        const int low = e.Header.LastLowLine();
        e.LowPicture =
            ReadEntryPicture(ReadPictureBytes(pt2Path, width, low, true), pt2Path, width, low, true);
    }
    return e;
}

QStringList CheckModuleFiles(const QString& Folder, const QStringList& Entries, int MachineSystems,
                             int MachineModel) {
    // The folder is listed once for all entries, not once for each.
    const QString folder = WithSlash(Folder);
    const QStringList files = PlainFiles(folder);
    QStringList fitting;
    for (const QString& base : Entries) {
        try {
            const QString path =
                SafeBase(base) ? MatchEntryFile(folder, files, base + QStringLiteral(".mod")) : QString();
            if (path.isEmpty())
                continue;
            const ModuleHeader header = ReadModuleHeader(ReadFileBytes(path, ModuleHeader::Size), path);
            if (ModuleFitsMachine(header, MachineSystems, MachineModel))
                fitting << base;
        } catch (const Exception&) {
            // An entry that cannot be read is hidden like one that does not fit.
        }
    }
    return fitting;
}

const QStringList& LibraryEntryExtensions() {
    static const QStringList extensions{QStringLiteral(".mod"), QStringLiteral(".LST"),
                                        QStringLiteral(".bmp"), QStringLiteral(".pt2")};
    return extensions;
}

QString MLibraryFileSteps::Rename(const QString& From, const QString& To) {
    QFile f(From);
    return f.rename(To) ? QString() : f.errorString();
}

QString MLibraryFileSteps::Remove(const QString& Path) {
    QFile f(Path);
    return f.remove() ? QString() : f.errorString();
}

QStringList DeleteLibraryEntry(const QString& Folder, const QString& Base, MLibraryFileSteps* Steps) {
    if (!SafeBase(Base))
        return {};
    MLibraryFileSteps plain;
    MLibraryFileSteps& steps = Steps != nullptr ? *Steps : plain;
    const QString folder = WithSlash(Folder);
    // When Base is listed itself, a file whose base name differs from it in letter case belongs
    // to the entry of that name when one is listed, and stays.
    const QStringList entries = ListLibraryEntries(folder);
    const bool listed = entries.contains(Base);
    const QStringList files = PlainFiles(folder);
    QStringList names;
    for (const QString& ext : LibraryEntryExtensions()) {
        const QString wanted = Base + ext;
        for (const QString& name : files) {
            if (name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QString owner = name.left(Base.size());
            if (!(listed && owner != Base && entries.contains(owner)))
                names << name;
        }
    }
    // Every file is first taken out of the library's sight under a name no entry's file can have
    // (it ends in "~"); when one cannot be, the others get their names back and the entry stays
    // whole.
    QStringList staged;
    for (const QString& name : names) {
        QString aside = folder + name + QStringLiteral(".deleting~");
        for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
            aside = folder + name + QStringLiteral(".deleting~%1").arg(n);
        const QString reason = steps.Rename(folder + name, aside);
        if (reason.isEmpty()) {
            staged << aside;
            continue;
        }
        QStringList stuck;
        for (int i = 0; i < staged.size(); ++i)
            if (!steps.Rename(staged[i], folder + names[i]).isEmpty())
                stuck << staged[i];
        if (!stuck.isEmpty())
            throw EModuleFile(modmsg::PutBackFailed, Base, stuck.join(QStringLiteral(", ")));
        throw EModuleFile(modmsg::SetAsideFailed, Base, folder + name + QLatin1Char(';') + reason);
    }
    // The entry is gone from the library now; a file that cannot be deleted stays out of sight.
    QStringList left;
    for (const QString& path : staged)
        if (!steps.Remove(path).isEmpty())
            left << path;
    return left;
}

QString StripNameOfEntry(const QString& Base) {
    QString name = Base;
    while (EncodeStoredText(name).size() > MStrip::NameSize - 1) {
        int cut = name.size() - 1;
        if (cut > 0 && name.at(cut).isLowSurrogate() && name.at(cut - 1).isHighSurrogate())
            --cut;
        name.truncate(cut);
    }
    return name;
}
