#include "tests/support/ProjectScript.h"

#include "model/UCamCodes.h"
#include "model/Ucommon.h"

#include <QRegularExpression>
#include <QStringList>

#include <stdexcept>

namespace kdstest {
namespace {

[[noreturn]] void Fail(int Line, const QString& What) {
    throw std::invalid_argument(
        QStringLiteral("project script line %1: %2").arg(Line).arg(What).toStdString());
}

class MScriptReader {
public:
    MScriptReader(MMemoryProject& Project) : P(Project) {}

    void Read(const QString& Script) {
        const QStringList lines = Script.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            FLine = i + 1;
            QString line = lines[i];
            if (const qsizetype hash = line.indexOf(QLatin1Char('#')); hash >= 0)
                line.truncate(hash);
            const QStringList tokens = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (tokens.isEmpty())
                continue;
            if (tokens[0] == QLatin1String("picture")) {
                i = ReadPicture(lines, i, tokens);
                continue;
            }
            ReadEntry(tokens);
        }
    }

private:
    // ---- Values.
    long long Int(const QString& Text) const {
        bool ok = false;
        const long long v = Text.toLongLong(&ok);
        if (!ok)
            Fail(FLine, QStringLiteral("\"%1\" is not a number").arg(Text));
        return v;
    }
    std::int32_t I32(const QString& Text) const { return std::int32_t(Int(Text)); }
    std::vector<std::int32_t> List(const QString& Text) const {
        std::vector<std::int32_t> v;
        for (const QString& t : Text.split(QLatin1Char(','), Qt::SkipEmptyParts))
            v.push_back(I32(t));
        return v;
    }
    template <typename Array>
    void Fill(Array& A, const QString& Text) const {
        const std::vector<std::int32_t> v = List(Text);
        if (v.size() > A.size())
            Fail(FLine, QStringLiteral("more than %1 values in \"%2\"").arg(A.size()).arg(Text));
        for (std::size_t k = 0; k < v.size(); ++k)
            A[k] = typename Array::value_type(v[k]);
    }
    // first+count, first-count or first.
    void Range(const QString& Text, std::int32_t& First, std::int32_t& Count) const {
        static const QRegularExpression re(QStringLiteral("^(-?\\d+)([+-]\\d+)?$"));
        const QRegularExpressionMatch m = re.match(Text);
        if (!m.hasMatch())
            Fail(FLine, QStringLiteral("\"%1\" is not a range first+count").arg(Text));
        First = I32(m.captured(1));
        Count = m.captured(2).isEmpty() ? 0 : I32(m.captured(2));
    }
    static bool IsCounter(const QString& Text) {
        static const QRegularExpression re(QStringLiteral("^[DWR]-?\\d+$"));
        return re.match(Text).hasMatch();
    }
    MCounter Counter(const QString& Text) const {
        if (!IsCounter(Text))
            Fail(FLine, QStringLiteral("\"%1\" is not a counter D, W or R").arg(Text));
        const QChar k = Text[0];
        return {k == QLatin1Char('D') ? ckD : k == QLatin1Char('W') ? ckW : ckR, I32(Text.mid(1))};
    }
    void Colours(MbitsMap& Set, const QString& Text) const {
        Set.Clear();
        for (std::int32_t c : List(Text))
            Set.SetBit(c, 1);
    }
    // A key with a 1-based index suffix: "cam3" with prefix "cam" gives 3 within 1..Max.
    bool Indexed(const QString& Key, const char* Prefix, int Max, int& Index) const {
        const QLatin1String prefix(Prefix);
        if (!Key.startsWith(prefix) || Key.size() == prefix.size())
            return false;
        bool ok = false;
        Index = Key.mid(prefix.size()).toInt(&ok);
        if (!ok)
            return false;
        if (Index < 1 || Index > Max)
            Fail(FLine, QStringLiteral("%1 needs an index 1..%2").arg(Key).arg(Max));
        return true;
    }
    [[noreturn]] void Unknown(const QString& Key) const {
        Fail(FLine, QStringLiteral("unknown field \"%1\"").arg(Key));
    }

