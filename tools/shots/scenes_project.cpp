// Scenes of the projects: the New Project dialog, the machine-file dialog over a folder of machine
// files, and the project container's bar of buttons.

#include "tools/shots/Shots.h"

#include "app/UNewProj.h"
#include "app/UOpenProj.h"
#include "app/UPrjContainer.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>

KDS_SHOT_SCENE("new-project", "The New Project dialog: machine 740, gauge 7, a 250 x 250 picture") {
    auto form = std::make_unique<TOFormNewProj>();
    form->SetMachineIndex(-1);
    form->SetGaugeIndex(-1);
    return form;
}

KDS_SHOT_SCENE("open-project", "The machine-file dialog over a folder of machine files, machine 740 chosen, "
                               "one file selected") {
    const QDir folder(ctx.TempFolder);
    folder.mkdir(QStringLiteral("Samples"));
    folder.mkdir(QStringLiteral("Backup"));
    for (const char* name : {"jacquard_740e7.LST", "rib_740e12.LST", "stripes_729e7.LST", "cable_740e7.lst",
                             "notes.LST", "intarsia_720e5.LST", "jacquard_740e7.BMP"}) {
        QFile f(folder.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
    }
    auto form = std::make_unique<TFormOpenProj>();
    form->SetDirectory(folder.path());
    form->cmpMachineNr->setCurrentText(QStringLiteral("740"));
    form->FileListBox1->setCurrentRow(1);
    return form;
}

KDS_SHOT_SCENE("project-container",
               "The project container's bar: the module, drawing, test and import buttons") {
    auto c = std::make_unique<TPrjContainer>(nullptr);
    c->SetProjectName(QStringLiteral("/home/knit/jacquard_740e7.JXW"));
    return c;
}
