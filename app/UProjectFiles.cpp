#include "app/UProjectFiles.h"

#include "app/LBoardSh.h"
#include "imaging/BMPFilt.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageLimits.h"
#include "model/UrunFiles.h"
#include "platform/AppFolder.h"
#include "platform/Bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString CatalogueArg(QString Text) {
    return Text.replace(QLatin1Char(';'), QLatin1Char(','));
}

namespace {
// The name exists as something: a file, a folder, or a link, even one that leads nowhere.
bool NameExists(const QString& Path) {
    const QFileInfo info(Path);
    return info.exists() || info.isSymLink();
}

// Every pixel of From in Count pixels of three bytes (blue, green, red) becomes To.
void ReplacePixels(std::uint8_t* Pixels, std::size_t Count, TColor From, TColor To) {
    for (std::uint8_t* p = Pixels; Count > 0; --Count, p += 3)
        if (CellColorOf(p) == From)
            PutCellColor(p, To);
}

void ReplaceColor(TBitmap& Picture, TColor From, TColor To) {
    for (int y = 0; y < Picture.Height(); ++y)
        ReplacePixels(Picture.ScanLine(y), std::size_t(Picture.Width()), From, To);
}

// The 24-bit BMP file of a picture with the reserved colour put back. The colour is put back in the
// written rows, so a full-size picture is not copied first.
std::vector<std::uint8_t> PictureFileBytes(const TBitmap& Picture) {
    TBitmap converted;
    const TBitmap* source = &Picture;
    if (Picture.PixelFormat() != pf24bit) {
        converted = Picture;
        converted.SetPixelFormat(pf24bit);
        source = &converted;
    }
    const std::size_t width = std::size_t(source->Width()), height = std::size_t(source->Height());
    const std::size_t rowBytes = (width * 3 + 3) & ~std::size_t(3);
    TIOParamsVals params;
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
    TProgressRec progress;
    ByteWriter writer;
    writer.Buffer().reserve(54 + rowBytes * height);
    WriteBMP(writer, *source, params, progress);
    std::vector<std::uint8_t> bytes = std::move(writer.Buffer());
    // The rows start where the file header says, each padded to four bytes.
    const std::size_t offset = ByteReader(bytes).PeekU32LE(10);
    if (offset > bytes.size() || (bytes.size() - offset) / rowBytes < height)
        throw EWriteError(QStringLiteral("the picture writer gave a file of an unexpected layout"));
    for (std::size_t y = 0; y < height; ++y)
        ReplacePixels(bytes.data() + offset + y * rowBytes, width, ReservedSubstitute, ReservedColor);
    return bytes;
}

TBitmap NewPicture(int Width, int Height) {
    if (!ImageLimits::PixelsWithinLimit(Width, Height))
        throw EReadError(QStringLiteral("a picture of %1 x %2 cells cannot be made").arg(Width).arg(Height));
    TBitmap picture(Width, Height, pf24bit);
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < Width; ++x, p += 3) {
            p[0] = std::uint8_t(NewPictureColor >> 16);
            p[1] = std::uint8_t(NewPictureColor >> 8);
            p[2] = std::uint8_t(NewPictureColor);
        }
    }
    return picture;
}

} // namespace

TBitmap LoadProjectPicture(const QString& Path) {
    TBitmap picture;
    TImageIO io;
    io.SetAttachedBitmap(&picture);
    io.LoadFromFile(Path);
    io.SetAttachedBitmap(nullptr);
    if (picture.Empty())
        throw EReadError(QStringLiteral("not a picture the station reads"));
    if (picture.PixelFormat() != pf24bit)
        picture.SetPixelFormat(pf24bit);
    ReplaceColor(picture, ReservedColor, ReservedSubstitute);
    return picture;
}