    // ---- Entries.
    void ReadEntry(const QStringList& Tokens) {
        if (Tokens[0] == QLatin1String("machine")) {
            if (Tokens.size() != 3)
                Fail(FLine, QStringLiteral("machine needs a model and a gauge"));
            P.Lists.Machine.Model = I32(Tokens[1]);
            P.Lists.Machine.Gauge = I32(Tokens[2]);
            P.Lists.Machine.UpdateCategory();
            return;
        }
        static const QRegularExpression head(QStringLiteral("^(FS|[CSNRWPZ])(\\d*)$"));
        const QRegularExpressionMatch m = head.match(Tokens[0]);
        if (!m.hasMatch())
            Fail(FLine, QStringLiteral("\"%1\" names no entry").arg(Tokens[0]));
        const QString kind = m.captured(1);
        const int number = m.captured(2).isEmpty() ? 1 : int(Int(m.captured(2)));
        const int listKind = kind == QLatin1String("FS")  ? lkFS
                             : kind == QLatin1String("C") ? lkC
                             : kind == QLatin1String("S") ? lkS
                             : kind == QLatin1String("N") ? lkN
                             : kind == QLatin1String("R") ? lkR
                             : kind == QLatin1String("W") ? lkW
                             : kind == QLatin1String("P") ? lkP
                                                          : lkZ;
        MUnvList& list = P.Lists.List(listKind);
        std::unique_ptr<MUnvBase> entry = list.NewItem();
        if (list.Contains(number))
            entry->Assign(list.FindByNumber(number));
        entry->Number = number;
        for (int t = 1; t < Tokens.size(); ++t) {
            const QString& token = Tokens[t];
            const qsizetype eq = token.indexOf(QLatin1Char('='));
            const QString key = eq < 0 ? token : token.left(eq);
            const QString value = eq < 0 ? QString() : token.mid(eq + 1);
            switch (listKind) {
            case lkC:
                SetC(static_cast<MUnvC&>(*entry), key, value);
                break;
            case lkS:
                SetS(static_cast<MUnvS&>(*entry), token, key, value);
                break;
            case lkN:
                SetN(static_cast<MUnvN&>(*entry), token, key, value);
                break;
            case lkR:
                SetR(static_cast<MUnvR&>(*entry), token, key, value);
                break;
            case lkW:
                SetW(static_cast<MUnvW&>(*entry), key, value);
                break;
            case lkP:
                SetP(static_cast<MUnvP&>(*entry), key, value);
                break;
            case lkFS:
                SetFS(static_cast<MUnvFS&>(*entry), key, value);
                break;
            default:
                SetZ(static_cast<MUnvZ&>(*entry), key, value);
                break;
            }
        }
        MSwitchGuard noValidation(ListsAutoValidate, false);
        list.AddOrReplace(*entry);
    }

    void SetC(MUnvC& C, const QString& Key, const QString& Value) {
        int k = 0;
        if (Key == QLatin1String("W")) {
            C.From[0] = 1;
            C.To[0] = std::int32_t(1 + Int(Value));
        } else if (Key == QLatin1String("area") || Indexed(Key, "area", 8, k)) {
            k = std::max(k, 1);
            const QStringList ends = Value.split(QStringLiteral(".."));
            if (ends.size() != 2)
                Fail(FLine, QStringLiteral("an area is from..to"));
            C.From[std::size_t(k - 1)] = I32(ends[0]);
            C.To[std::size_t(k - 1)] = I32(ends[1]);
        } else if (Key == QLatin1String("picture")) {
            const QStringList size = Value.split(QLatin1Char('x'));
            if (size.size() != 2)
                Fail(FLine, QStringLiteral("picture is WIDTHxHEIGHT"));
            C.Width = I32(size[0]);
            C.Height = I32(size[1]);
        } else if (Key == QLatin1String("WE")) {
            C.WE = I32(Value);
        } else if (Key == QLatin1String("ST")) {
            C.ST = I32(Value);
        } else if (Key == QLatin1String("LB")) {
            C.LB = I32(Value);
        } else if (Key == QLatin1String("WA")) {
            C.WA = I32(Value);
        } else if (Key == QLatin1String("TZ")) {
            C.TZ = I32(Value);
        } else if (Key == QLatin1String("Time")) {
            C.Time = I32(Value);
        } else if (Key == QLatin1String("X1")) {
            C.X1 = I32(Value);
        } else if (Key == QLatin1String("Y1")) {
            C.Y1 = I32(Value);
        } else if (Key == QLatin1String("FT")) {
            for (std::int32_t r : List(Value)) {
                if (r < 1 || r > 8)
                    Fail(FLine, QStringLiteral("FT names carrier records 1..8"));
                C.CarrierStarts[std::size_t(r - 1)].FT = 1;
            }
        } else if (Indexed(Key, "FF", 8, k)) {
            C.CarrierStarts[std::size_t(k - 1)].FF = std::uint8_t(Int(Value));
        } else if (Indexed(Key, "start", 8, k)) {
            Fill(C.CarrierStarts[std::size_t(k - 1)].Positions, Value);
        } else if (Indexed(Key, "L", 8, k)) {
            Fill(C.OffsetTables[std::size_t(k - 1)].L, Value);
        } else if (Indexed(Key, "R", 8, k)) {
            Fill(C.OffsetTables[std::size_t(k - 1)].R, Value);
        } else {
            Unknown(Key);
        }
    }

