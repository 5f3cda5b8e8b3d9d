#include "model/UunvZ.h"

#include "model/UCamCodes.h"
#include "model/UcstmExp.h"
#include "model/UunvKinds.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {
bool SameCarriers(const MffMap& A, const MffMap& B) {
    return A.SameBits(B) && A.Value == B.Value;
}

template <std::size_t N>
bool SameSets(const std::array<MclrMap, N>& A, const std::array<MclrMap, N>& B) {
    for (std::size_t i = 0; i < N; ++i)
        if (!A[i].SameBits(B[i]))
            return false;
    return true;
}

template <std::size_t N>
bool SameCarrierSets(const std::array<MffMap, N>& A, const std::array<MffMap, N>& B) {
    for (std::size_t i = 0; i < N; ++i)
        if (!SameCarriers(A[i], B[i]))
            return false;
    return true;
}

template <typename T, std::size_t N>
bool AnyNonZero(const std::array<T, N>& A) {
    return std::any_of(A.begin(), A.end(), [](T v) { return v != 0; });
}

// The symbol of a small code; a code the table does not hold shows as its first (blank) symbol.
QString Symbol(int Code, std::initializer_list<const char*> Symbols) {
    const bool known = Code >= 0 && Code < int(Symbols.size());
    return QLatin1String(Symbols.begin()[known ? Code : 0]);
}

QString Flag(int Value, char On) {
    return QString(QLatin1Char(Value != 0 ? On : ' '));
}
} // namespace

MUnvZ::MUnvZ() {
    Clear();
}

std::unique_ptr<MUnvBase> MUnvZ::CreateNew() const {
    return std::make_unique<MUnvZ>();
}

std::unique_ptr<MUnvBase> MUnvZ::Clone() const {
    return CloneOf(*this);
}

bool MUnvZ::Equals(const MUnvBase& Other) const {
    if (!SameKind(Other))
        return false;
    const auto& o = static_cast<const MUnvZ&>(Other);
    return SameCarrierSets(Carriers, o.Carriers) && SameSets(LG, o.LG) && SameSets(KNF, o.KNF) &&
           PatternLine == o.PatternLine && Tying == o.Tying && CamCode == o.CamCode &&
           BlowerCleaning == o.BlowerCleaning && Unipress == o.Unipress && NetRear == o.NetRear &&
           NetRearFront == o.NetRearFront && PR == o.PR && JV == o.JV && Racking == o.Racking &&
           FSFront == o.FSFront && FSRear == o.FSRear && FD == o.FD && FDMirror == o.FDMirror &&
           FDColors.SameBits(o.FDColors) && WA1 == o.WA1 && WA2 == o.WA2 && PB == o.PB && TZ == o.TZ &&
           PA == o.PA && ST == o.ST;
}

void MUnvZ::Assign(const MUnvBase& Source) {
    MUnvBase::Assign(Source);
    const auto& s = static_cast<const MUnvZ&>(Source);
    if (&s == this)
        return;
    SubRecords = s.SubRecords;
    SubRecords2 = s.SubRecords2;
    OwnRecord = s.OwnRecord;
    OwnRecord2 = s.OwnRecord2;
    for (int i = 0; i < ZSystems; ++i)
        Carriers[i].Assign(s.Carriers[i]);
    for (int i = 0; i < ZSlots; ++i) {
        LG[i].Assign(s.LG[i]);
        KNF[i].Assign(s.KNF[i]);
    }
    PatternLine = s.PatternLine;
    Tying = s.Tying;
    CamCode = s.CamCode;
    BlowerCleaning = s.BlowerCleaning;
    Unipress = s.Unipress;
    NetRear = s.NetRear;
    NetRearFront = s.NetRearFront;
    PR = s.PR;
    JV = s.JV;
    Racking = s.Racking;
    FSFront = s.FSFront;
    FSRear = s.FSRear;
    FD = s.FD;
    FDMirror = s.FDMirror;
    FDColors.Assign(s.FDColors);
    WA1 = s.WA1;
    WA2 = s.WA2;
    PB = s.PB;
    TZ = s.TZ;
    PA = s.PA;
    ST = s.ST;
    CamFamily = s.CamFamily;
}

