#include "app/UPtestWindow.h"

#include "app/UPrjContainer.h"
#include "editors/FormParts.h"
#include "model/Ucommon.h"
#include "model/UcstmExp.h"
#include "platform/AppFolder.h"
#include "platform/Errors.h"
#include "ui/Image_m.h"
#include "ui/LanguagePack.h"
#include "ui/Umessage.h"
#include "ui/UmessageCatalog.h"
#include "ui/button_m.h"
#include "ui/label_m.h"
#include "ui/listbox_m.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>

namespace {

const QString CaptionArabic = QStringLiteral("اختبار البرنامج");
const QString CaptionEnglish = QStringLiteral("P-Tst");

// The catalogue when the station has no message box (a window of its own): the one beside the
// executable.
const MMessageCatalog& OwnCatalog() {
    static const MMessageCatalog catalog = [] {
        MMessageCatalog c;
        c.LoadMessageFile(AppFile(QStringLiteral("Dta\\sysmsg.dta")));
        return c;
    }();
    return catalog;
}

// The background behind the controls, drawn here: a pale blue shade under faint needle lines.
QPixmap Background(QSize Size) {
    QPixmap pm(Size.expandedTo(QSize(1, 1)));
    QPainter p(&pm);
    QLinearGradient shade(0, 0, 0, pm.height());
    shade.setColorAt(0, QColor(222, 230, 242));
    shade.setColorAt(1, QColor(176, 192, 218));
    p.fillRect(pm.rect(), shade);
    p.setPen(QColor(255, 255, 255, 70));
    for (int x = 4; x < pm.width(); x += 6)
        p.drawLine(x, 0, x, pm.height());
    return pm;
}

MLabel* ValueLabel(MForm* Form, QRect Bounds) {
    auto* l = new MLabel(Form, Form);
    l->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    l->SetArabic(false);
    l->SetAlignment(taLeftJustify);
    // The values are numbers, the same in both languages.
    l->M_Caption()->Enable = false;
    l->SetCaption(QString());
    return l;
}

} // namespace

