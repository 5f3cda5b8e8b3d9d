#pragma once
// The abstract module record from which every module kind derives, the editors' marks, the two
// numberings of module kinds and the switches that change how the base part is copied and cleared.

#include <QString>

#include <cstdint>
#include <memory>

// List kinds (1..10): lists, validation codes (5011 + kind), findings, go-to, file table order.
constexpr int lkP = 1, lkN = 2, lkZ = 3, lkR = 4, lkS = 5, lkW = 6, lkFS = 7, lkFD = 8, lkFE = 9, lkC = 10;
constexpr int ListKindCount = 10;

// Project window indexes (0..12); 0..8 also name the kind held by the module clipboard.
constexpr int wiN = 0, wiS = 1, wiZ = 2, wiW = 3, wiFS = 4, wiFE = 5, wiFD = 6, wiP = 7, wiR = 8, wiC = 9,
              wiDrawing = 10, wiProgramTest = 11, wiGraphicTest = 12;

// Letters of a list kind ("P" .. "C"); "" outside 1..10.
QString KindLetters(int ListKind);
// "Z7": a module as the station's messages name it.
QString ModuleName(int ListKind, int Number);
// Largest module number of a list kind (255, 127, 2000, 63, 511, 255, 63, 63, 127, 1); 0 outside.
int MaxNumberOfKind(int ListKind);
// 5011 + list kind.
int ValidationCodeOfKind(int ListKind);
// The project window index of a list kind, -1 outside 1..10.
int WindowIndexOfListKind(int ListKind);
// The list kind of a project window index 0..9, 0 for any other index.
int ListKindOfWindowIndex(int WindowIndex);

// While True, Assign copies Tag (and the S module its strip identifier); else the copy's Tag is 0.
extern bool CopyTag;
// While True, Clear also resets the base part; a list turns it off to empty a module in place.
extern bool ClearBase;

// The editors' marks of one module.
class MInterface {
public:
    std::uint8_t Selected = 0;
    std::uint8_t SecondMark = 0;

    virtual ~MInterface() = default;
    virtual void Assign(const MInterface& Source) {
        Selected = Source.Selected;
        SecondMark = Source.SecondMark;
    }
    virtual void Clear() {
        Selected = 0;
        SecondMark = 0;
    }
    bool GetMark(int Index) const {
        return Index == 0 ? Selected != 0 : Index == 1 ? SecondMark != 0 : false;
    }
};

class MUnvBase {
public:
    MUnvBase() = default;
    virtual ~MUnvBase() = default;
    MUnvBase(const MUnvBase&) = delete;
    MUnvBase& operator=(const MUnvBase&) = delete;

    std::int32_t Number = 0;
    std::int32_t OldNumber = 0;
    std::uint8_t UsedMark = 0;
    std::uint8_t Tag = 0;
    MInterface Marks;

    // The list kind of the module (1..10); 0 for the base.
    virtual int ListKind() const { return 0; }

    // The ten operations, in their fixed order.
    virtual std::unique_ptr<MUnvBase> CreateNew() const;
    virtual std::unique_ptr<MUnvBase> Clone() const; // raises EInvalidOperation for a bare module
    virtual void AssignChecked(const MUnvBase& Source);
    virtual bool Equals(const MUnvBase& Other) const;
    virtual void Assign(const MUnvBase& Source);
    virtual void Validate() const;
    virtual void Clear();
    virtual void GetListingLine(QString& Text) const;
    virtual void AdjustToMachine(int Model, int Systems);
    virtual void GetLabel(int Systems, int Model, int SelectorLevel, QString& Text) const;

    QString ListingLine() const {
        QString s;
        GetListingLine(s);
        return s;
    }
    QString Label(int Systems, int Model, int SelectorLevel = 1) const {
        QString s;
        GetLabel(Systems, Model, SelectorLevel, s);
        return s;
    }

protected:
    // Raises 5011/3 unless Source is of the receiver's own class.
    void CheckSameKind(const MUnvBase& Source) const;
    // True when Other is of the receiver's own class.
    bool SameKind(const MUnvBase& Other) const;
    // Raises the kind's validation error: 5011 + list kind, the check's subcode, the module number.
    [[noreturn]] void RaiseCheck(int SubCode) const;
    // Raises the kind's validation error for the last failing check, when there is one (0: none).
    void RaiseIfFailed(int SubCode) const {
        if (SubCode != 0)
            RaiseCheck(SubCode);
    }
};

// Clone for a kind: CreateNew, then Assign from the receiver.
template <typename T>
std::unique_ptr<MUnvBase> CloneOf(const T& self) {
    std::unique_ptr<MUnvBase> c = self.CreateNew();
    c->Assign(self);
    return c;
}
