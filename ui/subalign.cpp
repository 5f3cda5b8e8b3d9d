#include "ui/subalign.h"

#include "ui/Adapter.h"
#include "ui/UComponents.h"
#include "ui/UGeneral.h"

#include <QStackedWidget>
#include <QTabWidget>

namespace {
MForm* ParentForm(const QWidget* w) {
    return w ? dynamic_cast<MForm*>(w->parentWidget()) : nullptr;
}

// The page control of a tab sheet: a page sits in the tab widget's stack.
QTabWidget* TabControlOf(QWidget* parent) {
    if (!parent)
        return nullptr;
    if (auto* stack = qobject_cast<QStackedWidget*>(parent->parentWidget()))
        return qobject_cast<QTabWidget*>(stack->parentWidget());
    return nullptr;
}
} // namespace

void MAlign::SetEnable(MAlignStates Value) {
    if (Value == FEnable)
        return;
    if (!FOwner || ComponentIsReading(FOwner)) {
        FEnable = Value;
        return;
    }
    FEnable = Value;
    if (Value == asManual)
        StoreCurrentLeft(FOwner->x());
}

void MAlign::Change_LanguageID(int i) {
    if (FEnable != asManual || i == FLanguageIndex)
        return;
    FLanguageIndex = i;
    ApplyLeft(false);
}

int MAlign::ParentScroll() const {
    const MForm* f = ParentForm(FOwner);
    return f ? f->HorzScrollPosition() : 0;
}

int MAlign::MirroredLeft() const {
    QWidget* o = FOwner;
    if (!o)
        return 0;
    QWidget* parent = o->parentWidget();
    int W = parent ? parent->width() : 0;
    int s = 0;
    if (MForm* f = ParentForm(o)) {
        if (f->ClientWidth() < f->HorzScrollRange())
            s = f->HorzScrollPosition();
        // Mirroring against the width the form had when it finished loading brings every control
        // back to its place on the second flip, however the window was resized in between.
        W = f->MirrorWidth();
    } else if (QTabWidget* tabs = TabControlOf(parent)) {
        W = tabs->width();
    }
    return W - o->x() - o->width() - s;
}

int MAlign::GetCurrentLeft() const {
    int v = 0;
    switch (FEnable) {
    case asManual:
        v = GetListValue(ValuesString, FLanguageIndex);
        break;
    case asAuto:
        v = MirroredLeft();
        break;
    case asDisable:
        v = 0;
        break;
    }
    return v - ParentScroll();
}

void MAlign::StoreCurrentLeft(int L) {
    if (!FOwner)
        return;
    const bool record = FForced || (!FApplying && FEnable == asManual && !ComponentIsReading(FOwner));
    if (record)
        SetListValue(ValuesString, FLanguageIndex, L + ParentScroll(), Filler);
}

void MAlign::ApplyLeft(bool Force) {
    if (!FOwner)
        return;
    if (Force) {
        FForced = true;
        StoreCurrentLeft(FOwner->x());
        FForced = false;
        return;
    }
    if ((FEnable != asManual && FEnable != asAuto) || ComponentIsReading(FOwner))
        return;
    if (FEnable == asManual && GetListValue(ValuesString, FLanguageIndex) == -1) {
        StoreCurrentLeft(FOwner->x());
        return;
    }
    const int left = GetCurrentLeft();
    FApplying = true;
    struct Reset {
        bool& F;
        ~Reset() { F = false; }
    } reset{FApplying};
    FOwner->move(left, FOwner->y());
}

void MAlign::Realign() {
    if (FEnable == asAuto)
        ApplyLeft(false);
}