TFormPTwindow::TFormPTwindow(MProject& Project, QWidget* Parent)
    : MForm(Parent), FProject(Project), FContainer(dynamic_cast<TPrjContainer*>(&Project)),
      FState(std::make_shared<TRunState>(Project)) {
    setObjectName(QStringLiteral("FormPTwindow"));
    PrepareForm(*this, 502, 173, CaptionArabic, CaptionEnglish);

    MImage1 = new MImage(this, this);
    MImage1->setObjectName(QStringLiteral("MImage1"));
    MImage1->SetStretch(true);
    MImage1->SetPicture(Background(QSize(502, 173)));
    MImage1->setGeometry(rect());
    MImage1->lower();

    btnStart = MakeButton(this, QRect(412, 9, 75, 25), "ابدأ", "Start");
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnContinue = MakeButton(this, QRect(412, 49, 75, 25), "متابعة", "continue");
    btnContinue->setObjectName(QStringLiteral("btnContinue"));
    btnContinue->setEnabled(false);
    btnEnd = MakeButton(this, QRect(412, 89, 75, 25), "خروج", "Exit");
    btnEnd->setObjectName(QStringLiteral("btnEnd"));

    OListBoxErrors = new MListBox(this, this);
    OListBoxErrors->setObjectName(QStringLiteral("OListBoxErrors"));
    OListBoxErrors->SetBounds(ListMargin, ListMargin, 390, 167);
    OListBoxErrors->SetArabic(false);
    // The lines are filled from the catalogue in the language shown: the list keeps no pair.
    OListBoxErrors->M_Items()->Enable = false;
    OListBoxErrors->setUniformItemSizes(true);

    lblSvalue = ValueLabel(this, QRect(441, 125, 40, 17));
    lblSvalue->setObjectName(QStringLiteral("lblSvalue"));
    lblZvalue = ValueLabel(this, QRect(441, 146, 40, 17));
    lblZvalue->setObjectName(QStringLiteral("lblZvalue"));
    lblZ = MakeLabel(this, this, QRect(416, 146, 22, 17), "Z", "Z");
    lblZ->setObjectName(QStringLiteral("lblZ"));
    lblS = MakeLabel(this, this, QRect(416, 125, 22, 17), "S", "S");
    lblS->setObjectName(QStringLiteral("lblS"));
    for (MLabel* l : {lblZ, lblS}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    FinishLoading();

    connect(btnStart, &QPushButton::clicked, this, [this] { btnStartClick(); });
    connect(btnContinue, &QPushButton::clicked, this, [this] { btnContinueClick(); });
    connect(btnEnd, &QPushButton::clicked, this, [this] { btnEndClick(); });
    connect(OListBoxErrors, &QListWidget::itemDoubleClicked, this, [this] { OListBoxErrorsDblClick(); });

    // The loop holds the state, not the window: once the window is gone it only stops.
    QPointer<TFormPTwindow> self(this);
    TRunState* state = FState.get();
    state->Run.Pump = [self, state] {
        if (self)
            self->ShowRegisters();
        QCoreApplication::processEvents();
        if (!self)
            state->Run.RequestStop();
    };
    state->Run.OnFinding = [self](const MPtFinding& F, int) {
        if (self)
            self->ShowFinding(F);
    };

    if (height() < MinHeight)
        resize(width(), MinHeight);
    FormResize();
    AttachProject();
    FMode = ModeIdle;
    SetRunning(false);
    FEndGuard = false;
    FCreated = true;
}

TFormPTwindow::~TFormPTwindow() {
    // A loop still on the stack (the project closing while the events went through) ends at its next
    // look at the run and lists nothing more.
    FState->Run.RequestStop();
    FState->Run.OnFinding = nullptr;
}

QWidget* TFormPTwindow::Frame() {
    for (QWidget* p = parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return sub;
    return this;
}

bool TFormPTwindow::AttachProject() {
    try {
        FState->Engine.SetProject(&FProject);
        return true;
    } catch (const MException& e) {
        if (e.Code != ValidationBaseCode || e.SubCode != 4)
            throw;
        return false;
    }
}

// ============================================================================ Captions and size

void TFormPTwindow::UpdateCaption() {
    const QString program = FContainer ? FContainer->ProgramName() : QString();
    const QString tail = ProjectCaptionTail(program, FProject.Program().Machine);
    // Built from the window's own name each time, so that a second call does not repeat the tail.
    const QString arabic = CaptionArabic + tail, english = CaptionEnglish + tail;
    M_Caption().SetCaptions({arabic, english});
    const bool shownArabic = LanguageDetail().LanguageID() == LanguageArabic;
    SetCaption(shownArabic ? arabic : english);
    if (Frame() != this)
        Frame()->setWindowTitle(windowTitle());
}

void TFormPTwindow::DOAfterLanguageChange(int aNewLanguage) {
    MForm::DOAfterLanguageChange(aNewLanguage);
    if (!FCreated)
        return;
    RefillList();
    if (Frame() != this)
        Frame()->setWindowTitle(windowTitle());
}

void TFormPTwindow::resizeEvent(QResizeEvent* Event) {
    MForm::resizeEvent(Event);
    FormResize();
}

void TFormPTwindow::FormResize() {
    QWidget* frame = Frame();
    // The frame keeps its width and a least height; the client follows it.
    if (frame->minimumWidth() != FormWidth || frame->maximumWidth() != FormWidth)
        frame->setFixedWidth(FormWidth);
    if (frame->minimumHeight() != MinHeight)
        frame->setMinimumHeight(MinHeight);
    // Only the height: the side the list stands on is the language's.
    OListBoxErrors->resize(OListBoxErrors->width(), std::max(height() - 2 * ListMargin, 0));
    MImage1->setGeometry(rect());
}

void TFormPTwindow::showEvent(QShowEvent* Event) {
    MForm::showEvent(Event);
    QWidget* frame = Frame();
    if (frame == FWatched)
        return;
    FWatched = frame;
    FormResize();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
        if (sub->height() < MinHeight)
            sub->resize(FormWidth, MinHeight);
        if (QMdiArea* area = sub->mdiArea())
            connect(area, &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow* Active) {
                if (Active && Active == sub)
                    FormActivate();
            });
    }
}

void TFormPTwindow::FormActivate() {
    if (FCreated && FContainer)
        FContainer->ChildActivated(this);
}

// ============================================================================ Buttons

void TFormPTwindow::SetRunning(bool Running) {
    const QString arabic = Running ? QStringLiteral("إيقاف") : QStringLiteral("خروج");
    const QString english = Running ? QStringLiteral("Stop") : QStringLiteral("Exit");
    btnEnd->M_Caption()->SetCaptions({arabic, english});
    btnEnd->SetCaption(LanguageDetail().LanguageID() == LanguageArabic ? arabic : english);
    FMode = Running ? ModeRunning : ModeIdle;
}

void TFormPTwindow::ShowRegisters() {
    const MRegisters& regs = FState->Run.Registers();
    if (regs.Finished) {
        for (MLabel* l : {lblSvalue, lblZvalue})
            if (!l->text().isEmpty())
                l->SetCaption(QString());
        return;
    }
    // Most steps stay in their row: a label is written only when its value changes.
    const QString s = QString::number(regs.PrevSLine), z = QString::number(regs.PrevZRow);
    if (lblSvalue->text() != s)
        lblSvalue->SetCaption(s);
    if (lblZvalue->text() != z)
        lblZvalue->SetCaption(z);
}

