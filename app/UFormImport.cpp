#include "app/UFormImport.h"

#include "app/LBoardWindow.h"
#include "app/UFormFixedProg.h"
#include "app/UFormImportData.h"
#include "app/UFormImportModulePrperty.h"
#include "app/UFormRIBProg.h"
#include "app/ULibFiles.h"
#include "app/UPrjContainer.h"
#include "editors/FormParts.h"
#include "platform/AppFolder.h"
#include "platform/TextCodec.h"
#include "ui/MenuItem_m.h"
#include "ui/PopupMenu_m.h"
#include "ui/UApplication.h"
#include "ui/button_m.h"
#include "ui/listbox_m.h"
#include "ui/panel_m.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
const QString RibName = QStringLiteral("RIB");

// Name followed by "_2", the name cut first on a character boundary so that the whole stays within
// a stripe name's 79 stored bytes.
QString SecondPartName(QString Name) {
    const QString suffix = QStringLiteral("_2");
    while (!Name.isEmpty() && EncodeStoredText(Name + suffix).size() > MStrip::NameSize - 1) {
        Name.chop(1);
        if (!Name.isEmpty() && Name.back().isHighSurrogate())
            Name.chop(1);
    }
    return StripNameOfEntry(Name + suffix);
}

// A fixed or rib program of Export/Fixed/ as a placement; false when its entry is not there: the
// designer is told which program is missing and nothing is imported.
bool FixedEntry(const QString& Base, int Kind, MImportPlacement& P) {
    if (Base.isEmpty() || !QFileInfo::exists(LibraryEntryFile(FixedFolder(), Base, QStringLiteral(".mod")))) {
        if (MessageBox)
            MessageBox->ShowCodeMessage(importmsg::Code, importmsg::MissingProgram, Base, mbOK);
        return false;
    }
    P.Folder = FixedFolder();
    P.Name = Base;
    P.Kind = Kind;
    return true;
}
} // namespace