namespace {

void MarkOpened(MProgramLists& Lists) {
    for (MUnvList* list : Lists.Lists()) {
        list->Modified = false;
        list->NeedsAutosave = true;
    }
}

[[noreturn]] void SaveFailed(const QString& File, const QString& Reason) {
    throw EProjectFile(prjmsg::SaveFailed, File, Reason);
}

QString SystemError(int Error) {
    return QString::fromLocal8Bit(std::strerror(Error));
}

// One file of a save: where it goes, its bytes, and the temporary file they are written to first.
struct TPendingFile {
    QString Target; // the name the project uses
    QString Real;   // the file that is replaced: the target, or what a link to a file leads to
    QByteArray Bytes;
    QString Temporary;
    // Put in place: the old file exchanged with the temporary (whose name now holds the old bytes),
    // or the file made where there was none.
    bool Exchanged = false;
    bool Created = false;
};

// Where a file of the save really goes; refuses what cannot be replaced by a file.
QString RealTarget(const QString& Target) {
    const QFileInfo info(Target);
    if (info.isSymLink()) {
        if (!info.exists())
            SaveFailed(Target, QStringLiteral("it is a link to nothing"));
        const QString real = info.canonicalFilePath();
        if (!QFileInfo(real).isFile())
            SaveFailed(Target, QStringLiteral("it is a link to something that is not a file"));
        return real;
    }
    if (info.isDir())
        SaveFailed(Target, QStringLiteral("it is a folder"));
    if (info.exists() && !info.isFile())
        SaveFailed(Target, QStringLiteral("it is not a plain file"));
    return Target;
}

// Creates a new hidden file beside the file the save replaces, with the permissions a new file gets
// (those of the old file when there is one); returns its descriptor. The file's Temporary names it
// once it exists.
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
            struct stat old {};
            if (::stat(QFile::encodeName(File.Real).constData(), &old) == 0)
                (void)::fchmod(fd, old.st_mode & 07777);
            return fd;
        }
        if (errno != EEXIST)
            SaveFailed(
                File.Target,
                QStringLiteral("no file can be made in the folder %1 (%2)").arg(folder, SystemError(errno)));
    }
    SaveFailed(File.Target, QStringLiteral("no free temporary name in the folder %1").arg(folder));
}

// Removes the temporaries of a save when it ends: the new bytes of a save that did not finish, or
// the old bytes of the files a finished save exchanged.
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

// Puts a written file in place. An old file is exchanged with the temporary, so that its bytes stay
// under the temporary's name until the whole save has succeeded; a file system that cannot exchange
// gets a plain rename. Gives 0 or the system's error.
int PutInPlace(TPendingFile& File) {
    const QByteArray temporary = QFile::encodeName(File.Temporary), real = QFile::encodeName(File.Real);
    if (NameExists(File.Real)) {
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, real.constData(), RENAME_EXCHANGE) == 0) {
            File.Exchanged = true;
            return 0;
        }
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
    } else {
        File.Created = true;
    }
    if (::rename(temporary.constData(), real.constData()) != 0) {
        File.Created = false;
        return errno;
    }
    File.Temporary.clear();
    return 0;
}

// Takes back the files put in place before a failure: the old bytes return under their names.
void TakeBack(std::vector<TPendingFile>& Files) {
    for (TPendingFile& f : Files) {
        const QByteArray real = QFile::encodeName(f.Real);
        if (f.Exchanged)
            (void)::renameat2(AT_FDCWD, QFile::encodeName(f.Temporary).constData(), AT_FDCWD,
                              real.constData(), RENAME_EXCHANGE);
        else if (f.Created)
            (void)::unlink(real.constData());
    }
}

// The file already holds Bytes, byte for byte.
bool FileHolds(const QString& Path, const QByteArray& Bytes) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != Bytes.size())
        return false;
    std::vector<char> buffer(std::size_t(1) << 20);
    for (qsizetype at = 0; at < Bytes.size();) {
        const qint64 n = file.read(buffer.data(), std::min<qint64>(qint64(buffer.size()), Bytes.size() - at));
        if (n <= 0 || std::memcmp(buffer.data(), Bytes.constData() + at, std::size_t(n)) != 0)
            return false;
        at += n;
    }
    return true;
}

void SyncFolder(const QString& Folder) {
    const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}
} // namespace

EProjectFile::EProjectFile(int SubCode, const QString& AFile, const QString& AReason)
    : MException(prjmsg::Code, SubCode,
                 AFile.isEmpty() ? CatalogueArg(AReason)
                                 : CatalogueArg(AFile) + QLatin1Char(';') + CatalogueArg(AReason)),
      File(AFile), Reason(AReason) {}

// ---- Names.

QString MProjectNames::Base() const {
    return Folder + QLatin1Char('/') + ProgramName;
}

