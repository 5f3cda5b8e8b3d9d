#include "app/UProjectFiles.h"

#include "app/LBoardSh.h"
#include "imaging/BMPFilt.h"
#include "imaging/ImageIO.h"
#include "imaging/ImageLimits.h"
#include "model/Ucommon.h"
#include "model/UrunFiles.h"
#include "platform/AppFolder.h"
#include "platform/Bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

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

QString ProgramNameWithEnding(const QString& ProgramName, int Model, int Gauge) {
    int model = 0, gauge = 0;
    ParseNumberSuffix(ProgramName, model, gauge);
    if (model == Model && gauge == Gauge)
        return ProgramName;
    const QString ending = QStringLiteral("_%1e%2").arg(Model).arg(Gauge);
    // A machine the ending cannot name (no three-digit model) gets none.
    ParseNumberSuffix(ending, model, gauge);
    return model == Model && gauge == Gauge ? ProgramName + ending : ProgramName;
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

namespace {
MProjectNames SaveThreeFiles(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                             const MProjHeader& Header, const TBitmap& Picture, MFileSetSteps* Writer,
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
    try {
        for (MFileWrite& f : files)
            FileSetTarget(f.Target);
    } catch (const EFileSetError& e) {
        SaveFailed(e.File, e.Reason);
    }

    // Every byte is made before any file is touched.
    try {
        files[0].Bytes = ProjectMachineImage(Lists);
    } catch (const MException&) {
        // A module the file cannot hold: its own message names it and says nothing was written.
        throw;
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
    try {
        WriteFileSet(files, Writer);
    } catch (const EFileSetError& e) {
        throw EProjectFile(e.Unsafe ? prjmsg::SaveUnsafe : prjmsg::SaveFailed, e.File, e.Reason);
    }
    return names;
}
} // namespace

MProjectNames SaveProjectFiles(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                               const MProjHeader& Header, const TBitmap& Picture, MFileSetSteps* Writer) {
    return SaveThreeFiles(Name, Lists, Palette, Header, Picture, Writer, false);
}

MProjectNames SaveProjectCopy(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                              const MProjHeader& Header, const TBitmap& Picture, MFileSetSteps* Writer) {
    return SaveThreeFiles(Name, Lists, Palette, Header, Picture, Writer, true);
}

MProjectNames SaveProjectFiles(const QString& Name, MProjectFiles& Files, MFileSetSteps* Writer) {
    MProjectNames names =
        SaveProjectFiles(Name, *Files.Lists, Files.Palette, Files.Header, Files.Picture, Writer);
    Files.Names = names;
    return names;
}
