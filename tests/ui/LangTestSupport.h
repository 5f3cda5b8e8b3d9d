#pragma once
// Small fixtures of the language tests: a control that follows the bilingual pattern and logs every
// language message it gets, a panel that forwards them to the controls it owns, and a form built in
// two phases.

#include "ui/Adapter.h"
#include "ui/ULPackDM.h"
#include "ui/subalign.h"
#include "ui/subcaption.h"
#include "ui/subheight.h"
#include "ui/subwidth.h"

#include <QLabel>

#include <memory>
#include <utility>
#include <vector>

namespace langtest {

using Message = std::pair<int, std::intptr_t>;

// A label that records its caption, size and place per language as the bilingual controls do.
class LogLabel : public QLabel, public MLanguageControl {
public:
    LogLabel(QObject* Owner, QWidget* Parent) : QLabel(Parent) {
        SetComponentOwner(this, Owner);
        MForm* f = GetOwnerMForm(this);
        const int index = f ? f->LanguageDetail().LanguageID() : 0;
        Index = index;
        QStringList names;
        if (f)
            f->GetLanguageNames(names);
        Caption = std::make_unique<MCaption>(this, index, names);
        Width = std::make_unique<MWidth>(this, index);
        Height = std::make_unique<MHeight>(this, index);
        Align = std::make_unique<MAlign>(this, index);
    }
    // Every change of place or size passes here.
    void SetBounds(int l, int t, int w, int h) {
        if (!ComponentIsReading(this)) {
            if (w != width())
                Width->StoreCurrentWidth(w);
            if (h != height())
                Height->StoreCurrentHeight(h);
            if (l != x())
                Align->StoreCurrentLeft(l);
        }
        setGeometry(l, t, w, h);
    }
    void SetCaption(const QString& s) {
        setText(s);
        if (!ComponentIsReading(this))
            Caption->StoreCurrentCaption(s);
    }
    void LanguageMessage(int Msg, std::intptr_t W, std::intptr_t) override {
        Log.emplace_back(Msg, W);
        switch (Msg) {
        case LM_UPDATE_LANGUAGEID:
            Index = static_cast<int>(W);
            Caption->Update_LanguageID(Index);
            Width->Update_LanguageID(Index);
            Height->Update_LanguageID(Index);
            Align->Update_LanguageID(Index);
            break;
        case LM_CHANGE_LANGUAGEID:
            if (W != Index) {
                Index = static_cast<int>(W);
                Caption->Change_LanguageID(Index);
                Width->Change_LanguageID(Index);
                Height->Change_LanguageID(Index);
                Align->Change_LanguageID(Index);
            }
            break;
        case LM_CHANGE_ALIGN:
            Align->Realign();
            break;
        default:
            break;
        }
        VisibleAtMessage.push_back(window()->isVisible());
    }

    int Index = 0;
    std::vector<Message> Log;
    std::vector<bool> VisibleAtMessage;
    std::unique_ptr<MCaption> Caption;
    std::unique_ptr<MWidth> Width;
    std::unique_ptr<MHeight> Height;
    std::unique_ptr<MAlign> Align;
};

// A panel that owns controls of its own and passes the five messages on to them.
class ForwardPanel : public QWidget, public MComponentOwner, public MLanguageControl {
public:
    ForwardPanel(QObject* Owner, QWidget* Parent) : QWidget(Parent) { SetComponentOwner(this, Owner); }
    ~ForwardPanel() override { DestroyComponents(); }
    QObject* OwnerObject() override { return this; }
    void LanguageMessage(int Msg, std::intptr_t W, std::intptr_t L) override {
        Log.emplace_back(Msg, W);
        if (Msg == LM_UPDATE_LANGUAGEID || Msg == LM_CHANGE_LANGUAGEID || Msg == LM_CHANGE_FONT ||
            Msg == LM_CHANGE_ALIGN || Msg == LM_ALIGN_MODE)
            DeliverLanguageMessageToComponents(*this, Msg, W, L);
    }
    std::vector<Message> Log;
};

// A fresh pack as the system has it, installed as the global one for the test's life.
struct PackFixture {
    PackFixture() : Module(std::make_unique<TDMLanguagePack>()) {}
    MLanguagePack& Pack() { return *Module->OLanguagePack; }
    std::unique_ptr<TDMLanguagePack> Module;
};

} // namespace langtest