void MUnvZ::Clear() {
    SubRecords.fill(0);
    SubRecords2.fill(0);
    OwnRecord.fill(1);
    OwnRecord2.fill(1);
    for (MffMap& c : Carriers)
        c.Clear();
    for (int i = 0; i < ZSlots; ++i) {
        LG[i].Clear();
        KNF[i].Clear();
    }
    PatternLine.fill(0);
    Tying.fill(0);
    CamCode.fill(0);
    BlowerCleaning = 0;
    Unipress.fill(0);
    NetRear.fill(0);
    NetRearFront.fill(0);
    PR = 0;
    JV = 0;
    Racking = {};
    FSFront = 0;
    FSRear = 0;
    FD = 0;
    FDMirror = 0;
    FDColors.Clear();
    WA1 = {};
    WA2 = {};
    PB = {};
    TZ = 0;
    PA = 0;
    ST = 0;
    CamFamily = 0;
    MUnvBase::Clear();
}

void MUnvZ::Validate() const {
    MUnvBase::Validate();
    MCheckList checks;
    checks.Check(Number > MaxNumberOfKind(lkZ), 1);
    for (int i = 0; i < ZSlots; ++i) {
        checks.Check(!ValueInRange(PatternLine[i], 0, 999), 2);
        checks.Check(Tying[i] > 2, 3);
    }
    checks.Check(BlowerCleaning > 1, 4);
    for (int s = 0; s < ZSystems; ++s) {
        checks.Check(Unipress[s] > 1, 5);
        checks.Check(NetRearFront[s] > 1, 6);
    }
    checks.Check(!ValueInRange(PR, -100, 100), 7);
    checks.Check(JV > 2, 8);
    for (int r = 0; r < 2; ++r) {
        checks.Check(Racking[r].Transfer > 3, 9);
        checks.Check(Racking[r].Correction > 2, 10);
        checks.Check((r == 0 ? FSFront : FSRear) > MaxNumberOfKind(lkFS), 11);
    }
    checks.Check(FD > MaxNumberOfKind(lkFD), 12);
    checks.Check(!ValueInRange(WA1.Value, -100, 100), 13);
    checks.Check(WA1.Mode > 1, 14);
    checks.Check(!ValueInRange(WA2.Value, -100, 100), 15);
    checks.Check(WA2.Mode > 1, 16);
    // "R" needs a value: the file keeps "R" with 0 as no step.
    checks.Check(WA2.Step > 3 || (WA2.Step >= 2 && WA2.Value != 1) || (WA2.Step == 1 && WA2.Value == 0), 17);
    checks.Check(PB.Mode > 1, 18);
    checks.Check(!ValueInRange(PB.Value, -100, 100), 19);
    checks.Check(TZ > 100, 20);
    checks.Check(PA > 2, 21);
    checks.Check(ST > 1, 22);

    // The front and rear cams of a system must pair: a cam that selects by the pattern on one bed
    // needs its counterpart on the other.
    const int unfitting = UnfittingCamSystem();
    checks.Check(unfitting >= 0, 23);

    // A cam that knits by colour needs the colours it knits; a cam that knits both kinds of stitch
    // must not find one colour in both sets.
    for (int i = 0; i < ZSlots; ++i) {
        const int cam = CamCode[i];
        if (cam == camNone)
            continue;
        const bool lg = LG[i].Count() > 0;
        const bool knf = KNF[i].Count() > 0;
        bool failed = false;
        switch (cam) {
        case camJR:
        case camJU:
        case camJUNA:
            failed = !lg;
            break;
        case camJF:
        case camJN:
        case camJFK:
        case camJRK:
            failed = !knf;
            break;
        case camJUJN:
        case camJRJF:
        case camJRLK:
            failed = !lg || !knf;
            break;
        case camJRFK:
            failed = Tying[i] == 0 && (!lg || !knf);
            break;
        default:
            break;
        }
        if ((cam == camJRFK || cam == camJUJN || cam == camJRJF || cam == camJRLK) &&
            (LG[i].GetDWord() & KNF[i].GetDWord()) != 0)
            failed = true;
        checks.Check(failed, 24);
        if (checks.Last() != 0)
            break;
    }

    // The pair refusal names the system (counted from 1) and the two cams by their beds.
    if (checks.Last() == 23) {
        const auto name = [](int Code) {
            const QString n = CamCodeName(Code).trimmed();
            return n.isEmpty() ? QStringLiteral("-") : n;
        };
        const std::size_t s = std::size_t(unfitting);
        RaiseM(ValidationCodeOfKind(lkZ), 23,
               QStringLiteral("%1;%2;%3;%4")
                   .arg(Number)
                   .arg(unfitting + 1)
                   .arg(name(CamCode[2 * s]), name(CamCode[2 * s + 1])));
    }
    RaiseIfFailed(checks.Last());
}