    void SetS(MUnvS& S, const QString& Token, const QString& Key, const QString& Value) {
        if (IsCounter(Token)) {
            S.Counter = Counter(Token);
        } else if (Key == QLatin1String("Z")) {
            S.Type = 1;
            Range(Value, S.First, S.Count);
        } else if (Key == QLatin1String("cycle")) {
            S.Type = 2;
            Range(Value, S.First, S.Count);
        } else if (Key == QLatin1String("N")) {
            Range(Value, S.NFirst, S.NCount);
        } else if (Key == QLatin1String("P")) {
            Range(Value, S.PFirst, S.PCount);
        } else if (Key == QLatin1String("offset")) {
            S.Offset = std::uint8_t(Int(Value));
        } else {
            Unknown(Key);
        }
    }

    void SetN(MUnvN& N, const QString& Token, const QString& Key, const QString& Value) {
        if (IsCounter(Token)) {
            N.Counter = Counter(Token);
        } else if (Key == QLatin1String("X") || Key == QLatin1String("N")) {
            N.Type = Key == QLatin1String("X") ? 1 : 2;
            Range(Value, N.Start, N.Count);
        } else {
            Unknown(Key);
        }
    }

    void SetR(MUnvR& R, const QString& Token, const QString& Key, const QString& Value) {
        if (IsCounter(Token))
            R.Counter = Counter(Token);
        else if (Key == QLatin1String("offsets"))
            Fill(R.Offsets, Value);
        else
            Unknown(Key);
    }

    void SetW(MUnvW& W, const QString& Key, const QString& Value) {
        if (Key != QLatin1String("levels"))
            Unknown(Key);
        Fill(W.Levels, Value);
    }

    void SetP(MUnvP& P, const QString& Key, const QString& Value) {
        if (Key == QLatin1String("mode")) {
            P.Mode = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("dir")) {
            P.Dir = Value == QLatin1String(">")   ? 1
                    : Value == QLatin1String("<") ? 2
                                                  : std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("yc")) {
            P.Carriers.fill(0);
            for (std::int32_t c : List(Value)) {
                if (c < 1 || c > 8)
                    Fail(FLine, QStringLiteral("carriers are 1..8"));
                P.Carriers[std::size_t(c - 1)] = 1;
            }
        } else if (Key == QLatin1String("L")) {
            P.L = I32(Value);
        } else if (Key == QLatin1String("R")) {
            P.R = I32(Value);
        } else if (Key == QLatin1String("clrL")) {
            Colours(P.ClrsL, Value);
        } else if (Key == QLatin1String("clrR")) {
            Colours(P.ClrsR, Value);
        } else {
            Unknown(Key);
        }
    }

    void SetFS(MUnvFS& FS, const QString& Key, const QString& Value) {
        if (Key != QLatin1String("A") && Key != QLatin1String("B"))
            Unknown(Key);
        auto& counters = Key == QLatin1String("A") ? FS.CountersA : FS.CountersB;
        const QStringList items = Value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (items.size() > int(counters.size()))
            Fail(FLine, QStringLiteral("more than 8 counters"));
        for (int k = 0; k < items.size(); ++k)
            counters[std::size_t(k)] = Counter(items[k]);
    }

