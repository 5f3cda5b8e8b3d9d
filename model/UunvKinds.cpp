#include "model/UunvKinds.h"

#include <iterator>

// ---- Text helpers.

QString BText(int Value, int Width, bool ShowPlus) {
    QString text = Value < 0 ? QStringLiteral("-") : ShowPlus ? QStringLiteral("+") : QString();
    const std::int64_t magnitude = Value < 0 ? -std::int64_t(Value) : std::int64_t(Value);
    return text + QString::number(magnitude).leftJustified(Width, QLatin1Char(' '));
}

QString CounterDW(const MCounter& Counter) {
    return QLatin1String(Counter.Kind == ckD ? "D" : "W") + ZText(Counter.Value, 4);
}

namespace {
QString L1(const char* s) {
    return QString::fromLatin1(s);
}

// A counter in a label: a repeat count plain, a selector line in colour 2.
QString CounterLabelDW(const MCounter& c) {
    if (c.Kind == ckD)
        return L1("D") + BText(c.Value, 4);
    return L1("@2@W") + BText(c.Value, 4) + L1("@0@");
}

// Check numbers shared by N, R and S: counter kind, D range, W range (and R range for S).
void CheckCounter(MCheckList& checks, const MCounter& c, int MaxKind, int FirstCheck) {
    checks.Check(!ValueInRange(c.Kind, ckD, MaxKind), FirstCheck);
    checks.Check(c.Kind == ckD && !ValueInRange(c.Value, 0, 9999), FirstCheck + 1);
    checks.Check(c.Kind == ckW && !ValueInRange(c.Value, 1, 255), FirstCheck + 2);
    if (MaxKind >= ckR)
        checks.Check(c.Kind == ckR && !ValueInRange(c.Value, 1, 63), FirstCheck + 3);
}

struct PModeText {
    const char* Listing;
    const char* Label;
};
constexpr PModeText PModes[] = {
    {"SYS1", "SY1:"},    {"SYS2", "SY2:"},    {"SYS3", "SY3:"},  {"SYS4", "SY4:"},  {"MF  ", "@1@MF :"},
    {"VB  ", "@2@VB :"}, {"WW  ", "@3@WW :"}, {"IF", "@4@IF :"}, {"AF", "@5@AF :"},
};
constexpr int PModeCount = int(std::size(PModes));
constexpr int PModeNameWidth = 4;
} // namespace

// ---- P

MUnvP::MUnvP() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvP::CreateNew() const {
    return std::make_unique<MUnvP>();
}

std::unique_ptr<MUnvBase> MUnvP::Clone() const {
    return CloneOf(*this);
}

bool MUnvP::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvP&>(Other);
    return Dir == o.Dir && Mode == o.Mode && Carriers == o.Carriers && L == o.L && R == o.R &&
           ClrsL.SameBits(o.ClrsL) && ClrsR.SameBits(o.ClrsR);
}

void MUnvP::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvP&>(Source);
    Dir = s.Dir;
    Mode = s.Mode;
    Carriers = s.Carriers;
    L = s.L;
    R = s.R;
    ClrsL.Assign(s.ClrsL);
    ClrsR.Assign(s.ClrsR);
}

void MUnvP::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkP)), 1);
    checks.Check(Dir > 2, 2);
    checks.Check(Mode > 8, 3);
    checks.Check(L < 0, 4);
    checks.Check(R < 0, 5);
    bool colours = true;
    if (ValueInRange(Mode, 4, 8))
        colours = ClrsL.Count() > 0;
    if (Mode == 5)
        colours = colours && ClrsR.Count() > 0;
    if (Mode == 6)
        colours = ClrsL.Count() >= 2 && ClrsR.Count() >= 2;
    checks.Check(!colours, 6);
    RaiseIfFailed(checks.Last());
}

void MUnvP::Clear() {
    Dir = 0;
    Mode = 0;
    Carriers.fill(0);
    L = 0;
    R = 0;
    ClrsL.Clear();
    ClrsR.Clear();
    MUnvBase::Clear();
}