int MUnvZ::UnfittingCamSystem() const {
    for (int s = 0; s < ZSystems; ++s)
        if (!CamPairFits(CamCode[std::size_t(2 * s)], CamCode[std::size_t(2 * s + 1)]))
            return s;
    return -1;
}

void MUnvZ::GetListingLine(QString& Text) const {
    const QString rule(68, QLatin1Char('-'));
    const QLatin1String two("  ");
    Text.clear();
    Text += rule + CrLf();
    Text += QLatin1String("Z") + IntToStrPadded(Number, 4) + QString(22, QLatin1Char('-')) + CrLf();
    Text += rule + CrLf();

    Text += QLatin1String("FF: ");
    for (int s = ZSystems - 1; s >= 0; --s)
        Text += QLatin1Char('(') + QString::number(Carriers[s].Value) + QLatin1Char(')') +
                Carriers[s].BitText(0, 7) + two;
    Text += CrLf();

    auto colourSets = [&](const char* Caption, const std::array<MclrMap, ZSlots>& Sets) {
        Text += QLatin1String(Caption) + CrLf();
        for (int i = ZSlots - 1; i >= 0; --i) {
            if (i == 4)
                Text += CrLf();
            Text += Sets[i].BitText(0, 31) + two;
        }
        Text += CrLf();
    };
    colourSets("LG: ", LG);
    colourSets("KNF: ", KNF);

    Text += QLatin1String("ZT: ");
    for (int i = ZSlots - 1; i >= 0; --i)
        Text += QLatin1Char('(') + Symbol(Tying[i], {" ", "^", "v"}) + QLatin1Char(')') +
                IntToStrPadded(PatternLine[i], 4) + two;
    Text += CrLf();

    Text += QLatin1String("CAMS: ");
    for (int i = ZSlots - 1; i >= 0; --i)
        Text += CamCodeName(CamCode[i]) + two;
    Text += CrLf();

    Text += QLatin1String("LINE 9: ") + CrLf() + Flag(BlowerCleaning, '*') + QString(5, QLatin1Char(' '));
    for (int s = ZSystems - 1; s >= 0; --s)
        Text += QLatin1Char('(') + Flag(Unipress[s], '-') + QLatin1String(")(") + Flag(NetRearFront[s], 'v') +
                QLatin1Char(')') + IntToStrPadded(NetRear[s], 3) + QLatin1Char(' ');
    Text += CrLf();

    Text += QLatin1String("HUV: ") + CrLf();
    for (const MZRacking& r : Racking)
        Text += QLatin1String("HV:") + IntToStrPadded(r.Position, 2, true) + QLatin1String(" UV:") +
                Symbol(r.Transfer, {"  ", " G", "U1", "U2"}) + QLatin1String(" K:") +
                Symbol(r.Correction, {" ", "1", "2"}) + QString(4, QLatin1Char(' '));
    Text += CrLf();

    Text += QLatin1String("FS front:") + IntToStrPadded(FSFront, 2) + QLatin1String("FS rear:") +
            IntToStrPadded(FSRear, 2) + two + CrLf();

    Text += QLatin1String("FD") + IntToStrPadded(FD, 2) + QLatin1Char('(') +
            QLatin1String(FDMirror == 64    ? "R"
                          : FDMirror == 128 ? "*"
                                            : " ") +
            QLatin1String(") clrs:") + FDColors.BitText(0, 31) + CrLf();

    Text += QLatin1String("WA: ") + CrLf() + QLatin1String("WA1:(") + Flag(WA1.Mode, '*') + QLatin1Char(')') +
            IntToStrPadded(WA1.Value, 3, true) + two + QLatin1String("WA2:(") + Flag(WA2.Mode, '*') +
            QLatin1String(")(") + Symbol(WA2.Step, {" ", "R", "^", "v"}) + QLatin1Char(')') +
            IntToStrPadded(WA2.Value, 3, true) + two + CrLf();

    Text += QLatin1String("PR:") + IntToStrPadded(PR, 3, true) + two + QLatin1String("JV:") +
            Symbol(JV, {" ", "1", "0"}) + two + QLatin1String("PA:") + Symbol(PA, {" ", "1", "0"}) + two +
            QLatin1String("PB:(") + Flag(PB.Mode, '*') + QLatin1Char(')') +
            IntToStrPadded(PB.Value, 3, true) + two + QLatin1String("TZ:") + IntToStrPadded(TZ, 3, true) +
            two + QLatin1String("ST:") + QLatin1String(ST != 0 ? "On " : "Off");
}

