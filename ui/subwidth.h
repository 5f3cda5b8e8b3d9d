#pragma once
// The width of a control in every language ("MWidth"; its twin for the height is in subheight.h).
// When enabled, every change of the width is recorded for the language shown, and a language
// change applies the width recorded for the new language.

#include <QPointer>
#include <QString>
#include <QWidget>

// Common part of the width and height objects.
class MSizeValue {
public:
    MSizeValue(const MSizeValue&) = delete;
    MSizeValue& operator=(const MSizeValue&) = delete;
    virtual ~MSizeValue() = default;

    QWidget* Owner() const { return FOwner.data(); }
    QString ValuesString;
    bool Enable() const { return FEnable; }
    void SetEnable(bool Value);
    int LanguageIndex() const { return FLanguageIndex; }
    static constexpr int Filler = -1;
    bool Applying() const { return FApplying; }

    void Update_LanguageID(int i) { FLanguageIndex = i; }
    void Change_LanguageID(int i);

protected:
    MSizeValue(QWidget* Owner, int LanguageIndex) : FOwner(Owner), FLanguageIndex(LanguageIndex) {}
    int GetCurrent() const;
    void StoreCurrent(int Value);
    void Apply(bool Force);
    virtual int OwnerValue() const = 0;
    virtual void SetOwnerValue(int Value) = 0;

private:
    QPointer<QWidget> FOwner;
    bool FEnable = false;
    int FLanguageIndex;
    bool FApplying = false;
};

class MWidth : public MSizeValue {
public:
    MWidth(QWidget* Owner, int LanguageIndex) : MSizeValue(Owner, LanguageIndex) {}
    // The width stored for the shown language; -1 when none.
    int GetCurrentWidth() const { return GetCurrent(); }
    // Records W for the shown language (when enabled, not applying and not being built).
    void StoreCurrentWidth(int W) { StoreCurrent(W); }
    // Applies the stored width, or records the present one when none is stored.
    void ApplyWidth(bool Force) { Apply(Force); }

protected:
    int OwnerValue() const override;
    void SetOwnerValue(int Value) override;
};