void MUnvP::GetListingLine(QString& Text) const {
    Text = L1("O") + ZText(Number, 4) + L1(" ");
    Text += Mode < PModeCount ? L1(PModes[Mode].Listing) : PlaceholderText(PModeNameWidth);
    Text += L1(" YC ");
    for (std::uint8_t c : Carriers)
        Text += ZText(c, 1);
    Text += L1(" ");
    if (Mode <= 3)
        Text += L1("L") + ZText(L, 4) + L1(" R") + ZText(R, 4) + L1(" ");
    else if (Mode <= 8)
        Text += L1("ClrsL:") + ClrsL.BitText(0, 31) + L1(" ClrsR:") + ClrsR.BitText(0, 31) + L1(" ");
    Text += L1("Dir:");
    if (Dir == 1)
        Text += L1(">");
    else if (Dir == 2)
        Text += L1("<");
}

void MUnvP::GetLabel(int, int, int, QString& Text) const {
    Text = L1("P") + BText(Number, 3) + L1(" ");
    Text += Mode < PModeCount ? L1(PModes[Mode].Label) : PlaceholderText(PModeNameWidth);
    Text += L1(" @0@");
    for (int i = 0; i < int(Carriers.size()); ++i)
        if (Carriers[std::size_t(i)] != 0)
            Text += QString::number(i + 1);
    Text += L1(" @0@");
    if (Mode <= 3)
        Text += L1("L") + BText(L, 4) + L1(" R") + BText(R, 4) + L1(" ");
    if (Dir == 1)
        Text += L1("@1@>");
    else if (Dir == 2)
        Text += L1("@2@<");
    Text += L1("@0@");
}

// ---- N

MUnvN::MUnvN() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvN::CreateNew() const {
    return std::make_unique<MUnvN>();
}

std::unique_ptr<MUnvBase> MUnvN::Clone() const {
    return CloneOf(*this);
}

bool MUnvN::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvN&>(Other);
    return Type == o.Type && Start == o.Start && Count == o.Count && Counter == o.Counter;
}

void MUnvN::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvN&>(Source);
    Type = s.Type;
    Start = s.Start;
    Count = s.Count;
    Counter = s.Counter;
}

void MUnvN::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkN)), 1);
    checks.Check(!ValueInRange(Type, 1, 2), 2);
    CheckCounter(checks, Counter, ckW, 3);
    if (Start != 0 || Count != 0) {
        const std::int64_t last = std::int64_t(Start) + Count;
        checks.Check(Type == 1 && !ValueInRange(Start, 1, 2000), 6);
        checks.Check(Type == 2 && !ValueInRange(Start, 1, 127), 7);
        checks.Check(Type == 1 && !ValueInRange(last, 1, 2000), 8);
        checks.Check(Type == 2 && !ValueInRange(last, 1, 127), 9);
    }
    RaiseIfFailed(checks.Last());
}

void MUnvN::Clear() {
    Type = 1;
    Start = 0;
    Count = 0;
    Counter.Clear();
    MUnvBase::Clear();
}

void MUnvN::GetListingLine(QString& Text) const {
    Text = L1("N") + ZText(Number, 4) + L1(" ") + (Type == 1 ? L1("X") : L1("N")) + ZText(Start, 4) +
           L1(" ") + ZText(Count, 4, true) + L1(" ") + CounterDW(Counter);
}

void MUnvN::GetLabel(int, int, int, QString& Text) const {
    Text = L1("N") + BText(Number, 3) + L1(" ");
    if (Type == 1)
        Text += L1("X") + BText(Start, 4) + BText(Count, 4, true) + L1(" ");
    else if (Type == 2)
        Text += L1("@1@N") + BText(Start, 4) + BText(Count, 4, true) + L1("@0@ ");
    Text += CounterLabelDW(Counter);
}

// ---- R

MUnvR::MUnvR() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvR::CreateNew() const {
    return std::make_unique<MUnvR>();
}

std::unique_ptr<MUnvBase> MUnvR::Clone() const {
    return CloneOf(*this);
}

bool MUnvR::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvR&>(Other);
    return Counter == o.Counter && Offsets == o.Offsets;
}

void MUnvR::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvR&>(Source);
    Counter = s.Counter;
    Offsets = s.Offsets;
}

