#include "app/UDeskTopSaver.h"

#include "app/UBusSeams.h"

#include "model/Ucommon.h"
#include "platform/AppFolder.h"
#include "platform/PlainFile.h"
#include "ui/FileUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

TDeskTopSaver::TDeskTopSaver(MDeskTopHost& Host) : FHost(Host) {}

QString TDeskTopSaver::ListFile() const {
    return QDir(FFolder).filePath(QStringLiteral("DeskTop.dsk"));
}

void TDeskTopSaver::ResetTicks() {
    FTickCounter = 0;
    FTickLimit = 0;
}

void TDeskTopSaver::Tick() {
    if (FTickCounter > FTickLimit) {
        FTickCounter = 0;
        Save();
    }
    ++FTickCounter;
}

void TDeskTopSaver::Save() {
    try {
        bool any = false;
        std::vector<TDeskTopPair> list;
        std::map<int, TDeskTopPair> pairs;
        for (MBusProject* p : FHost.DeskTopProjects()) {
            const int number = p->WindowNumber;
            const auto previous = FPairs.find(number);
            try {
                const QString own = p->GetProjectName();
                TDeskTopPair pair{own, own};
                if (p->NeedsAutosave()) {
                    const QString copy = QDir(FFolder).filePath(QStringLiteral("DT%1").arg(number));
                    p->SaveDeskTopCopy(copy);
                    any = true;
                    p->SetNeedsAutosave(false);
                    pair.ReopenName = copy;
                } else if (previous != FPairs.end() && p->IsModified()) {
                    // Unchanged since its copy and not saved since: the copy still holds its work.
                    pair.ReopenName = previous->second.ReopenName;
                }
                list.push_back(pair);
                pairs[number] = pair;
            } catch (...) {
                // A copy that failed keeps the older copy restorable.
                if (previous != FPairs.end()) {
                    list.push_back(previous->second);
                    pairs[number] = previous->second;
                }
            }
        }
        if (!any)
            return;
        QSaveFile file(ListFile());
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(FormatDeskTopList(list));
        if (file.commit())
            FPairs = std::move(pairs);
    } catch (...) {
    }
}

void TDeskTopSaver::Restore() {
    try {
        const QString listFile = ListFile();
        if (!QFileInfo::exists(listFile))
            return;
        const auto pairs = ParseDeskTopList(ReadPlainFile(listFile, MaxDeskTopListBytes));
        for (const TDeskTopPair& pair : pairs) {
            try {
                // A copy is named by its base: its machine file stands for it.
                QString name = pair.ReopenName;
                if (!IsPlainFile(name))
                    name = ResolvePath(QFileInfo(name).path(), BaseNameOf(name) + QStringLiteral(".LST"));
                if (!IsPlainFile(name))
                    continue;
                MBusProject* p = FHost.OpenDeskTopProject(name);
                p->SetProjectName(pair.OwnName);
                // Its work is not saved anywhere but in the copy: the next pass copies it again.
                p->SetModified(true);
                p->SetNeedsAutosave(true);
            } catch (...) {
            }
        }
    } catch (...) {
    }
}

void TDeskTopSaver::Clear() {
    try {
        ClearDir(QDir(FFolder).filePath(QStringLiteral("*.*")));
    } catch (...) {
    }
    FPairs.clear();
}
