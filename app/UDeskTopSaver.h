#pragma once
// The desktop autosave of the main window. Every few minutes of the main window's timer a pass
// copies each project changed since its last copy into the folder "DeskTop" (DT<window number>)
// and writes the list of the open projects (DeskTop.dsk); at the next start the projects of that
// list are reopened from their copies, so that work survives a crash. A normal exit empties the
// folder. A copy that cannot be reopened is kept in the folder's "Kept" folder, which no exit
// empties. The station holds a lock on the folder: a second station started beside it leaves the
// folder to the first and saves no copies.

#include "app/UDeskTopList.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class MBusProject;
class QLockFile;

// The numbered messages of the autosave (code 11).
namespace deskmsg {
constexpr int NotReopened = 4920;    // the projects whose copies could not be reopened, where they are kept
constexpr int CannotWrite = 4921;    // a pass cannot write a copy or the list (status bar)
constexpr int AnotherStation = 4922; // another station holds the folder: autosave off (status bar)
} // namespace deskmsg

// What the autosave needs of the main window.
class MDeskTopHost {
public:
    virtual ~MDeskTopHost() = default;
    // The open project containers, in registry order.
    virtual std::vector<MBusProject*> DeskTopProjects() const = 0;
    // Opens a project as the main window opens any (one that is open already is brought forward);
    // raises on failure.
    virtual MBusProject* OpenDeskTopProject(const QString& FileName) = 0;
    // Puts a note of the autosave in the status bar; an empty text takes it away.
    virtual void ShowDeskTopNote(const QString& Text) = 0;
};

class TDeskTopSaver {
public:
    // Why a pass failed: a numbered message (Code not 0), or a text.
    struct MReason {
        int Code = 0;
        int SubCode = 0;
        QString Args;
        QString Text;
    };
    explicit TDeskTopSaver(MDeskTopHost& Host);
    ~TDeskTopSaver();

    // The folder the copies and the list are kept in (made by the main window at start).
    void SetFolder(const QString& Folder) { FFolder = Folder; }
    QString Folder() const { return FFolder; }
    QString ListFile() const;
    QString KeptFolder() const;
    // Takes the folder's lock, held until the saver ends. False when another running station holds
    // it: the autosave is off then (no restore, no pass, no clearing) and the status bar says so. A
    // lock left by a station that has gone is taken over.
    bool Lock();
    bool Off() const { return FOff; }
    // The status bar's note of the autosave in the current language; empty when there is none.
    QString NoteText() const;

    // The timer's ticks: a pass runs on the tick after the counter passed the limit, then the
    // counter starts again.
    void SetTickLimit(int Limit) { FTickLimit = Limit; }
    int TickLimit() const { return FTickLimit; }
    int TickCounter() const { return FTickCounter; }
    void ResetTicks();
    void Tick();

    // One pass: the changed projects are copied, then the list is written when anything was. A
    // copy or a list that cannot be written leaves the previous one in place, and the status bar
    // says so once, until a pass writes again.
    void Save();
    // Reopens the projects of the list, each under its own name and marked changed. The copies that
    // cannot be reopened are moved into the kept folder and named in one message.
    void Restore();
    // Empties the folder of its own files (a normal exit): the kept folder stays.
    void Clear();

private:
    // Moves the files of the copy into the kept folder under the project's own base name; their
    // machine file's name relative to the desktop folder, empty when nothing was moved.
    QString Keep(const QString& Copy, const QString& OwnName);
    // Puts the note SubCode (0: none) with its argument in the status bar. A reason that is a
    // numbered message (Reason's code not 0) is looked up each time the note is shown, so it reads
    // in the language shown, as the rest of the note does.
    void SetNote(int SubCode, const MReason& Reason);

    MDeskTopHost& FHost;
    std::unique_ptr<QLockFile> FLock;
    bool FOff = false;
    // A pass failed and said so; cleared by the next pass that writes.
    bool FFailing = false;
    // The list could not be written: the next pass writes it even when it copies nothing.
    bool FListPending = false;
    // The copies that could be neither reopened nor kept: the exit leaves their files and lists them
    // again, so the next start names them once more.
    std::vector<TDeskTopPair> FUnkept;
    int FNote = 0;
    MReason FNoteArg;
    QString FFolder;
    int FTickCounter = 0;
    int FTickLimit = 0;
    // The pairs of the list file last written, by window number.
    std::map<int, TDeskTopPair> FPairs;
};