void MUnvZ::GetLabel(int, int, int, QString& Text) const {
    Text.clear();
}

void MUnvZ::Mirror(int Systems) {
    if (Systems < 1 || Systems > ZSystems)
        return;
    for (int s = 0; s < Systems / 2; ++s) {
        const int t = Systems - 1 - s;
        std::swap(Carriers[s], Carriers[t]);
        for (int bed = 0; bed < 2; ++bed) {
            const int a = 2 * s + bed, b = 2 * t + bed;
            std::swap(LG[a], LG[b]);
            std::swap(KNF[a], KNF[b]);
            std::swap(PatternLine[a], PatternLine[b]);
            std::swap(Tying[a], Tying[b]);
            std::swap(CamCode[a], CamCode[b]);
        }
        std::swap(Unipress[s], Unipress[t]);
        std::swap(NetRear[s], NetRear[t]);
        std::swap(NetRearFront[s], NetRearFront[t]);
    }
}

void MUnvZ::ShiftPatternLine(int Delta) {
    for (std::int32_t& line : PatternLine)
        if (line > 10)
            line = std::int32_t(std::clamp<std::int64_t>(std::int64_t(line) + Delta, 11, 1999));
}

void MUnvZ::SetNetRear(int System, int Index) {
    if (System < 0 || System >= ZSystems)
        return;
    if (Index == 0)
        NetRear[System] = 0;
    else if (Index == 1)
        NetRear[System] = NetRearAsRequired;
    else if (Index >= 2 && Index < NetRearChoiceCount)
        NetRear[System] = std::uint8_t(10 * ((Index - 2) / 3 + 1) + (Index - 2) % 3 + 1);
}

int MUnvZ::GetNetRear(int System) const {
    if (System < 0 || System >= ZSystems)
        return 0;
    const int code = NetRear[System];
    if (code == NetRearAsRequired)
        return 1;
    // Only codes whose letter is A..F (tens 1..6) and whose digit is 1..3 have an entry.
    const int letter = code / 10, digit = code % 10;
    if (letter < 1 || letter > 6 || digit < 1 || digit > 3)
        return 0;
    return 3 * (letter - 1) + (digit - 1) + 2;
}

bool MUnvZ::Settings1Present() const {
    return WA2.Step != 0 || WA2.Mode != 0 || WA2.Value != 0 || PB.Value != 0 || PB.Mode != 0 || TZ != 0 ||
           BlowerCleaning != 0 || AnyNonZero(Unipress) || AnyNonZero(Tying) || ST != 0;
}

bool MUnvZ::Settings2Present() const {
    return JV != 0 || FDMirror != 0 || FDColors.Count() > 0 || AnyNonZero(NetRearFront) ||
           AnyNonZero(NetRear) || PA != 0 || PR != 0 || WA1.Mode != 0 || WA1.Value != 0;
}