void MUnvR::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkR)), 1);
    CheckCounter(checks, Counter, ckW, 2);
    for (std::int32_t offset : Offsets)
        checks.Check(!ValueInRange(offset, -9999, 9999), 5);
    RaiseIfFailed(checks.Last());
}

void MUnvR::Clear() {
    Counter.Clear();
    Offsets.fill(0);
    MUnvBase::Clear();
}

void MUnvR::GetListingLine(QString& Text) const {
    Text = L1("R") + ZText(Number, 4) + L1(" ") + CounterDW(Counter) + L1(" ");
    for (int i = 0; i < BedCount; ++i)
        Text += (i % 2 == 0 ? L1("V") : L1("H")) + QString::number(i + 1) +
                ZText(Offsets[std::size_t(i)], 4, true) + L1(" ");
}

void MUnvR::GetLabel(int Systems, int Model, int, QString& Text) const {
    // One offset: its bed name, ":", the value in colour 1 when negative else colour 2. A bed that
    // the machine names but the module does not hold shows a placeholder.
    auto offset = [this](const QString& name, int index) {
        if (index < 0 || index >= BedCount)
            return name + L1(":@0@") + PlaceholderText(5) + L1("@0@ ");
        const std::int32_t v = Offsets[std::size_t(index)];
        return name + L1(":") + (v < 0 ? L1("@1@") : L1("@2@")) + ZText(v, 4, true) + L1("@0@ ");
    };
    Text = L1("R") + ZText(Number, 3) + L1(" ") + CounterLabelDW(Counter) + L1(" ");
    if (Model == 720 || Model == 721) {
        Text += offset(L1("HL"), 7) + offset(L1("H4"), 5) + offset(L1("H2"), 3) + offset(L1("HR"), 1);
        Text += CrLf() + QString(7, QLatin1Char(' '));
        Text += offset(L1("VL"), 6) + offset(L1("V3"), 4) + offset(L1("V1"), 2) + offset(L1("VR"), 0);
        return;
    }
    const int n = Systems;
    for (int j = 0; j < n; ++j)
        Text += offset(L1("H") + QString::number(2 * (n - j)), 2 * (n - j) - 1);
    Text += CrLf() + QString(11, QLatin1Char(' '));
    for (int j = 0; j < n; ++j)
        Text += offset(L1("V") + QString::number(2 * (n - j) - 1), 2 * (n - j) - 2);
}

// ---- S

MUnvS::MUnvS() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvS::CreateNew() const {
    return std::make_unique<MUnvS>();
}

std::unique_ptr<MUnvBase> MUnvS::Clone() const {
    return CloneOf(*this);
}

bool MUnvS::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvS&>(Other);
    return Type == o.Type && First == o.First && Count == o.Count && Counter == o.Counter &&
           NFirst == o.NFirst && NCount == o.NCount && PFirst == o.PFirst && PCount == o.PCount &&
           Offset == o.Offset;
}

void MUnvS::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvS&>(Source);
    Type = s.Type;
    First = s.First;
    Count = s.Count;
    Counter = s.Counter;
    NFirst = s.NFirst;
    NCount = s.NCount;
    PFirst = s.PFirst;
    PCount = s.PCount;
    Offset = s.Offset;
    if (CopyTag)
        StripId = s.StripId;
}

void MUnvS::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkS)), 1);
    if (First != 0 || Count != 0) {
        // A cycle runs over S lines; every other type over Z rows.
        checks.Check(Type != 2 && !SignedRangeIn(First, Count, 1, MaxNumberOfKind(lkZ)), 2);
        checks.Check(Type == 2 && !SignedRangeIn(First, Count, 1, MaxNumberOfKind(lkS)), 3);
    }
    CheckCounter(checks, Counter, ckR, 4);
    if (NFirst != 0 || NCount != 0)
        checks.Check(!SignedRangeIn(NFirst, NCount, 1, MaxNumberOfKind(lkN)), 8);
    if (PFirst != 0 || PCount != 0)
        checks.Check(!SignedRangeIn(PFirst, PCount, 1, MaxNumberOfKind(lkP)), 9);
    checks.Check(!ValueInRange(Offset, 1, 8), 10);
    RaiseIfFailed(checks.Last());
}

