#pragma once
// The desktop autosave of the main window. Every few minutes of the main window's timer a pass
// copies each project changed since its last copy into the folder "DeskTop" (DT<window number>)
// and writes the list of the open projects (DeskTop.dsk); at the next start the projects of that
// list are reopened from their copies, so that work survives a crash. A normal exit empties the
// folder.

#include "app/UDeskTopList.h"

#include <QString>

#include <map>
#include <vector>

class MBusProject;

// What the autosave needs of the main window.
class MDeskTopHost {
public:
    virtual ~MDeskTopHost() = default;
    // The open project containers, in registry order.
    virtual std::vector<MBusProject*> DeskTopProjects() const = 0;
    // Opens a project as the main window opens any (one that is open already is brought forward);
    // raises on failure.
    virtual MBusProject* OpenDeskTopProject(const QString& FileName) = 0;
};

class TDeskTopSaver {
public:
    explicit TDeskTopSaver(MDeskTopHost& Host);

    // The folder the copies and the list are kept in (made by the main window at start).
    void SetFolder(const QString& Folder) { FFolder = Folder; }
    QString Folder() const { return FFolder; }
    QString ListFile() const;

    // The timer's ticks: a pass runs on the tick after the counter passed the limit, then the
    // counter starts again.
    void SetTickLimit(int Limit) { FTickLimit = Limit; }
    int TickLimit() const { return FTickLimit; }
    int TickCounter() const { return FTickCounter; }
    void ResetTicks();
    void Tick();

    // One pass: the changed projects are copied, then the list is written when anything was.
    void Save();
    // Reopens the projects of the list, each under its own name and marked changed.
    void Restore();
    // Empties the folder (a normal exit).
    void Clear();

private:
    MDeskTopHost& FHost;
    QString FFolder;
    int FTickCounter = 0;
    int FTickLimit = 0;
    // The pairs of the list file last written, by window number.
    std::map<int, TDeskTopPair> FPairs;
};
