#pragma once
// The list window of the module editors' scenes: a bilingual window that owns a project (the sample
// project on a machine model, or the program of a machine file) and one list of it, shown with its
// second entry selected and a cell of its first row focused.

#include "tools/shots/Shots.h"

#include "editors/RContainerPanel_m.h"
#include "model/MClpBrd.h"
#include "tools/SampleProject.h"
#include "ui/Adapter.h"
#include "ui/ULPackDM.h"

namespace shots {

class ListWindow : public MForm {
public:
    ListWindow(MRContainerPanel* (*Make)(ListWindow*), int Kind, const QString& File, int Model = 745) {
        new MLanguageAdapter(this);
        if (DMLanguagePack)
            SetLanguagePack(DMLanguagePack->OLanguagePack);
        SetResourceLanguage(1);
        if (File.isEmpty())
            FillSampleProject(Project, Model);
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

// The scene of a list of Kind made by Make, the cell with FocusTag of the first row focused; the
// sample on the machine Model unless a file is given.
inline std::unique_ptr<QWidget> MakeListScene(Context& ctx, MRContainerPanel* (*Make)(ListWindow*), int Kind,
                                              int FocusTag, int Model = 745) {
    auto w = std::make_unique<ListWindow>(Make, Kind, ctx.File, Model);
    ctx.Size = w->Container->size();
    ctx.AfterShow = [FocusTag](QWidget* Widget) {
        auto* win = static_cast<ListWindow*>(Widget);
        win->resize(win->Container->size());
        if (!win->Container->Rows().empty() && win->Container->Rows()[0]->isVisible())
            win->Container->Rows()[0]->FocusCell(FocusTag);
    };
    return w;
}

} // namespace shots
