#include "app/ULibFiles.h"

#include "imaging/BMPFilt.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageLimits.h"
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

QByteArray ReadFileBytes(const QString& Path, qint64 Limit) {
    QFile f(Path);
    const QFileInfo info(Path);
    if (!info.isFile())
        throw EModuleFile(modmsg::Unreadable, Path, QStringLiteral("no such file"));
    if (!f.open(QIODevice::ReadOnly))
        throw EModuleFile(modmsg::Unreadable, Path, f.errorString());
    if (f.size() > Limit && Limit > ModuleHeader::Size)
        throw EModuleFile(modmsg::Unreadable, Path, QStringLiteral("too large"));
    QByteArray bytes = f.read(std::min(Limit, f.size()));
    if (f.error() != QFileDevice::NoError)
        throw EModuleFile(modmsg::Unreadable, Path, f.errorString());
    return bytes;
}

std::int64_t I32At(const QByteArray& Bytes, int Offset) {
    if (Bytes.size() < Offset + 4)
        return -1;
    const auto* p = reinterpret_cast<const std::uint8_t*>(Bytes.constData()) + Offset;
    return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                        (std::uint32_t(p[3]) << 24));
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
    // The sides at 18 and 22, checked before the picture is decoded: a height below 0 is a
    // top-down picture of its magnitude.
    const std::int64_t w = I32At(Bytes, 18);
    std::int64_t h = I32At(Bytes, 22);
    if (h < 0)
        h = -h;
    const QString size = QStringLiteral("%1 x %2").arg(w).arg(h);
    if (w != Width || (AtLeast ? h < Height : h != Height) || h > 1999)
        throw bad(size);
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
    return ReadEntryPicture(ReadFileBytes(path, ImageLimits::MaxFileBytes), path,
                            Header.LastColumn - Header.FirstColumn + 1,
                            Header.LastLine - Header.FirstLine + 1, false);
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
        ReadEntryPicture(ReadFileBytes(bmpPath, ImageLimits::MaxFileBytes), bmpPath, width, height, false);
    if (e.Header.UsesLowLines()) {
        const QString pt2Path = path(".pt2");
        e.LowPicture = ReadEntryPicture(ReadFileBytes(pt2Path, ImageLimits::MaxFileBytes), pt2Path, width,
                                        e.Header.LastLowLine(), true);
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

void DeleteLibraryEntry(const QString& Folder, const QString& Base) {
    if (!SafeBase(Base))
        return;
    const QString folder = WithSlash(Folder);
    // When Base is listed itself, a file whose base name differs from it in letter case belongs
    // to the entry of that name when one is listed, and stays.
    const QStringList entries = ListLibraryEntries(folder);
    const bool listed = entries.contains(Base);
    for (const QString& ext : LibraryEntryExtensions()) {
        const QString wanted = Base + ext;
        for (const QString& name : PlainFiles(folder)) {
            if (name.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QString owner = name.left(Base.size());
            if (listed && owner != Base && entries.contains(owner))
                continue;
            const QString path = folder + name;
            if (!QFile::remove(path))
                throw EModuleFile(modmsg::DeleteFailed, path);
        }
    }
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
