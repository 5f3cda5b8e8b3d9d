// Scenes of the W and N editors: the selector-switch and needle-setup lists over the sample project
// or the program of a machine file, with a few rows, one of them selected and one focused.

#include "tools/shots/Shots.h"

#include "editors/RNPanel_m.h"
#include "editors/RWPanel_m.h"
#include "model/MClpBrd.h"
#include "tools/SampleProject.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"

namespace {

// A bilingual window that owns a project and one list of it.
class ListWindow : public MForm {
public:
    ListWindow(MRContainerPanel* (*Make)(ListWindow*), int Kind, const QString& File) {
        new MLanguageAdapter(this);
        if (DMLanguagePack)
            SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(1);
        if (File.isEmpty())
            FillSampleProject(Project);
        else
            LoadProjectFile(Project, File);
        Container = Make(this);
        Container->Project = &Project;
        Container->SetClipboard(&Clipboard);
        Container->InitLayout(0);
        FinishLoading();
        MUnvList& list = Project.Lists.List(Kind);
        if (list.Count() > 1)
            list.SetSelected(list.ItemAt(1).Number, true);
        Container->SetItems(&list);
        Container->SetVisibleRows(6);
    }
    ~ListWindow() override { DestroyComponents(); }

    MMemoryProject Project;
    TMUnvClipBoard Clipboard;
    MRContainerPanel* Container = nullptr;
};

std::unique_ptr<QWidget> MakeListScene(shots::Context& ctx, MRContainerPanel* (*Make)(ListWindow*), int Kind,
                                       int FocusTag) {
    auto w = std::make_unique<ListWindow>(Make, Kind, ctx.File);
    ctx.Size = w->Container->size();
    ctx.AfterShow = [FocusTag](QWidget* Widget) {
        auto* win = static_cast<ListWindow*>(Widget);
        win->resize(win->Container->size());
        if (!win->Container->Rows().empty() && win->Container->Rows()[0]->isVisible())
            win->Container->Rows()[0]->FocusCell(FocusTag);
    };
    return w;
}

} // namespace

KDS_SHOT_SCENE("w",
               "The W list: selector-switch rows of eight levels, the second selected, the first focused") {
    return MakeListScene(
        ctx, [](ListWindow* W) -> MRContainerPanel* { return new MRWContainerPanel(W, W); }, lkW, 300);
}

KDS_SHOT_SCENE("n", "The N list: needle-setup rows of both types and counters, the second selected") {
    return MakeListScene(
        ctx, [](ListWindow* W) -> MRContainerPanel* { return new MRNContainerPanel(W, W); }, lkN, 200);
}
