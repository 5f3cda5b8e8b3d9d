#include "model/UunvF.h"

namespace {
QString L1(const char* s) {
    return QString::fromLatin1(s);
}

// A counter in a label, a selector line in colour 2; a bed the module does not hold shows a
// placeholder of the counter's width.
QString CounterLabel(const std::array<MCounter, BedCount>& counters, int index) {
    if (index < 0 || index >= BedCount)
        return PlaceholderText(5);
    const MCounter& c = counters[std::size_t(index)];
    if (c.Kind == ckD)
        return L1("D") + ZText(c.Value, 4);
    return L1("@2@W") + ZText(c.Value, 4) + L1("@0@");
}

QString Blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// The rear beds 7, 5, 3, 1 and then the front beds 6, 4, 2, 0 of a listing, each through Bed.
template <typename F>
QString RearThenFront(F Bed) {
    QString text;
    for (int i = 7; i >= 1; i -= 2)
        text += L1("H") + QString::number(i + 1) + L1(" ") + Bed(i);
    text += CrLf();
    for (int i = 6; i >= 0; i -= 2)
        text += L1("V") + QString::number(i + 1) + L1(" ") + Bed(i);
    return text;
}
} // namespace

// ---- FS

MUnvFS::MUnvFS() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvFS::CreateNew() const {
    return std::make_unique<MUnvFS>();
}

std::unique_ptr<MUnvBase> MUnvFS::Clone() const {
    return CloneOf(*this);
}

bool MUnvFS::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvFS&>(Other);
    return CountersA == o.CountersA && CountersB == o.CountersB;
}

void MUnvFS::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvFS&>(Source);
    CountersA = s.CountersA;
    CountersB = s.CountersB;
}

void MUnvFS::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkFS)), 1);
    auto counter = [&checks](const MCounter& c, int firstCheck) {
        checks.Check(!ValueInRange(c.Kind, ckD, ckW), firstCheck);
        checks.Check(c.Kind == ckD && !ValueInRange(c.Value, 0, 240), firstCheck + 1);
        checks.Check(c.Kind == ckW && !ValueInRange(c.Value, 1, 255), firstCheck + 2);
    };
    for (std::size_t i = 0; i < BedCount; ++i) {
        counter(CountersA[i], 2);
        counter(CountersB[i], 5);
    }
    RaiseIfFailed(checks.Last());
}

void MUnvFS::Clear() {
    for (MCounter& c : CountersA)
        c.Clear();
    for (MCounter& c : CountersB)
        c.Clear();
    MUnvBase::Clear();
}

void MUnvFS::GetListingLine(QString& Text) const {
    Text = L1("FS") + ZText(Number, 4) + CrLf() + RearThenFront([this](int i) {
               return CounterDW(CountersA[std::size_t(i)]) + L1(" ") + CounterDW(CountersB[std::size_t(i)]) +
                      L1(" ");
           });
}

void MUnvFS::GetLabel(int Systems, int Model, int, QString& Text) const {
    const int n = Model == 720 || Model == 721 ? 2 : Systems;
    const int groups = Model == 708 || Model == 710 || Model == 745 || Model == 748 ? 2 : 1;
    // One line of a counter table: the rear beds (Rear) or the front beds of every group.
    auto line = [&](const std::array<MCounter, BedCount>& counters, bool rear) {
        QString text;
        for (int k = groups - 1; k >= 0; --k)
            for (int j = 0; j < n; ++j) {
                if (rear)
                    text += L1("H") + QString::number(2 * (n - j)) + L1(":") +
                            CounterLabel(counters, 2 * n * k + 2 * (n - j) - 1) + L1(" ");
                else
                    text += L1("V") + QString::number(2 * (n - j) - 1) + L1(":") +
                            CounterLabel(counters, 2 * n * k + 2 * (n - j - 1)) + L1(" ");
            }
        return text;
    };
    Text = L1("FS") + ZText(Number, 3) + L1(" ") + line(CountersA, true) + Blanks(3) + line(CountersB, true) +
           CrLf() + Blanks(6) + line(CountersA, false) + Blanks(3) + line(CountersB, false);
}

// ---- FD

MUnvFD::MUnvFD() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvFD::CreateNew() const {
    return std::make_unique<MUnvFD>();
}

std::unique_ptr<MUnvBase> MUnvFD::Clone() const {
    return CloneOf(*this);
}

bool MUnvFD::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvFD&>(Other);
    return FirstFE == o.FirstFE && CountFE == o.CountFE;
}

void MUnvFD::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvFD&>(Source);
    FirstFE = s.FirstFE;
    CountFE = s.CountFE;
}

