#include "ui/subwidth.h"

#include "ui/UComponents.h"
#include "ui/UGeneral.h"

void MSizeValue::SetEnable(bool Value) {
    if (!FOwner || ComponentIsReading(FOwner)) {
        FEnable = Value;
        return;
    }
    if (Value && !FEnable)
        SetListValue(ValuesString, FLanguageIndex, OwnerValue(), Filler);
    FEnable = Value;
}

void MSizeValue::Change_LanguageID(int i) {
    if (i == FLanguageIndex)
        return;
    FLanguageIndex = i;
    Apply(false);
}

int MSizeValue::GetCurrent() const {
    return GetListValue(ValuesString, FLanguageIndex);
}

void MSizeValue::StoreCurrent(int Value) {
    if (FApplying || !FEnable || !FOwner || ComponentIsReading(FOwner))
        return;
    SetListValue(ValuesString, FLanguageIndex, Value, Filler);
}

void MSizeValue::Apply(bool Force) {
    if (!FOwner)
        return;
    if (!Force && (!FEnable || ComponentIsReading(FOwner)))
        return;
    const int v = GetCurrent();
    if (v >= 0) {
        FApplying = true;
        struct Reset {
            bool& F;
            ~Reset() { F = false; }
        } reset{FApplying};
        SetOwnerValue(v);
    } else {
        StoreCurrent(OwnerValue());
    }
}

int MWidth::OwnerValue() const {
    return Owner() ? Owner()->width() : 0;
}

void MWidth::SetOwnerValue(int Value) {
    if (QWidget* w = Owner())
        w->resize(Value, w->height());
}
