#pragma once
// Writing a range of S lines of a project to the module library, without a window: the names of
// the fixed and rib programs, the checks of the export window's fields, the entry built from the
// program (the S lines renumbered from 1 with every module they reach, the header taken by running
// the program, the picture's rectangle and its lines below 11) and the entry's files written all
// together. The export window and lsttool export share it.

#include "app/UProjectFiles.h"
#include "imaging/Bitmap.h"
#include "model/UColors.h"
#include "model/UModHeader.h"
#include "model/UunvList.h"

#include <QString>

#include <memory>
#include <vector>

// The catalogue texts of the export (code 11).
namespace exportmsg {
constexpr int Code = 11;
constexpr int NameEmpty = 4101;   // the module name is empty
constexpr int NameTooLong = 4102; // (name): longer than 79 bytes
constexpr int NameBad = 4103;     // (name): a separator, a control character or a leading dot
constexpr int FromAboveTo = 4104; // (from;to)
constexpr int FromMissing = 4105; // (line): From S names no S line
constexpr int ToMissing = 4106;   // (line): To S names no S line
constexpr int ColorCount = 4107;  // (count): outside 2..6
constexpr int Replace = 4108;     // (name): question, Yes/No
constexpr int NotReached = 4109;  // (line): the program never reaches From S
constexpr int CycleSplit = 4110;  // (line): a cycle names lines inside and outside the range
constexpr int WriteFailed = 4111; // (file;reason)
constexpr int EntryExists = 4112; // (name): the shell does not replace an entry
} // namespace exportmsg

// The structures of the fixed-program picker and the export window, by index.
constexpr int FixedStructureCount = 6;
constexpr int fsStriped = 0, fsTwilled = 1, fsTubular = 2, fsTubular1_1 = 3, fsTubular2_1 = 4, fsLinks = 5;
// The rib programs, by index.
constexpr int RibWaist1 = 0, RibWaist2 = 1, RibTubular = 2;
// The most colours of a fixed program.
constexpr int FixedMaxColors = 6;

// The letter of a machine in the fixed-program names: D for the 720 family, C for one cam system,
// B for four, A otherwise.
QString MachineLetter(int Model, int Systems);
// "<L><n>clrJaq<word>" for the first five structures, "<L>2clrLinks" for Links (the count is then
// 2); empty for a structure outside 0..5.
QString FixedProgramName(int Model, int Systems, int Structure, int Colors);
// "<L>RibWaist1", "<L>RibWaist2", "<L>RibTubular"; empty for another kind.
QString RibProgramName(int Model, int Systems, int Kind);

// What the export window asks.
struct MExportRequest {
    QString Name;
    int FromS = 1;
    int ToS = 1;
    bool Fixed = false;
    int Structure = fsStriped;
    int Colors = 2;
};

// Raises the refusal (exportmsg) of the first field that is wrong: the name (not empty, at most 79
// bytes stored, no "/" or "\", no control character, no leading "."; not asked for a fixed
// program), From S not above To S, both existing S lines, and a fixed program's count 2..6.
void CheckExportRequest(const MExportRequest& Request, const MProgramLists& Lists);
// The folder (ending in "/") and the base name the entry is written under.
QString ExportFolder(const MExportRequest& Request);
QString ExportBaseName(const MExportRequest& Request, const MMachineInfo& Machine);
// True when any file of entry Base is in Folder.
bool LibraryEntryExists(const QString& Folder, const QString& Base);

// An entry as it is written: its header, its program and, for a library module, its pictures.
struct MExportEntry {
    ModuleHeader Header;
    std::unique_ptr<MProgramLists> Lists;
    TBitmap Picture;    // the header's rectangle
    TBitmap LowPicture; // lines 1 up to the highest low line, over the same columns
    bool Fixed = false;
};

// Builds the entry of a checked request from the project's program, palette and drawing. The
// project is not changed: the program runs on a copy. Raises exportmsg NotReached or CycleSplit,
// or the lists' own errors.
MExportEntry BuildExportEntry(const MProgramLists& Project, const MPalette& Palette, const TBitmap& Drawing,
                              const MExportRequest& Request);
// The files of an entry in Folder: ".mod" and ".LST", and for a library module ".bmp" and ".pt2".
std::vector<MFileWrite> ExportEntryFiles(MExportEntry& Entry, const QString& Folder, const QString& Base);
// Checks, builds and writes the entry (the library folders made when missing); every file is
// written before any is put in place, so a failure (exportmsg WriteFailed) leaves the old entry, or
// none, as it was. Without Replace an existing entry is refused (EntryExists). Answers the entry.
MExportEntry ExportLibraryEntry(const MProgramLists& Project, const MPalette& Palette, const TBitmap& Drawing,
                                const MExportRequest& Request, bool Replace, MFileSetSteps* Writer = nullptr);
// The same under a folder and base name of the caller's (lsttool export).
MExportEntry ExportLibraryEntryTo(const MProgramLists& Project, const MPalette& Palette,
                                  const TBitmap& Drawing, const MExportRequest& Request,
                                  const QString& Folder, const QString& Base, bool Replace,
                                  MFileSetSteps* Writer = nullptr);