MProjectNames ProjectNamesOf(const QString& Name) {
    MProjectNames names;
    const QFileInfo info(Name);
    names.Folder = info.absolutePath();
    // "." and ".." name a folder, not a file: taken as a base they would put hidden "..LST" files
    // beside it.
    const QString file = info.fileName();
    if (file == QLatin1String(".") || file == QLatin1String(".."))
        return names;
    names.ProgramName = BaseNameOf(Name);
    names.MachineFile = ResolvePath(names.Folder, names.ProgramName + QStringLiteral(".LST"));
    names.PictureFile = ResolvePath(names.Folder, names.ProgramName + QStringLiteral(".BMP"));
    names.HeaderFile = ResolvePath(names.Folder, names.ProgramName + QStringLiteral(".JXW"));
    return names;
}

// ---- The object.

MProjectFiles::MProjectFiles() : Lists(std::make_unique<MProgramLists>()) {}

// ---- Opening.

std::unique_ptr<MProjectFiles> OpenProjectFiles(const QString& Name) {
    auto files = std::make_unique<MProjectFiles>();
    files->Names = ProjectNamesOf(Name);
    const MProjectNames& names = files->Names;
    MProgramLists& lists = *files->Lists;
    if (names.ProgramName.isEmpty())
        throw EProjectFile(prjmsg::OpenFailed, Name, QStringLiteral("the name holds no file name"));

    try {
        LoadMachineFile(names.MachineFile, lists.Machine, lists.Lists());
    } catch (const Exception& e) {
        throw EProjectFile(prjmsg::OpenFailed, names.MachineFile, e.Message());
    }

    // A picture that is there but cannot be read is a failure: a later save would overwrite it.
    if (NameExists(names.PictureFile)) {
        try {
            files->Picture = LoadProjectPicture(names.PictureFile);
        } catch (const Exception& e) {
            throw EProjectFile(prjmsg::OpenFailed, names.PictureFile, e.Message());
        }
    } else {
        files->Picture = NewPicture(100, 100);
    }

    if (NameExists(names.HeaderFile)) {
        try {
            const MProjectData data = ReadProjectData(names.HeaderFile);
            ApplyProjectData(data, files->Palette, files->Header.Values, lists.Machine, lists.S);
        } catch (const Exception& e) {
            throw EProjectFile(prjmsg::OpenFailed, names.HeaderFile, e.Message());
        }
    }
    MarkOpened(lists);
    return files;
}

// ---- A new project.

void CreateDefaultEntries(MProgramLists& Lists) {
    MSwitchGuard tags(CopyTag, true);
    const std::array<MUnvList*, 5> thirtyTwo{&Lists.N, &Lists.R, &Lists.S, &Lists.W, &Lists.FS};
    for (MUnvList* list : thirtyTwo) {
        std::unique_ptr<MUnvBase> entry = list->NewItem();
        entry->Clear();
        entry->Tag = 1;
        for (int n = 1; n <= 32; ++n) {
            entry->Number = n;
            list->AddOrReplace(*entry);
        }
    }
    std::unique_ptr<MUnvBase> z = Lists.Z.NewItem();
    z->Clear();
    z->Tag = 1;
    for (int n = 1; n <= 100; ++n) {
        z->Number = n;
        Lists.Z.AddOrReplace(*z);
    }
    MUnvC c;
    c.Clear();
    c.Tag = 1;
    c.Number = 1;
    c.From[0] = 1;
    c.To[0] = 309;
    Lists.C.AddOrReplace(c);
}

std::unique_ptr<MProjectFiles> NewProjectFiles(int Model, int Gauge, int Width, int Height) {
    auto files = std::make_unique<MProjectFiles>();
    MProgramLists& lists = *files->Lists;
    lists.Machine.Model = Model;
    lists.Machine.Gauge = Gauge;
    lists.Machine.UpdateCategory();
    try {
        files->Picture = NewPicture(Width < 1 ? 100 : Width, Height < 1 ? 100 : Height);
    } catch (const Exception& e) {
        throw EProjectFile(prjmsg::NewFailed, QString(), e.Message());
    }
    CreateDefaultEntries(lists);
    MarkOpened(lists);
    return files;
}

// ---- Saving.

void MProjectWriter::WriteAndFlush(QFile& File, const QByteArray& Bytes) {
    if (File.write(Bytes) != Bytes.size() || !File.flush())
        throw EWriteError(File.errorString());
    if (::fdatasync(File.handle()) != 0)
        throw EWriteError(SystemError(errno));
}

