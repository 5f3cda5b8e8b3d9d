#include "model/UunvC.h"

namespace {
QString L1(const char* s) {
    return QString::fromLatin1(s);
}

// One entry of a rack correction table as a listing line (without its line end).
QString RackText(const MRackCorrection& r) {
    QString uv;
    if (r.UV == 0)
        uv = L1(" G ");
    else if (r.UV == 1)
        uv = L1("U1 ");
    else if (r.UV == 2)
        uv = L1("U2 ");
    return L1("HV:") + ZText(r.HV, 2, true) + L1(" UV:") + uv + L1("KORR:") + ZText(r.KORR, 3, true) +
           L1(" DEHN:") + ZText(r.DEHN, 3, true) + L1(" GESH:") + ZText(r.GESH, 4) + L1(" ");
}

// Checks of one rack correction entry, numbered from FirstCheck (HV, UV, KORR, DEHN, GESH).
void CheckRack(MCheckList& checks, const MRackCorrection& r, int FirstCheck) {
    checks.Check(!ValueInRange(r.HV, -99, 99), FirstCheck);
    checks.Check(r.UV > 2, FirstCheck + 1);
    checks.Check(!ValueInRange(r.KORR, -999, 999), FirstCheck + 2);
    checks.Check(!ValueInRange(r.DEHN, -999, 999), FirstCheck + 3);
    checks.Check(r.GESH != 0 && !ValueInRange(r.GESH, 200, 4999), FirstCheck + 4);
}
} // namespace

MUnvC::MUnvC() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvC::CreateNew() const {
    return std::make_unique<MUnvC>();
}

std::unique_ptr<MUnvBase> MUnvC::Clone() const {
    return CloneOf(*this);
}

bool MUnvC::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvC&>(Other);
    return WE == o.WE && ST == o.ST && LB == o.LB && WA == o.WA && TZ == o.TZ && Time == o.Time &&
           X1 == o.X1 && Y1 == o.Y1 && Width == o.Width && Height == o.Height && From == o.From &&
           To == o.To && CarrierStarts == o.CarrierStarts && OffsetTables == o.OffsetTables &&
           StitchDiff1 == o.StitchDiff1 && StitchDiff2 == o.StitchDiff2 &&
           RackCorrection1 == o.RackCorrection1 && RackCorrection2 == o.RackCorrection2;
}

void MUnvC::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvC&>(Source);
    WE = s.WE;
    ST = s.ST;
    LB = s.LB;
    WA = s.WA;
    TZ = s.TZ;
    Time = s.Time;
    X1 = s.X1;
    Y1 = s.Y1;
    Width = s.Width;
    Height = s.Height;
    From = s.From;
    To = s.To;
    CarrierStarts = s.CarrierStarts;
    OffsetTables = s.OffsetTables;
    StitchDiff1 = s.StitchDiff1;
    StitchDiff2 = s.StitchDiff2;
    RackCorrection1 = s.RackCorrection1;
    RackCorrection2 = s.RackCorrection2;
}

bool MUnvC::AreaInUse(int k) const {
    return k >= 0 && k < NeedleAreaCount && (From[std::size_t(k)] != 0 || To[std::size_t(k)] != 0);
}

void MUnvC::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(!ValueInRange(WE, 1, 8), 1);
    checks.Check(!ValueInRange(ST, 0, 9999), 2);
    checks.Check(!ValueInRange(WA, 1, 100), 3);
    checks.Check(!ValueInRange(TZ, 0, 140), 4);
    for (std::size_t k = 0; k < 8; ++k) {
        if (AreaInUse(int(k))) {
            checks.Check(!ValueInRange(From[k], 1, 2000), 5);
            checks.Check(To[k] <= From[k], 6);
            checks.Check(!ValueInRange(To[k], 1, 2000), 7);
        }
        const MCarrierStart& start = CarrierStarts[k];
        checks.Check(start.FF > 8, 8);
        for (std::int32_t p : start.Positions)
            checks.Check(!ValueInRange(p, -2000, 2000), 9);
        for (std::int32_t v : OffsetTables[k].L)
            checks.Check(!ValueInRange(v, -2000, 2000), 10);
        for (std::int32_t v : OffsetTables[k].R)
            checks.Check(!ValueInRange(v, -2000, 2000), 11);
        checks.Check(!ValueInRange(StitchDiff1[k], 0, 99), 12);
        checks.Check(!ValueInRange(StitchDiff2[k], 0, 99), 13);
        CheckRack(checks, RackCorrection1[k], 14);
        CheckRack(checks, RackCorrection2[k], 19);
    }

    // The areas in use must have one width and share no needle.
    int first = -1;
    bool widths = true, apart = true;
    for (int k = 0; k < NeedleAreaCount; ++k) {
        if (!AreaInUse(k))
            continue;
        const std::size_t a = std::size_t(k);
        if (first < 0) {
            first = k;
        } else {
            const std::size_t f = std::size_t(first);
            widths = widths && std::int64_t(To[a]) - From[a] == std::int64_t(To[f]) - From[f];
        }
        for (int other = 0; other < k; ++other) {
            const std::size_t b = std::size_t(other);
            if (AreaInUse(other) && From[a] <= To[b] && From[b] <= To[a])
                apart = false;
        }
    }
    checks.Check(!widths, 24);
    checks.Check(!apart, 25);
    checks.Check(CarrierStarts[0].FT != 0 || CarrierStarts[7].FT != 0, 27);
    RaiseIfFailed(checks.Last());
}