void MUnvFD::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkFD)), 1);
    for (std::size_t i = 0; i < BedCount; ++i)
        if (FirstFE[i] != 0 || CountFE[i] != 0)
            checks.Check(!SignedRangeIn(FirstFE[i], CountFE[i], 1, MaxNumberOfKind(lkFE)), 2);
    RaiseIfFailed(checks.Last());
}

void MUnvFD::Clear() {
    FirstFE.fill(0);
    CountFE.fill(0);
    MUnvBase::Clear();
}

void MUnvFD::GetListingLine(QString& Text) const {
    Text = L1("FD") + ZText(Number, 4) + CrLf() + RearThenFront([this](int i) {
               return ZText(FirstFE[std::size_t(i)], 4) + L1(" ") + ZText(CountFE[std::size_t(i)], 4, true) +
                      L1(" ");
           });
}

void MUnvFD::GetLabel(int Systems, int, int, QString& Text) const {
    // One bed's range; a bed the module does not hold shows placeholders of the fields' widths.
    auto range = [this](int index) {
        if (index < 0 || index >= BedCount)
            return L1(":FE") + PlaceholderText(3) + PlaceholderText(4) + L1(" ");
        return L1(":FE") + ZText(FirstFE[std::size_t(index)], 3) +
               ZText(CountFE[std::size_t(index)], 3, true) + L1(" ");
    };
    const int n = Systems;
    Text = L1("FD") + ZText(Number, 2) + L1(" ");
    for (int j = 0; j < n; ++j)
        Text += L1("H") + QString::number(2 * (n - j)) + range(2 * (n - j) - 1);
    Text += CrLf() + Blanks(5);
    for (int j = 0; j < n; ++j)
        Text += L1("V") + QString::number(2 * (n - j) - 1) + range(2 * (n - j - 1));
}

// ---- FE

MUnvFE::MUnvFE() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvFE::CreateNew() const {
    return std::make_unique<MUnvFE>();
}

std::unique_ptr<MUnvBase> MUnvFE::Clone() const {
    return CloneOf(*this);
}

bool MUnvFE::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvFE&>(Other);
    return Difference == o.Difference && VerticalStep == o.VerticalStep &&
           HorizontalStep == o.HorizontalStep && StartPoint == o.StartPoint && Offset == o.Offset &&
           Colors.SameBits(o.Colors);
}

void MUnvFE::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvFE&>(Source);
    Difference = s.Difference;
    VerticalStep = s.VerticalStep;
    HorizontalStep = s.HorizontalStep;
    StartPoint = s.StartPoint;
    Offset = s.Offset;
    Colors.Assign(s.Colors);
}

void MUnvFE::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(Number, 1, MaxNumberOfKind(lkFE)), 1);
    if (Difference != 0 || VerticalStep != 0 || HorizontalStep != 0) {
        const std::int64_t size = Difference < 0 ? -std::int64_t(Difference) : std::int64_t(Difference);
        checks.Check(!ValueInRange(size, 1, 240), 2);
        checks.Check(!ValueInRange(VerticalStep, 1, size), 3);
        checks.Check(!ValueInRange(HorizontalStep, 1, 2000), 4);
        checks.Check(!ValueInRange(Offset, -2000, 2000), 5);
    }
    checks.Check(StartPoint > 2, 6);
    RaiseIfFailed(checks.Last());
}

void MUnvFE::Clear() {
    Difference = 0;
    VerticalStep = 0;
    HorizontalStep = 0;
    StartPoint = 0;
    Offset = 0;
    Colors.Clear();
    MUnvBase::Clear();
}

void MUnvFE::GetListingLine(QString& Text) const {
    Text = L1("FE") + ZText(Number, 4) + L1(" B") + ZText(Difference, 4, true) + L1(" S") +
           ZText(VerticalStep, 4) + L1(" N") + ZText(HorizontalStep, 4) + L1(" A") + ZText(StartPoint, 1) +
           L1(" O") + ZText(Offset, 4, true) + L1(" Clrs") + Colors.BitText(0, 31);
}

void MUnvFE::GetLabel(int, int, int, QString& Text) const {
    Text = L1("FE") + ZText(Number, 2) + L1(" B") + (Difference < 0 ? L1("@1@") : L1("@0@")) +
           ZText(Difference, 3, true) + L1("@0@ S") + ZText(VerticalStep, 4) + L1(" N") +
           ZText(HorizontalStep, 4) + L1(" ");
    if (StartPoint == 0)
        Text += L1("@0@A0@0@ ");
    else if (StartPoint == 1)
        Text += L1("@1@A1@0@ ");
    else if (StartPoint == 2)
        Text += L1("@1@A2@0@ ");
    Text += L1("O:") + QString::number(Offset);
}
