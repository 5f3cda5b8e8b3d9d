#pragma once
// The three files of a project, without a window: the machine program file (base + ".LST": the
// machine description and the ten lists), the pattern picture (base + ".BMP") and the project data
// file (base + ".JXW": the palette, the further header values and the named S-line ranges). The
// project container, the desktop autosave, prjtool and the tests all go through here (target
// app_files: QtCore, the model and the image codecs).
//
// Opening reads all three files into a new MProjectFiles, which the caller takes whole only when
// the opening succeeded. Saving makes the three files' bytes in memory, writes them to temporary
// files in the target folder, flushes them to the disk and renames them over the old files only
// when all three are written; a failure leaves the old files as they were.

#include "imaging/Bitmap.h"
#include "model/UColors.h"
#include "model/UcstmExp.h"
#include "model/UprjHeader.h"
#include "model/UunvList.h"
#include "platform/FileSet.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The catalogue texts of the project files (code 11).
namespace prjmsg {
constexpr int Code = 11;
constexpr int OpenFailed = 3602; // (file;reason): the project could not be opened
constexpr int SaveFailed = 3603; // (file;reason): the project could not be saved; the old files stay
constexpr int NewFailed = 3604;  // (reason): no new project could be made
// (file;reason): the folder can neither exchange two files nor keep a copy of the old one, so no
// save there is safe; the old files stay
constexpr int SaveUnsafe = 4901;
} // namespace prjmsg

// One argument of a catalogue text: its ";" become ",", since the catalogue splits its arguments
// there.
QString CatalogueArg(QString Text);

// A file of a project that could not be read or written: a numbered message (prjmsg) whose
// arguments are the file's name and the reason (the reason alone when no file is named).
class EProjectFile : public MException {
public:
    EProjectFile(int SubCode, const QString& File, const QString& Reason);
    QString File;
    QString Reason;
};

// The names of a project's files. The base is the file-name part of the name given without its
// last extension when that is one of the station's own (BaseNameOf); a dot elsewhere, in a folder
// name or inside the name, never counts. Each sibling is the existing file whose name differs only
// in letter case when there is one, else the name with the extension as written here. A name that
// holds no file name, or names a folder itself ("." or ".."), gives an empty ProgramName.
struct MProjectNames {
    QString Folder;      // absolute, without the final "/"
    QString ProgramName; // the base name alone
    QString MachineFile; // Folder/ProgramName + ".LST"
    QString PictureFile; // Folder/ProgramName + ".BMP"
    QString HeaderFile;  // Folder/ProgramName + ".JXW"; a project's name once opened or saved
    // Folder/ProgramName: the caption's first part.
    QString Base() const;
};
MProjectNames ProjectNamesOf(const QString& Name);
// The program name a project of Model and Gauge is given by Save Project As: ProgramName itself when
// it already ends in that machine's "_<model>e<gauge>" (the ending the machine-file dialog lists
// machine files by), otherwise ProgramName with that ending added.
QString ProgramNameWithEnding(const QString& ProgramName, int Model, int Gauge);

// A project as its files hold it. The lists cannot be copied: the object is made whole by
// OpenProjectFiles or NewProjectFiles and its parts are then moved or swapped into their holder.
class MProjectFiles {
public:
    MProjectFiles();
    MProjectFiles(const MProjectFiles&) = delete;
    MProjectFiles& operator=(const MProjectFiles&) = delete;

    // The machine description (with the strips of the project data file) and the ten lists; never
    // null. After opening or making a project every list is marked not modified and changed since
    // autosave.
    std::unique_ptr<MProgramLists> Lists;
    MPalette Palette;
    // Values 32..63 as read (0 when the file does not hold them); values 0..31 are the palette's
    // and are written from it.
    MProjHeader Header;
    // The drawing: 24 bits, with the reserved colour replaced by its substitute, as the drawing
    // holds it.
    TBitmap Picture;
    // The names of the files read or written; empty for a project made by NewProjectFiles.
    MProjectNames Names;
};

// ---- Opening.
// Reads the project that Name belongs to (any of its three names or a picture name): the machine
// program file, the picture (a missing one gives a new 100 x 100 picture of NewPictureColor) and
// the project data file (a missing one gives the default palette). Raises EProjectFile (OpenFailed)
// naming the file and the reader's reason when the machine file cannot be read or a picture or
// project data file exists but cannot be read; nothing is returned then.
std::unique_ptr<MProjectFiles> OpenProjectFiles(const QString& Name);

// A picture file of any format the station reads, in the drawing's form (24 bits, the reserved
// colour replaced by its substitute); raises the reader's error.
TBitmap LoadProjectPicture(const QString& Path);

// ---- A new project.
// Stores the default entries of a new project in Lists (N, R, S, W and FS 1..32, Z 1..100, C 1 with
// its first needle area from 1 to 309, each with tag 1), with the copy-tag switch on meanwhile.
void CreateDefaultEntries(MProgramLists& Lists);
// A new project for the model and gauge (the number of systems follows the model), its default
// entries and a Width x Height picture filled with NewPictureColor (a side below 1 gives 100).
// Raises EProjectFile (NewFailed) when the picture cannot be made.
std::unique_ptr<MProjectFiles> NewProjectFiles(int Model, int Gauge, int Width, int Height);

// ---- Saving.
// The bytes of the three files: the machine program file, the picture as a 24-bit BMP with the
// reserved colour put back (substitute pixels become the reserved colour; a picture that already
// holds it is written as it is), and the project data file (header values 0..31 from the palette,
// the strips of the machine description). Raise the writers' errors.
QByteArray ProjectMachineImage(MProgramLists& Lists);
QByteArray ProjectPictureImage(const TBitmap& Picture);
QByteArray ProjectHeaderImage(const MProgramLists& Lists, const MPalette& Palette, const MProjHeader& Header);

// Writes the three files for the base of Name (the sibling spellings of ProjectNamesOf) and returns
// the names written. Every file is written and flushed before any is renamed over the old one.
// Raises EProjectFile (SaveFailed) naming the file and the reason: a sibling that is a folder or a
// link to nothing, a folder that cannot be written, a full disk, an empty picture; SaveUnsafe where
// the folder can neither exchange nor keep the old files; the old files are then unchanged and no
// temporary file stays (WriteFileSet). A module the machine file cannot hold (a row stored
// unchecked) raises its own numbered message (MException, lstmsg in model/ULstFile.h) before any
// file is touched. Writer null: the plain steps.
MProjectNames SaveProjectFiles(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                               const MProjHeader& Header, const TBitmap& Picture,
                               MFileSetSteps* Writer = nullptr);
MProjectNames SaveProjectFiles(const QString& Name, MProjectFiles& Files, MFileSetSteps* Writer = nullptr);
// The same for a copy the station keeps for itself (the desktop autosave): a file that already
// holds its new bytes, byte for byte, is left as it is, neither written nor flushed again, so a
// pass over a project whose picture did not change writes only its lists.
MProjectNames SaveProjectCopy(const QString& Name, MProgramLists& Lists, const MPalette& Palette,
                              const MProjHeader& Header, const TBitmap& Picture,
                              MFileSetSteps* Writer = nullptr);