void MUnvC::Clear() {
    WE = 1;
    ST = 0;
    LB = 0;
    WA = 100;
    TZ = 100;
    Time = 0;
    // The picture's rectangle starts at 1, 1: the file keeps nothing below 1.
    X1 = 1;
    Y1 = 1;
    Width = 0;
    Height = 0;
    From.fill(0);
    To.fill(0);
    CarrierStarts.fill(MCarrierStart());
    OffsetTables.fill(MOffsetTable());
    StitchDiff1.fill(0);
    StitchDiff2.fill(0);
    RackCorrection1.fill(MRackCorrection());
    RackCorrection2.fill(MRackCorrection());
    MUnvBase::Clear();
}

void MUnvC::GetListingLine(QString& Text) const {
    const QString crlf = CrLf();
    Text = L1("WE=") + ZText(WE, 1) + crlf;
    Text += L1("ST=") + ZText(ST, 4) + crlf;
    Text += L1("LB=") + ZText(LB, 4) + crlf;
    Text += L1("WA=") + ZText(WA, 4) + crlf;
    Text += L1("TZ=") + ZText(TZ, 4) + crlf;
    Text += L1("Time= ") + ZText(Time / 3600, 2) + L1(":") + ZText(Time % 3600 / 60, 2) + L1(":") +
            ZText(Time % 60, 2) + crlf;
    Text += L1("X1=") + ZText(X1, 4) + L1(" Y1=") + ZText(Y1, 4) + L1(" Width=") + ZText(Width, 4) +
            L1(" Height=") + ZText(Height, 4) + crlf;

    Text += L1("** Needle Areas **") + crlf;
    for (std::size_t k = 0; k < NeedleAreaCount; ++k)
        Text += L1(" ") + ZText(From[k], 4) + L1(" ") + ZText(To[k], 4) + crlf;

    Text += L1("** Yc Start Positions **") + crlf;
    for (const MCarrierStart& start : CarrierStarts) {
        Text += L1(" FF:") + ZText(start.FF, 4) + L1(" FT:") + (start.FT != 0 ? L1("I ") : L1("  "));
        for (std::int32_t p : start.Positions)
            Text += ZText(p, 4, true) + L1(" ");
        Text += crlf;
    }

    Text += L1("** Offset Tables **") + crlf;
    for (std::size_t c = 0; c < 8; ++c) {
        for (const MOffsetTable& table : OffsetTables)
            Text += ZText(table.L[c], 4, true) + L1(" ") + ZText(table.R[c], 4, true) + L1("  ");
        Text += crlf;
    }

    Text += L1("** Stitche Difference **") + crlf;
    for (int i = 7; i >= 1; i -= 2)
        Text += L1("H") + QString::number(i + 1) + L1(":") + ZText(StitchDiff1[std::size_t(i)], 2) + L1("-") +
                ZText(StitchDiff2[std::size_t(i)], 2) + L1("  ");
    Text += crlf;
    for (int i = 6; i >= 0; i -= 2)
        Text += L1("V") + QString::number(i + 1) + L1(":") + ZText(StitchDiff1[std::size_t(i)], 2) + L1("-") +
                ZText(StitchDiff2[std::size_t(i)], 2) + L1("  ");
    Text += crlf;

    Text += L1("** Rack correction 1 **") + crlf;
    for (const MRackCorrection& r : RackCorrection1)
        Text += RackText(r) + crlf;
    Text += crlf;
    Text += L1("** Rack correction 2 **") + crlf;
    for (const MRackCorrection& r : RackCorrection2)
        Text += RackText(r) + crlf;
}
