#include "tools/SampleProject.h"

#include "model/ULstFile.h"
#include "model/UunvKinds.h"

void FillSampleProject(MMemoryProject& Project) {
    MProgramLists& p = Project.Lists;
    p.Machine.Model = 745;
    p.Machine.UpdateCategory();
    for (int n = 1; n <= 12; ++n) {
        MUnvW w;
        w.Number = n;
        for (int k = 0; k < 8; ++k)
            w.Levels[std::size_t(k)] = n * 10 + k + 1;
        p.W.AddOrReplace(w);
    }
    for (int n = 1; n <= 12; ++n) {
        MUnvN m;
        m.Number = n;
        const bool reference = n % 3 == 0;
        m.Type = reference ? 2 : 1;
        m.Start = reference ? n - 1 : 10 * n;
        m.Count = reference ? (n == 6 ? 2 : -1) : n % 4 * 5;
        m.Counter.Kind = n % 4 == 1 ? ckW : ckD;
        m.Counter.Value = n % 4 == 1 ? n : n + 1;
        p.N.AddOrReplace(m);
    }
    for (MUnvList* list : p.Lists())
        list->Modified = false;
}

void LoadProjectFile(MMemoryProject& Project, const QString& Path) {
    LoadMachineFile(Path, Project.Lists.Machine, Project.Lists.Lists());
}