TFormImport::TFormImport(QWidget* Parent)
    : TPictureDialog(Parent), FModuleProperty(std::make_unique<TFormModulePrperty>(this)),
      FImportData(std::make_unique<TFormImportData>(this)),
      FFixedProg(std::make_unique<TFormFixedProg>(this)), FRibProg(std::make_unique<TFormRIBProg>(this)) {
    PrepareForm(*this, 360, 300, QStringLiteral("نافذة الاستيراد"), QStringLiteral("Import Window"));
    setObjectName(QStringLiteral("FormImport"));
    LbxStripes = new MListBox(this, this);
    LbxStripes->setObjectName(QStringLiteral("LbxStripes"));
    LbxStripes->SetBounds(12, 12, 220, 276);
    LbxStripes->setContextMenuPolicy(Qt::CustomContextMenu);
    // The list reads from the side of the window's language, which the window sets itself.
    LbxStripes->M_Arabic = false;
    LbxStripes->SetArabic(false);

    const auto button = [this](const char* Name, int Top, const char* Arabic, const char* English) {
        MButton* b = MakeButton(this, QRect(244, Top, 104, 25), Arabic, English);
        b->setObjectName(QLatin1String(Name));
        return b;
    };
    btnAddModule = button("btnAddModule", 12, "استيراد", "Import");
    btnFixedProgram = button("btnFixedProgram", 44, "برنامج ثابت", "Fixed Program");
    btnRIB = button("btnRIB", 76, "حافة", "RIB");
    btnOK = button("btnOK", 230, "موافق", "OK");
    btnCancel = button("btnCancel", 262, "إلغاء", "Cancel");
    connect(btnAddModule, &QPushButton::clicked, this, [this] { btnAddModuleClick(); });
    connect(btnFixedProgram, &QPushButton::clicked, this, [this] { btnFixedProgramClick(); });
    connect(btnRIB, &QPushButton::clicked, this, [this] { btnRIBClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    SetDefaultButton(btnOK);
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

    pnlWait = new MPanel(this, this);
    pnlWait->setObjectName(QStringLiteral("pnlWait"));
    pnlWait->SetBounds(60, 120, 240, 50);
    pnlWait->M_Caption()->SetCaptions({QStringLiteral("يرجى الانتظار"), QStringLiteral("Please Wait")});
    pnlWait->SetCaption(QStringLiteral("Please Wait"));
    pnlWait->setVisible(false);

    MPopupMenu1 = new MPopupMenu(this, this);
    MPopupMenu1->setObjectName(QStringLiteral("MPopupMenu1"));
    const auto item = [this](const char* Name, const char* Arabic, const char* English) {
        auto* i = new MMenuItem(this);
        i->setObjectName(QLatin1String(Name));
        i->M_Caption().SetCaptions({QString::fromUtf8(Arabic), QString::fromUtf8(English)});
        i->setText(QString::fromUtf8(English));
        MPopupMenu1->addAction(i);
        return i;
    };
    mnuRename = item("mnuRename", "إعادة تسمية", "Rename");
    mnuDevide = item("mnuDevide", "تقسيم", "Divide");
    mnuMerge = item("mnuMerge", "دمج", "Merge");
    connect(mnuRename, &QAction::triggered, this, [this] { mnuRenameClick(); });
    connect(mnuDevide, &QAction::triggered, this, [this] { mnuDevideClick(); });
    connect(mnuMerge, &QAction::triggered, this, [this] { mnuMergeClick(); });
    connect(LbxStripes, &QWidget::customContextMenuRequested, this, [this](QPoint At) {
        MPopupMenu1Popup();
        const QPoint global = LbxStripes->mapToGlobal(At);
        MPopupMenu1->Popup(global.x(), global.y());
    });
    FinishLayout();
}

TFormImport::~TFormImport() {
    try {
        Finish();
    } catch (const std::exception& e) {
        // A destructor lets nothing pass: the failure is shown.
        TApplication::ShowException(e);
    }
}

void TFormImport::DOAfterLanguageChange(int aNewLanguage) {
    TPictureDialog::DOAfterLanguageChange(aNewLanguage);
    // The stripe names are the user's, the same in every language.
    if (LbxStripes) {
        LbxStripes->SetArabic(aNewLanguage == 0);
        const int row = LbxStripes->currentRow();
        RefreshStripList();
        LbxStripes->setCurrentRow(row);
    }
}

// ---- The project.

TBitmap* TFormImport::DrawingRaster() {
    return FBoard ? &FBoard->Raster() : &FLooseDrawing;
}

void TFormImport::SetProject(TPrjContainer* Project) {
    if (!Project)
        return;
    FProject = Project;
    FFixedProg->SetProject(Project);
    FRibProg->SetProject(Project);
    const MMachineInfo& machine = Project->Program().Machine;
    FImportData->MachineSystems = machine.Category;
    FImportData->MachineModel = machine.Model;
    FImportData->CheckModuleFiles();
    FBoard = Project->Board();
    if (FBoard) {
        FBoardModified = FBoard->Modified;
        FBoardAutosave = FBoard->ChangedSinceAutosave;
        auto* window = dynamic_cast<TBoardWindow*>(FBoard);
        if (window && window->Selected && window->PasteBuffer.Floating) {
            FPasteBoard = window;
            FUnderPaste = window->Raster();
            FPaste = window->PasteBuffer;
        }
        FBoard->ApplyPaste();
    } else {
        FLooseDrawing = Project->Picture();
    }
    if (const MBusDrawing* d = Project->Drawing())
        FDrawingChanged = d->Changed;
    FEngine.Attach(&Project->Program(), &Project->Palette(), DrawingRaster());
}

void TFormImport::Execute() {
    FAccepted = false;
    if (!FProject)
        return;
    FLoaded = false;
    FEngine.PrepareWorkingSets();
    FEngine.SyncStripes();
    FPrepared = true;
    RefreshStripList();
    ShowModal();
}

void TFormImport::RefreshStripList() {
    QStringList lines;
    const MMachineInfo& machine = FEngine.Machine();
    for (int i = 0; i < machine.StripCount(); ++i)
        lines << machine.GetStrip(i).Text();
    LbxStripes->clear();
    LbxStripes->addItems(lines);
    LbxStripes->setCurrentRow(-1);
}

void TFormImport::RefreshDrawing() {
    if (!FBoard)
        return;
    TBitmap picture = FBoard->Raster();
    FBoard->SetRaster(std::move(picture));
    if (MBusDrawing* d = FProject->Drawing())
        d->RefreshView();
}

void TFormImport::MarkProjectChanged() {
    if (!FProject)
        return;
    FProject->SetModified(true);
    FProject->SetNeedsAutosave(true);
}

void TFormImport::StampStripe(const MStrip& Strip) {
    for (int s = Strip.FirstS; s <= Strip.LastS; ++s)
        if (auto* line = dynamic_cast<MUnvS*>(FEngine.Result.S.Lookup(s)))
            line->StripId = Strip.Id;
}

// ---- Importing.

template <class TPicker>
bool TFormImport::ExecuteAt(TPicker& Picker) {
    Picker.move(x() + 10, y() + 10);
    return Picker.Execute();
}

bool TFormImport::ImportEntry(const MImportPlacement& Placement) {
    FEngine.SelectedStripe = LbxStripes->currentRow();
    pnlWait->setVisible(true);
    pnlWait->raise();
    pnlWait->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bool done = false;
    try {
        FEngine.LoadModuleFile(Placement);
        FLoaded = true;
        done = true;
    } catch (const std::exception& e) {
        // The engine has put everything back as it was before this import.
        TApplication::ShowException(e);
    }
    pnlWait->setVisible(false);
    RefreshDrawing();
    RefreshStripList();
    return done;
}

void TFormImport::btnAddModuleClick() {
    if (!FProject || !ExecuteAt(*FImportData))
        return;
    MImportPlacement p;
    p.Folder = FImportData->Folder();
    p.Name = FImportData->SelectedName();
    p.Kind = ImportModule;
    p.X = FImportData->GetImageX();
    p.Y = FImportData->GetImageY();
    p.Offset = FImportData->GetOffset();
    p.YBelow = FImportData->GetYBelow();
    ImportEntry(p);
}

void TFormImport::btnFixedProgramClick() {
    MImportPlacement p;
    if (!FProject || !ExecuteAt(*FFixedProg) || !FixedEntry(FFixedProg->FixedProgramName(), ImportFixed, p))
        return;
    p.X1 = FFixedProg->GetX1();
    p.X2 = FFixedProg->GetX2();
    p.Y1 = FFixedProg->GetY1();
    p.Y2 = FFixedProg->GetY2();
    p.Offset = FFixedProg->GetOffset();
    p.Colors = FFixedProg->GetColors();
    ImportEntry(p);
}

void TFormImport::btnRIBClick() {
    MImportPlacement p;
    if (!FProject || !ExecuteAt(*FRibProg) || !FixedEntry(FRibProg->RibProgramName(), ImportRib, p))
        return;
    p.Offset = FRibProg->GetOffset();
    // The old rib goes first; when the new one cannot be imported the working sets are put back.
    MProgramLists before;
    CopyLists(FEngine.Result, before);
    RemoveLeadingRib();
    LbxStripes->setCurrentRow(-1);
    if (!ImportEntry(p)) {
        CopyLists(before, FEngine.Result);
        RefreshStripList();
    }
}

void TFormImport::RemoveLeadingRib() {
    MMachineInfo& machine = FEngine.Machine();
    if (machine.StripCount() < 2 || machine.GetStrip(0).NameText() != RibName)
        return;
    machine.DeleteStrip(0);
    const int shift = machine.GetStrip(0).FirstS - 1;
    for (int i = 0; i < machine.StripCount(); ++i) {
        machine.GetStrip(i).FirstS -= shift;
        machine.GetStrip(i).LastS -= shift;
    }
    MProgramLists& result = FEngine.Result;
    for (int s = 1; s <= shift; ++s) {
        const auto* line = dynamic_cast<const MUnvS*>(result.S.Lookup(s));
        if (!line || line->Type != 1 || line->RangeIsEmpty())
            continue;
        std::int64_t a = line->First, b = std::int64_t(line->First) + line->Count;
        if (a > b)
            std::swap(a, b);
        for (MUnvBase* z : result.Z.ModulesInRange(a, b))
            result.Z.DeleteNumber(z->Number);
    }
    const int run = result.S.LeadingRunLength();
    if (run > shift && shift > 0)
        result.S.MoveBlock(shift + 1, 1, run - shift);
}

// ---- The stripe list.

void TFormImport::MPopupMenu1Popup() {
    const int count = FEngine.Machine().StripCount();
    const int selected = LbxStripes->currentRow();
    mnuRename->setEnabled(count >= 1);
    mnuDevide->setEnabled(count >= 1);
    mnuMerge->setEnabled(count >= 2 && selected >= 0 && selected < count - 1);
}

void TFormImport::mnuRenameClick() {
    const int i = LbxStripes->currentRow();
    MMachineInfo& machine = FEngine.Machine();
    if (i < 0 || i >= machine.StripCount())
        return;
    FModuleProperty->SetMode(true);
    FModuleProperty->SetModuleName(machine.GetStrip(i).NameText());
    FModuleProperty->move(x() + 10, y() + 10);
    if (FModuleProperty->Execute()) {
        machine.GetStrip(i).SetName(StripNameOfEntry(FModuleProperty->GetModuleName()));
        RefreshStripList();
    }
    MarkProjectChanged();
}

void TFormImport::mnuDevideClick() {
    const int i = LbxStripes->currentRow();
    MMachineInfo& machine = FEngine.Machine();
    if (i < 0 || i >= machine.StripCount())
        return;
    const MStrip strip = machine.GetStrip(i);
    // A stripe of one S line is not divided.
    if (strip.FirstS >= strip.LastS)
        return;
    FModuleProperty->SetMode(false);
    FModuleProperty->SetFromS(strip.FirstS);
    FModuleProperty->SetToS(strip.LastS);
    FModuleProperty->move(x() + 10, y() + 10);
    if (!FModuleProperty->Execute())
        return;
    const int n = FModuleProperty->GetToS();
    if (n >= strip.FirstS && n < strip.LastS) {
        MStrip second;
        second.Id = machine.NextStripId();
        second.FirstS = n + 1;
        second.LastS = strip.LastS;
        second.SetName(SecondPartName(strip.NameText()));
        machine.GetStrip(i).LastS = n;
        std::vector<MStrip> strips = machine.Strips();
        strips.insert(strips.begin() + i + 1, second);
        machine.ClearStrips();
        for (const MStrip& s : strips)
            machine.AddStrip(s);
        StampStripe(second);
        RefreshStripList();
    }
    MarkProjectChanged();
}

void TFormImport::mnuMergeClick() {
    const int i = LbxStripes->currentRow();
    MMachineInfo& machine = FEngine.Machine();
    if (i < 0 || i >= machine.StripCount() - 1)
        return;
    machine.GetStrip(i).LastS = machine.GetStrip(i + 1).LastS;
    machine.DeleteStrip(i + 1);
    StampStripe(machine.GetStrip(i));
    RefreshStripList();
    MarkProjectChanged();
}

void TFormImport::btnOKClick() {
    FAccepted = true;
    SetModalResult(mrOk);
}

void TFormImport::btnCancelClick() {
    FAccepted = false;
    SetModalResult(mrCancel);
}

// ---- Applying or discarding.

void TFormImport::Finish() {
    if (FFinished || !FProject || !FPrepared)
        return;
    FFinished = true;
    MProgramLists& project = FProject->Program();
    if (FAccepted) {
        if (FLoaded) {
            FEngine.Apply();
            for (MUnvList* list : project.Lists())
                list->SortByNumber();
        } else {
            // Only the stripes changed: the lists stay as they were.
            project.Machine.ClearStrips();
            for (const MStrip& s : FEngine.Machine().Strips())
                project.Machine.AddStrip(s);
        }
        for (const MStrip& strip : project.Machine.Strips())
            for (int s = strip.FirstS; s <= strip.LastS; ++s)
                if (auto* line = dynamic_cast<MUnvS*>(project.S.Lookup(s)))
                    line->StripId = strip.Id;
        if (FLoaded)
            RefreshDrawing();
        return;
    }
    // Cancel: the project's lists were never changed; the drawing, a paste that floated over it and
    // its marks go back.
    FEngine.RestoreDrawing();
    if (FPasteBoard) {
        FPasteBoard->Raster().Assign(FUnderPaste);
        FPasteBoard->PasteBuffer = FPaste;
    }
    RefreshDrawing();
    if (FBoard) {
        FBoard->Modified = FBoardModified;
        FBoard->ChangedSinceAutosave = FBoardAutosave;
    }
    if (MBusDrawing* d = FProject->Drawing())
        d->Changed = FDrawingChanged;
}

bool RunImportWindow(TPrjContainer& Project, QPoint At) {
    TFormImport form(&Project);
    form.hide();
    // At is given in the coordinates of the area that holds the project's window.
    const QWidget* frame = Project.parentWidget() ? Project.parentWidget() : &Project;
    form.move(frame->parentWidget() ? frame->parentWidget()->mapToGlobal(At) : At);
    form.SetProject(&Project);
    form.Execute();
    form.Finish();
    return form.Accepted() && form.Loaded();
}

void InstallImportWindow() {
    TPrjContainer::SetImportRunner(
        [](TPrjContainer& Project, QPoint At) { return RunImportWindow(Project, At); });
}