bool MUnvZ::SameSettings1(const MUnvZ& o) const {
    return WA2 == o.WA2 && PB == o.PB && TZ == o.TZ && BlowerCleaning == o.BlowerCleaning &&
           Unipress == o.Unipress && Tying == o.Tying && ST == o.ST;
}

bool MUnvZ::SameSettings2(const MUnvZ& o) const {
    return JV == o.JV && FDMirror == o.FDMirror && FDColors.SameBits(o.FDColors) &&
           NetRearFront == o.NetRearFront && NetRear == o.NetRear && PA == o.PA && PR == o.PR && WA1 == o.WA1;
}

void MUnvZ::PrepareFileLinks() {
    SubRecords.fill(0);
    SubRecords2.fill(0);
    SubRecords[zsrSecondLevel] = 1;
    for (int i = 0; i < ZSlots; ++i) {
        if (PatternLine[i] != 0)
            SubRecords[zsrPatternLines] = 1;
        if (KNF[i].Count() > 0)
            SubRecords[zsrKNF] = 1;
        if (LG[i].Count() > 0)
            SubRecords[zsrLG] = 1;
        if (CamCode[i] != 0)
            SubRecords2[zsr2Cams] = 1;
    }
    // A carrier offset is kept even in a set without carriers, so that it survives the file.
    for (const MffMap& c : Carriers)
        if (c.Count() > 0 || c.Value != 0)
            SubRecords2[zsr2Carriers] = 1;
    SubRecords2[zsr2FSFront] = FSFront;
    SubRecords2[zsr2FSRear] = FSRear;
    SubRecords2[zsr2FD] = FD;
    if (!Racking[0].IsZero() || !Racking[1].IsZero())
        SubRecords2[zsr2Racking] = 1;
    if (Settings1Present())
        SubRecords2[zsr2Settings1] = 1;
    if (Settings2Present())
        SubRecords2[zsr2Settings2] = 1;
    for (int k = 0; k < 4; ++k)
        OwnRecord[k] = SubRecords[k] != 0 ? 1 : 0;
    for (int k = 0; k < 8; ++k)
        OwnRecord2[k] = SubRecords2[k] != 0 ? 1 : 0;
}

bool MUnvZ::SameSubRecord(const MUnvZ& Other, bool FirstLevel, int Index) {
    auto share = [this, &Other, FirstLevel](int Mine, int Theirs) {
        if (FirstLevel) {
            SubRecords[Mine] = Other.SubRecords[Theirs];
            OwnRecord[Mine] = 0;
        } else {
            SubRecords2[Mine] = Other.SubRecords2[Theirs];
            OwnRecord2[Mine] = 0;
        }
        return true;
    };
    if (FirstLevel) {
        switch (Index) {
        case zsrSecondLevel:
            return SubRecords2 == Other.SubRecords2 && share(Index, Index);
        case zsrPatternLines:
            return PatternLine == Other.PatternLine && share(Index, Index);
        case zsrKNF:
            if (SameSets(KNF, Other.KNF))
                return share(zsrKNF, zsrKNF);
            return SameSets(KNF, Other.LG) && share(zsrKNF, zsrLG);
        case zsrLG:
            if (SameSets(LG, Other.LG))
                return share(zsrLG, zsrLG);
            return SameSets(LG, Other.KNF) && share(zsrLG, zsrKNF);
        default:
            return true;
        }
    }
    switch (Index) {
    case zsr2Cams:
        return CamCode == Other.CamCode && share(Index, Index);
    case zsr2Carriers:
        return SameCarrierSets(Carriers, Other.Carriers) && share(Index, Index);
    case zsr2Racking:
        return Racking == Other.Racking && share(Index, Index);
    case zsr2Settings1:
        return SameSettings1(Other) && share(Index, Index);
    case zsr2Settings2:
        return SameSettings2(Other) && share(Index, Index);
    default:
        // The stitch-length numbers are held in place, not in a sub-record.
        return true;
    }
}