    void SetZ(MUnvZ& Z, const QString& Key, const QString& Value) {
        int k = 0;
        if (Indexed(Key, "cam", ZSlots, k)) {
            Z.CamCode[std::size_t(k - 1)] = std::uint8_t(CamIndex(Value));
        } else if (Indexed(Key, "ZT", ZSlots, k)) {
            Z.PatternLine[std::size_t(k - 1)] = I32(Value);
        } else if (Indexed(Key, "LG", ZSlots, k)) {
            Colours(Z.LG[std::size_t(k - 1)], Value);
        } else if (Indexed(Key, "KNF", ZSlots, k)) {
            Colours(Z.KNF[std::size_t(k - 1)], Value);
        } else if (Indexed(Key, "tying", ZSlots, k)) {
            Z.Tying[std::size_t(k - 1)] = std::uint8_t(Int(Value));
        } else if (Indexed(Key, "ycv", ZSystems, k)) {
            Z.Carriers[std::size_t(k - 1)].Value = std::uint8_t(Int(Value));
        } else if (Indexed(Key, "yc", ZSystems, k)) {
            MffMap& set = Z.Carriers[std::size_t(k - 1)];
            const std::uint8_t value = set.Value;
            set.Clear();
            set.Value = value;
            for (std::int32_t c : List(Value)) {
                if (c < 1 || c > 8)
                    Fail(FLine, QStringLiteral("carriers are 1..8"));
                set.SetBit(c - 1, 1);
            }
        } else if (Indexed(Key, "netv", ZSystems, k)) {
            Z.NetRearFront[std::size_t(k - 1)] = std::uint8_t(Int(Value));
        } else if (Indexed(Key, "net", ZSystems, k)) {
            Z.NetRear[std::size_t(k - 1)] = std::uint8_t(Int(Value));
        } else if (Indexed(Key, "rack", 2, k)) {
            const QStringList parts = Value.split(QLatin1Char(':'));
            MZRacking& r = Z.Racking[std::size_t(k - 1)];
            r.Position = I32(parts[0]);
            r.Transfer = 0;
            if (parts.size() > 1) {
                static const QStringList transfers{QStringLiteral("G"), QStringLiteral("U1"),
                                                   QStringLiteral("U2")};
                const qsizetype t = transfers.indexOf(parts[1]);
                if (t < 0)
                    Fail(FLine, QStringLiteral("a transfer is G, U1 or U2"));
                r.Transfer = std::uint8_t(t + 1);
            }
        } else if (Key == QLatin1String("FSF")) {
            Z.FSFront = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("FSR")) {
            Z.FSRear = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("FD")) {
            Z.FD = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("PA")) {
            Z.PA = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("ST")) {
            Z.ST = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("TZ")) {
            Z.TZ = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("PR")) {
            Z.PR = I32(Value);
        } else if (Key == QLatin1String("JV")) {
            Z.JV = std::uint8_t(Int(Value));
        } else if (Key == QLatin1String("WA2")) {
            Z.WA2.Value = I32(Value);
        } else if (Key == QLatin1String("WA2step")) {
            Z.WA2.Step = std::uint8_t(Int(Value));
        } else {
            Unknown(Key);
        }
    }

    // A cam code by its name without blanks ("JR+FK", "1:1") or by its index.
    int CamIndex(const QString& Name) const {
        for (int i = 0; i < CamCodeCount; ++i)
            if (CamCodeName(i).trimmed() == Name)
                return i;
        bool ok = false;
        const int index = Name.toInt(&ok);
        if (!ok || index < 0 || index >= CamCodeCount)
            Fail(FLine, QStringLiteral("\"%1\" is no cam code").arg(Name));
        return index;
    }

    // ---- The picture.
    int ReadPicture(const QStringList& Lines, int At, const QStringList& Tokens) {
        if (Tokens.size() > 1) {
            const QStringList size = Tokens[1].split(QLatin1Char('x'));
            if (size.size() != 2)
                Fail(FLine, QStringLiteral("picture is WIDTHxHEIGHT"));
            P.NewPicture(I32(size[0]), I32(size[1]));
            if (Tokens.size() > 2) {
                if (!Tokens[2].startsWith(QLatin1String("fill=")))
                    Fail(FLine, QStringLiteral("picture takes fill=INDEX"));
                P.Picture.Fill(P.Colors.Color(I32(Tokens[2].mid(5))));
            }
            return At;
        }
        std::vector<QStringList> rows;
        int i = At + 1;
        for (; i < Lines.size(); ++i) {
            const QString line = Lines[i].section(QLatin1Char('#'), 0, 0).simplified();
            if (line.isEmpty())
                continue;
            if (line[0].isLetter())
                break;
            rows.push_back(line.split(QLatin1Char(' ')));
            if (rows.back().size() != rows.front().size()) {
                FLine = i + 1;
                Fail(FLine, QStringLiteral("the picture's rows differ in length"));
            }
        }
        const int height = int(rows.size());
        const int width = height > 0 ? int(rows.front().size()) : 0;
        P.NewPicture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                P.Picture.SetPixel(x, y, P.Colors.Color(I32(rows[std::size_t(y)][x])));
        return i - 1;
    }

    MMemoryProject& P;
    int FLine = 0;
};
} // namespace

void LoadProjectScript(MMemoryProject& Project, const QString& Script) {
    MScriptReader(Project).Read(Script);
}

std::unique_ptr<MMemoryProject> BuildProject(const QString& Script) {
    auto project = std::make_unique<MMemoryProject>();
    LoadProjectScript(*project, Script);
    return project;
}
} // namespace kdstest