QByteArray ProjectMachineImage(MProgramLists& Lists) {
    return MachineFileImage(Lists.Machine, Lists.Lists());
}

QByteArray ProjectPictureImage(const TBitmap& Picture) {
    const std::vector<std::uint8_t> bytes = PictureFileBytes(Picture);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray ProjectHeaderImage(const MProgramLists& Lists, const MPalette& Palette,
                              const MProjHeader& Header) {
    return ProjectDataImage(Palette, Header.Values, Lists.Machine.Strips());
}

void WriteFileSet(const std::vector<MFileWrite>& Set, MProjectWriter* Writer) {
    std::vector<TPendingFile> files(Set.size());
    for (std::size_t i = 0; i < Set.size(); ++i) {
        files[i].Target = Set[i].Target;
        files[i].Real = RealTarget(Set[i].Target);
        files[i].Bytes = Set[i].Bytes;
    }
    MProjectWriter plain;
    MProjectWriter& writer = Writer ? *Writer : plain;
    TTemporaries temporaries(files);
    for (TPendingFile& f : files) {
        const int fd = CreateTemporary(f);
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            SaveFailed(f.Target, file.errorString());
        }
        try {
            writer.WriteAndFlush(file, f.Bytes);
        } catch (const Exception& e) {
            SaveFailed(f.Target, e.Message());
        }
        file.close();
        if (file.error() != QFileDevice::NoError)
            SaveFailed(f.Target, file.errorString());
    }
    for (TPendingFile& f : files) {
        if (const int error = PutInPlace(f); error != 0) {
            TakeBack(files);
            SaveFailed(f.Target, SystemError(error));
        }
    }
    QStringList folders;
    for (const TPendingFile& f : files)
        if (const QString folder = QFileInfo(f.Real).absolutePath(); !folders.contains(folder))
            folders << folder;
    for (const QString& folder : folders)
        SyncFolder(folder);
}

namespace {
MProjectNames SaveThreeFiles(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                             const MProjHeader& Header, const TBitmap& Picture, MProjectWriter* Writer,
                             bool KeepSameFiles) {
    MProjectNames names = ProjectNamesOf(Name);
    if (names.ProgramName.isEmpty())
        SaveFailed(Name, QStringLiteral("the name holds no file name"));
    if (!QFileInfo(names.Folder).isDir())
        SaveFailed(names.Folder, QStringLiteral("the folder does not exist"));
    if (Picture.Empty())
        SaveFailed(names.PictureFile, QStringLiteral("the project has no picture"));

    std::vector<MFileWrite> files(3);
    files[0].Target = names.MachineFile;
    files[1].Target = names.PictureFile;
    files[2].Target = names.HeaderFile;
    for (MFileWrite& f : files)
        RealTarget(f.Target);

    // Every byte is made before any file is touched.
    try {
        files[0].Bytes = ProjectMachineImage(Lists);
    } catch (const Exception& e) {
        SaveFailed(names.MachineFile, e.Message());
    }
    std::vector<std::uint8_t> picture;
    try {
        picture = PictureFileBytes(Picture);
        files[1].Bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(picture.data()), qsizetype(picture.size()));
    } catch (const Exception& e) {
        SaveFailed(names.PictureFile, e.Message());
    }
    files[2].Bytes = ProjectHeaderImage(Lists, Palette, Header);
    if (KeepSameFiles)
        std::erase_if(files, [](const MFileWrite& f) { return FileHolds(f.Target, f.Bytes); });
    WriteFileSet(files, Writer);
    return names;
}
} // namespace

MProjectNames SaveProjectFiles(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                               const MProjHeader& Header, const TBitmap& Picture, MProjectWriter* Writer) {
    return SaveThreeFiles(Name, Lists, Palette, Header, Picture, Writer, false);
}

MProjectNames SaveProjectCopy(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                              const MProjHeader& Header, const TBitmap& Picture, MProjectWriter* Writer) {
    return SaveThreeFiles(Name, Lists, Palette, Header, Picture, Writer, true);
}

MProjectNames SaveProjectFiles(const QString& Name, MProjectFiles& Files, MProjectWriter* Writer) {
    MProjectNames names =
        SaveProjectFiles(Name, *Files.Lists, Files.Palette, Files.Header, Files.Picture, Writer);
    Files.Names = names;
    return names;
}
