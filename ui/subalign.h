#pragma once
// The horizontal position of a control in every language. asManual keeps one Left per language;
// asAuto mirrors the control each time the layout direction flips; asDisable leaves it alone.

#include <QPointer>
#include <QString>
#include <QWidget>

enum MAlignStates { asDisable = 0, asManual = 1, asAuto = 2 };

class MAlign {
public:
    MAlign(QWidget* Owner, int LanguageIndex) : FOwner(Owner), FLanguageIndex(LanguageIndex) {}
    MAlign(const MAlign&) = delete;
    MAlign& operator=(const MAlign&) = delete;

    QWidget* Owner() const { return FOwner.data(); }
    QString ValuesString;
    MAlignStates Enable() const { return FEnable; }
    void SetEnable(MAlignStates Value);
    int LanguageIndex() const { return FLanguageIndex; }
    static constexpr int Filler = -1;
    bool Applying() const { return FApplying; }

    // Message 0x5F4.
    void Update_LanguageID(int i) { FLanguageIndex = i; }
    // Message 0x5F5: only asManual takes the new index and applies it.
    void Change_LanguageID(int i);

    // The Left that mirrors the control inside its parent.
    int MirroredLeft() const;
    int GetCurrentLeft() const;
    void StoreCurrentLeft(int L);
    // Force: record the present Left for the shown language whatever the mode.
    void ApplyLeft(bool Force);
    // Message 0x5F9: an asAuto control moves to the mirrored place.
    void Realign();

private:
    // The form's horizontal scroll position when the parent is a bilingual form, else 0.
    int ParentScroll() const;
    QPointer<QWidget> FOwner;
    MAlignStates FEnable = asAuto;
    int FLanguageIndex;
    bool FApplying = false;
    bool FForced = false;
};
