// Scenes of a project's windows: the Setup Scheme window of a 748 project and the S window with its
// toolbar (Export first) and three rows. Each window stands over a project container that owns the
// project, read from files written in the scene's scratch folder.

#include "tools/shots/Shots.h"

#include "app/UModuleForms.h"
#include "app/UProjectFiles.h"
#include "app/USetupForm.h"
#include "model/UunvC.h"
#include "tools/SampleProject.h"

#include <QDir>

namespace {

// Holds a project container and one of its windows; the window goes before the project.
class ProjectWindowScene : public QWidget {
public:
    ProjectWindowScene(const QString& Folder, int Model, int Gauge, int Index) {
        auto files = NewProjectFiles(Model, Gauge, 60, 40);
        MMemoryProject sample;
        FillSampleProject(sample, 745);
        for (int kind : {lkS, lkN, lkW, lkZ, lkP})
            files->Lists->List(kind).Assign(sample.Lists.List(kind));
        MUnvC& c = files->Lists->C.GetC(1);
        c.From = {10, 110, 0, 0, 0, 0, 0, 0};
        c.To = {60, 160, 0, 0, 0, 0, 0, 0};
        c.OffsetTables[0].L = {0, 5, -5, 12, 0, 0, -20, 3};
        c.OffsetTables[0].R = {0, 5, -5, 12, 0, 0, -20, 3};
        c.CarrierStarts[2] = {1, 3, {120, -40, 0, 0, 0, 0, 0, 0}};
        c.RackCorrection1[0] = {-12, 1, 40, -15, 300};
        c.RackCorrection1[1] = {5, 2, 0, 0, 0};
        c.StitchDiff1 = {1, 2, 3, 4, 5, 6, 7, 8};
        c.X1 = c.Y1 = 1;
        c.Width = 60;
        c.Height = 40;
        const QString name =
            SaveProjectFiles(
                QDir(Folder).filePath(QStringLiteral("jacquard_%1e%2.LST").arg(Model).arg(Gauge)), *files)
                .HeaderFile;
        Project = new TPrjContainer(nullptr);
        Project->hide();
        Project->OpenProject(name);
        Window = Index == wiC ? static_cast<QWidget*>(new TC_Form(*Project)) : NewModuleForm(*Project, Index);
        Window->setParent(this);
        Window->move(0, 0);
        Window->show();
    }
    ~ProjectWindowScene() override {
        delete Window;
        delete Project;
    }
    TPrjContainer* Project = nullptr;
    QWidget* Window = nullptr;
};

std::unique_ptr<QWidget> WindowScene(shots::Context& ctx, int Model, int Index) {
    auto scene = std::make_unique<ProjectWindowScene>(ctx.TempFolder, Model, 7, Index);
    ctx.Size = scene->Window->size();
    ctx.AfterShow = [](QWidget* W) {
        auto* s = static_cast<ProjectWindowScene*>(W);
        s->resize(s->Window->size());
    };
    return scene;
}

} // namespace

KDS_SHOT_SCENE("setup-scheme", "The Setup Scheme window of a 748 project: needle areas, offsets, rack "
                               "corrections, carrier start positions and stitch-length differences") {
    return WindowScene(ctx, 748, wiC);
}

KDS_SHOT_SCENE("module-window", "The S window of a project: its toolbar with Export first and three rows") {
    auto scene = WindowScene(ctx, 740, wiS);
    ctx.AfterShow = [](QWidget* W) {
        auto* s = static_cast<ProjectWindowScene*>(W);
        static_cast<MModuleForm*>(s->Window)->Container()->SetVisibleRows(3);
        s->resize(s->Window->size());
    };
    return scene;
}
