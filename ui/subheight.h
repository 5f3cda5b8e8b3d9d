#pragma once
// The height of a control in every language (the twin of MWidth).

#include "ui/subwidth.h"

class MHeight : public MSizeValue {
public:
    MHeight(QWidget* Owner, int LanguageIndex) : MSizeValue(Owner, LanguageIndex) {}
    int GetCurrentHeight() const { return GetCurrent(); }
    void StoreCurrentHeight(int H) { StoreCurrent(H); }
    void ApplyHeight(bool Force) { Apply(Force); }

protected:
    int OwnerValue() const override;
    void SetOwnerValue(int Value) override;
};