void MUnvS::Clear() {
    Type = 1;
    First = 0;
    Count = 0;
    Counter.Clear();
    NFirst = 0;
    NCount = 0;
    PFirst = 0;
    PCount = 0;
    Offset = 1;
    StripId = 0; // also while the base part is kept
    MUnvBase::Clear();
}

void MUnvS::GetListingLine(QString& Text) const {
    const QString kind = Counter.Kind == ckD ? L1("D") : Counter.Kind == ckW ? L1("W") : L1("R");
    Text = L1("S") + ZText(Number, 4) + L1(" ") + (Type == 1 ? L1("Z") : L1("S")) + ZText(First, 4) +
           L1(" ") + ZText(Count, 4, true) + L1(" ") + kind + ZText(Counter.Value, 4) + L1(" N") +
           ZText(NFirst, 4) + L1(" ") + ZText(NCount, 4, true) + L1(" P") + ZText(PFirst, 4) + L1(" ") +
           ZText(PCount, 4, true) + L1(" O") + ZText(Offset, 1);
}

void MUnvS::GetLabel(int, int, int, QString& Text) const {
    Text = L1("S") + ZText(Number, 3) + L1(" ");
    if (Type == 2)
        Text += L1("@1@S") + ZText(First, 4) + ZText(Count, 4, true) + L1("@0@ ");
    else
        Text += L1("Z") + ZText(First, 4) + ZText(Count, 4, true) + L1(" ");
    if (Counter.Kind == ckD)
        Text += L1("D") + ZText(Counter.Value, 4);
    else if (Counter.Kind == ckW)
        Text += L1("@2@W") + ZText(Counter.Value, 4) + L1("@0@");
    else if (Counter.Kind == ckR)
        Text += L1("@3@R") + ZText(Counter.Value, 4) + L1("@0@");
    Text += L1(" ");
    if (Type != 1)
        return;
    auto marker = [](std::int32_t count) { return count < 0 ? L1("@1@") : L1("@0@"); };
    Text += L1("N") + ZText(NFirst, 3) + marker(NCount) + ZText(NCount, 3, true) + L1("@0@ ");
    Text += L1("P") + ZText(PFirst, 3) + marker(PCount) + ZText(PCount, 3, true) + L1("@0@ ");
    Text += L1("Off:") + QString::number(Offset);
}

int MUnvS::NextInRange(int Current) const {
    // Worked in 64 bits: a range read from a file may run past the 32-bit numbers, and a number
    // beyond them ends the range.
    const std::int64_t last = std::int64_t(First) + Count;
    std::int64_t next = -1;
    if (Count > 0 && std::int64_t(Current) + 1 <= last)
        next = std::int64_t(Current) + 1;
    else if (Count < 0 && std::int64_t(Current) - 1 >= last)
        next = std::int64_t(Current) - 1;
    return ValueInRange(next, INT32_MIN, INT32_MAX) ? int(next) : -1;
}

// ---- W

MUnvW::MUnvW() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvW::CreateNew() const {
    return std::make_unique<MUnvW>();
}

std::unique_ptr<MUnvBase> MUnvW::Clone() const {
    return CloneOf(*this);
}

bool MUnvW::Equals(const MUnvBase& Other) const {
    return SameKind(Other) && Levels == static_cast<const MUnvW&>(Other).Levels;
}

void MUnvW::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    Levels = static_cast<const MUnvW&>(Source).Levels;
}

void MUnvW::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkW)), 1);
    for (std::int32_t level : Levels)
        checks.Check(!ValueInRange(level, 0, 9999), 2);
    RaiseIfFailed(checks.Last());
}

void MUnvW::Clear() {
    Levels.fill(0);
    MUnvBase::Clear();
}

void MUnvW::GetListingLine(QString& Text) const {
    Text = L1("W") + ZText(Number, 4) + L1(" ");
    for (std::int32_t level : Levels)
        Text += ZText(level, 4) + L1(" ");
}

void MUnvW::GetLabel(int, int, int SelectorLevel, QString& Text) const {
    Text = L1("W") + BText(Number, 3) + L1("=@2@");
    Text += ValueInRange(SelectorLevel, 1, int(Levels.size()))
                ? ZText(Levels[std::size_t(SelectorLevel - 1)], 4)
                : PlaceholderText(4);
    Text += L1("@0@");
}
