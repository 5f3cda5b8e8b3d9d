#include "model/UrunFiles.h"

#include "model/Ucommon.h"
#include "model/UprjHeader.h"
#include "model/UunvDta.h"
#include "platform/AppFolder.h"

#include <QFileInfo>

namespace {
// The file in File's folder named its base name + Extension in any letter case (the exact spelling
// first); empty when there is none.
QString Sibling(const QString& File, const QString& Extension) {
    const QString path = ResolvePath(QFileInfo(File).absolutePath(), BaseNameOf(File) + Extension);
    return QFileInfo(path).isFile() ? path : QString();
}

void NewPicture(MMemoryProject& Project, int Width, int Height) {
    Project.NewPicture(Width, Height);
    Project.Picture.Fill(NewPictureColor);
}

// The palette of a project data file, read by the project files' reader: the entries a short file
// holds, the others keeping theirs. Raises EReadError (palette untouched) when it cannot be read.
void ReadPalette(MPalette& Palette, const QString& Path) {
    ApplyProjectPalette(ReadProjectData(Path), Palette);
}

void LoadPicture(const MRunFiles& Files, MMemoryProject& Project, const MPictureReader& ReadPicture,
                 QStringList& Notes) {
    if (!Files.Picture.isEmpty()) {
        try {
            ReadPicture(Project, Files.Picture);
        } catch (const Exception& e) {
            throw ERunFiles(ERunFiles::rfPicture, Files.Picture, e.Message());
        }
        return;
    }
    if (Files.BlankWidth > 0 && Files.BlankHeight > 0) {
        try {
            NewPicture(Project, Files.BlankWidth, Files.BlankHeight);
        } catch (const Exception& e) {
            throw ERunFiles(ERunFiles::rfBlank,
                            QStringLiteral("%1x%2").arg(Files.BlankWidth).arg(Files.BlankHeight),
                            e.Message());
        }
        return;
    }
    const QString sibling = Sibling(Files.File, QStringLiteral(".BMP"));
    if (sibling.isEmpty()) {
        Notes << QStringLiteral("%1: no picture beside it; a new 100 x 100 picture is used").arg(Files.File);
    } else {
        try {
            ReadPicture(Project, sibling);
            return;
        } catch (const Exception& e) {
            Notes << QStringLiteral("%1: %2; a new 100 x 100 picture is used").arg(sibling, e.Message());
        }
    }
    NewPicture(Project, 100, 100);
}
} // namespace

ERunFiles::ERunFiles(TPart APart, const QString& AName, const QString& AReason)
    : Exception(AName + QStringLiteral(": ") + AReason), Part(APart), Name(AName), Reason(AReason) {}

QStringList LoadRunFiles(const MRunFiles& Files, MMemoryProject& Project, const MPictureReader& ReadPicture) {
    QStringList notes;
    try {
        LoadMachineFile(Files.File, Project.Lists.Machine, Project.Lists.Lists());
    } catch (const Exception& e) {
        throw ERunFiles(ERunFiles::rfMachineFile, Files.File, e.Message());
    }
    LoadPicture(Files, Project, ReadPicture, notes);

    const QString jxw = Files.Palette.isEmpty() ? Sibling(Files.File, QStringLiteral(".JXW")) : Files.Palette;
    if (!jxw.isEmpty()) {
        try {
            ReadPalette(Project.Colors, jxw);
        } catch (const Exception& e) {
            Project.Colors.ResetPalette();
            notes << QStringLiteral("%1: no palette could be read (%2); the default palette is used")
                         .arg(jxw, e.Message());
        }
    }
    return notes;
}
