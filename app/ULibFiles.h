#pragma once
// The module library on the disk, without a window: the folders under the application folder, the
// entries of a folder (every "*.mod" file, listed under its base name), the four files of an entry,
// its header and pictures read and checked against each other, the fit of an entry to a machine
// and the deletion of an entry. Names are matched without regard to letter case, and a name is only
// ever looked up among the files of its own folder, so no name reaches outside the library.

#include "imaging/Bitmap.h"
#include "model/UModHeader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The library folders, each ending in "/": "Export/" (library modules), "Export/Fixed/" (fixed and
// rib programs) and "Export/Default/" (the factory set of fixed programs), resolved under the
// application folder.
QString LibraryFolder();
QString FixedFolder();
QString DefaultFolder();

// The base names of the entries of Folder, sorted: the file-name part of every plain file whose
// name ends in ".mod" in any case, without that extension (a.b.mod is "a.b"). Empty for a missing
// folder.
QStringList ListLibraryEntries(const QString& Folder);

// The path of the file Base + Ext in Folder: the file whose name equals it exactly, else one that
// differs only in letter case, else Folder + Base + Ext as written (a file still to be made). Empty
// when Base is empty, ".", "..", or holds "/", and when the name is taken by a link or anything else
// that is not a plain file (no name leaves the folder).
QString LibraryEntryFile(const QString& Folder, const QString& Base, const QString& Ext);

// The header of entry Base in Folder; raises EModuleFile (Unreadable or BadField).
ModuleHeader ReadEntryHeader(const QString& Folder, const QString& Base);

// A picture of an entry from its bytes, in 24 bits. The sides at offsets 18 and 22 are compared
// with the expected size first (Width exactly, Height exactly or, with AtLeast, at least), so a
// picture that does not fit is refused before it is decoded; a picture that does not decode or
// does not fit raises EModuleFile (BadPicture) naming FileName.
TBitmap ReadEntryPicture(const QByteArray& Bytes, const QString& FileName, int Width, int Height,
                         bool AtLeast);

// The ".bmp" of entry Base in Folder, checked against Header (the picker's preview).
TBitmap ReadEntryBitmap(const QString& Folder, const QString& Base, const ModuleHeader& Header);

// One library entry as read: its header, its picture (".bmp", exactly as wide as its columns and as
// high as its lines) and, when it uses lines below 11, its ".pt2" (as wide, at least LastLowLine
// rows high; its bottom row is line 1).
struct MLibraryEntry {
    QString Folder;
    QString Base;
    ModuleHeader Header;
    TBitmap Picture;
    TBitmap LowPicture;
};
// Reads and checks an entry from the bytes of its files (the fuzz target's way in); names are those
// the errors give.
MLibraryEntry ReadLibraryEntryBytes(const QByteArray& Mod, const QByteArray& Bmp, const QByteArray& Pt2,
                                    const QString& Base);
// Reads and checks entry Base of Folder: header, ".bmp" and, when it uses lines below 11, ".pt2".
// Raises EModuleFile.
MLibraryEntry ReadLibraryEntry(const QString& Folder, const QString& Base);

// The entries of Entries (base names in Folder) that fit the machine (ModuleFitsMachine) and whose
// header can be read; the others are left out of the answer and stay on the disk.
QStringList CheckModuleFiles(const QString& Folder, const QStringList& Entries, int MachineSystems,
                             int MachineModel);

// The extensions of an entry's four files.
const QStringList& LibraryEntryExtensions();
// The two file steps of deleting an entry, each answering an empty text when done and the reason
// otherwise; tests install steps that fail.
class MLibraryFileSteps {
public:
    virtual ~MLibraryFileSteps() = default;
    virtual QString Rename(const QString& From, const QString& To);
    virtual QString Remove(const QString& Path);
};
// Deletes the four files of entry Base in Folder (".mod", ".LST", ".bmp", ".pt2", each matched
// without regard to case and only when it is a plain file of Folder itself); files of other entries
// ("a.b.*" for "a") stay. The files are first renamed, all of them, to names in Folder that no
// entry's file has (the name followed by ".deleting~"), then deleted, so the library never shows
// half an entry. When one cannot be renamed, the others get their names back and EModuleFile
// (SetAsideFailed: entry, file, reason) is raised with the entry whole, or (PutBackFailed: entry,
// the files renamed) when a name cannot be given back. Answers the renamed files that could not be
// deleted: the entry is gone from the library either way. Steps null: the plain file steps.
QStringList DeleteLibraryEntry(const QString& Folder, const QString& Base,
                               MLibraryFileSteps* Steps = nullptr);

// The name a stripe takes for an entry: its base name cut to 79 bytes of the stored encoding on a
// character boundary.
QString StripNameOfEntry(const QString& Base);