void TFormPTwindow::btnStartClick() {
    // C entry 1 may have changed since the last run: the engine reads the project again. Without a
    // setup scheme nothing is tested, and a run in progress stops.
    if (!AttachProject()) {
        FState->Run.RequestStop();
        if (MessageBox)
            MessageBox->ShowCodeMessage(ptestmsg::Code, ptestmsg::NoSetupScheme, QString(), mbOK);
        return;
    }
    btnContinue->setEnabled(false);
    SetRunning(true);
    ShowRegisters();
    RunLoop(true);
}

void TFormPTwindow::btnContinueClick() {
    btnContinue->setEnabled(false);
    SetRunning(true);
    RunLoop(false);
}

void TFormPTwindow::RunLoop(bool Start) {
    // The state stays while the loop runs, whatever becomes of the window.
    const std::shared_ptr<TRunState> state = FState;
    QPointer<TFormPTwindow> self(this);
    ++FLoopDepth;
    TPtRunEnd end = TPtRunEnd::Idle;
    try {
        if (Start) {
            OListBoxErrors->clear();
            end = state->Run.StartProgramTest();
        } else {
            end = state->Run.RunProgramTest();
        }
    } catch (...) {
        if (self)
            --FLoopDepth;
        throw;
    }
    if (!self)
        return;
    --FLoopDepth;
    // A newer run took over while the events went through: it ends the run, not this loop. A run
    // that had already ended leaves continue off until the next Start.
    if (end == TPtRunEnd::Idle)
        SetRunning(false);
    else if (end != TPtRunEnd::Replaced && FMode == ModeRunning)
        btnEndClick();
    if (FLoopDepth == 0 && FCloseWhenUnwound) {
        FCloseWhenUnwound = false;
        Frame()->close();
    }
}

void TFormPTwindow::btnEndClick() {
    FState->Run.RequestStop();
    if (FEndGuard)
        return;
    FEndGuard = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FEndGuard};
    if (FMode == ModeRunning) {
        btnContinue->setEnabled(true);
        ShowRegisters();
        SetRunning(false);
        return;
    }
    MayClose = true;
    if (FLoopDepth > 0) {
        // The loop below goes first; the window closes once it has unwound.
        FCloseWhenUnwound = true;
        return;
    }
    Frame()->close();
}

void TFormPTwindow::closeEvent(QCloseEvent* Event) {
    if (FMode == ModeRunning) {
        btnEndClick();
        SetRunning(false);
    }
    if (!MayClose || FLoopDepth > 0) {
        Event->ignore();
        if (MayClose)
            FCloseWhenUnwound = true;
        else if (Frame() != this)
            Frame()->showMinimized();
        else
            showMinimized();
        return;
    }
    if (FContainer)
        FContainer->UnregisterChild(WindowIndex);
    Event->accept();
    Frame()->deleteLater();
}

// ============================================================================ Findings

QString TFormPTwindow::FindingText(const MPTerror& Finding) const {
    QString text, caption;
    if (auto* box = dynamic_cast<TMessageBox*>(MessageBox)) {
        box->LookupMessage(Finding.Code, Finding.SubCode, Finding.Args, text, caption);
    } else {
        const int language =
            LanguageDetail().LanguageID() == LanguageArabic ? LanguageArabic : LanguageEnglish;
        OwnCatalog().LookupMessage(language, Finding.Code, Finding.SubCode, Finding.Args, text, caption,
                                   true);
    }
    // One line per finding: the catalogue's line breaks become blanks.
    return text.split(QStringLiteral("\r\n")).join(QLatin1Char(' '));
}

void TFormPTwindow::ShowFinding(const MPtFinding& Finding) {
    OListBoxErrors->addItem(FindingText(Finding.Error));
}

void TFormPTwindow::RefillList() {
    const int row = OListBoxErrors->currentRow();
    OListBoxErrors->clear();
    for (const MPtFinding& f : FState->Run.Findings())
        ShowFinding(f);
    if (row >= 0 && row < OListBoxErrors->count())
        OListBoxErrors->setCurrentRow(row);
}

void TFormPTwindow::OListBoxErrorsDblClick() {
    const int row = OListBoxErrors->currentRow();
    const auto& findings = FState->Run.Findings();
    if (row < 0 || row >= int(findings.size()) || !OListBoxErrors->item(row)->isSelected())
        return;
    const MPTerror& f = findings[std::size_t(row)].Error;
    // A finding of no entry (the program's end, an S range of no line) leads nowhere.
    if (!FContainer || f.ListKind < 1 || f.ListKind > 10 || f.Number <= 0)
        return;
    FContainer->GotoModuleItem(f.ListKind, f.Number);
}

// ============================================================================ The project's creator

void InstallProgramTest() {
    TPrjContainer::SetChildCreator(TFormPTwindow::WindowIndex, [](TPrjContainer& C) -> QWidget* {
        // Its frame is the container's to free: no parent holds it.
        auto* w = new TFormPTwindow(C);
        w->UpdateCaption();
        return w;
    });
}
