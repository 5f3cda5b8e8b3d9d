// Scenes of the knitting-scheme editor: the Z list over the sample project on a 745 (two cam
// systems) and on a 720 (four, with the cam menu of one cell open, offering the cell's allow-list).

#include "tools/shots/Popups.h"
#include "tools/shots/Shots.h"

#include "editors/CamBox_m.h"
#include "editors/CamPopupMenu_m.h"
#include "editors/ModuleMenu.h"
#include "editors/RZPanel_m.h"
#include "model/MClpBrd.h"
#include "tools/SampleProject.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"

namespace {

// A bilingual window that owns a sample project and its Z list.
class ZWindow : public MForm {
public:
    explicit ZWindow(int Model) {
        new MLanguageAdapter(this);
        if (DMLanguagePack)
            SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(1);
        FillSampleProject(Project, Model);
        const int systems = std::clamp(int(Project.Lists.Machine.Category), 1, 4);
        Container = new MRZContainerPanel(this, systems, Model, &Project.Colors, this);
        Container->Project = &Project;
        Container->SetClipboard(&Clipboard);
        Container->InitLayout(0);
        Container->SetPopupMenu(MakeModulePopupMenu(this, true));
        FinishLoading();
        Project.Lists.Z.SetSelected(2, true);
        Container->SetItems(&Project.Lists.Z);
        Container->SetVisibleRows(2);
    }
    ~ZWindow() override { DestroyComponents(); }

    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRZContainerPanel* Container = nullptr;
};

std::unique_ptr<QWidget> MakeZScene(shots::Context& ctx, int Model, bool OpenCamMenu) {
    auto w = std::make_unique<ZWindow>(Model);
    ctx.Size = w->Container->size();
    MCamPopupMenu* menu = w->Container->CamMenu();
    ctx.AfterShow = [OpenCamMenu](QWidget* Widget) {
        auto* win = static_cast<ZWindow*>(Widget);
        win->resize(win->Container->size());
        auto* row = win->Container->Row(0);
        if (!row || !row->isVisible())
            return;
        row->FocusCell(5);
        if (OpenCamMenu) {
            // The cam of slot 0 on an odd row: the receiving list.
            MCamBox* cam = row->CamCells[0];
            shots::MakeActive(cam);
            cam->setFocus();
            cam->Click();
        }
    };
    if (OpenCamMenu)
        ctx.Grab = [menu](QWidget* W) { return shots::GrabWithPopup(W, menu); };
    return w;
}

} // namespace

KDS_SHOT_SCENE("z", "The Z list on a 745: two display rows of odd-even pairs of knitting rows, the second "
                    "row selected, the first focused") {
    return MakeZScene(ctx, 745, false);
}

KDS_SHOT_SCENE("z-720",
               "The Z list on a 720: four cam systems, the outer systems without tying and net rear, "
               "the cam menu of slot 0 open with its receiving list") {
    return MakeZScene(ctx, 720, true);
}
