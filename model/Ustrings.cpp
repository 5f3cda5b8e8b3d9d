#include "model/Ustrings.h"

#include <cstdint>

namespace {
bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 32;
}

QString TrimControls(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlankOrControl(s[b]))
        ++b;
    while (e > b && IsBlankOrControl(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}
} // namespace

void ExtractToken(const QString& S, int& Pos, QChar Sep, QString& Token) {
    if (S.isEmpty())
        return;
    const qsizetype start = qsizetype(Pos) - 1; // 0-based
    if (start >= S.size() || start < 0) {
        Token.clear();
        return;
    }
    const qsizetype sep = S.indexOf(Sep, start);
    const qsizetype end = sep < 0 ? S.size() : sep;
    Token = TrimControls(S.mid(start, end - start));
    Pos = int(sep < 0 ? S.size() + 1 : sep + 2);
}

void SplitToStrings(QStringList& List, const QString& S, QChar Sep) {
    if (S.isEmpty())
        return;
    List.clear();
    int pos = 1;
    QString token;
    while (pos <= S.size()) {
        ExtractToken(S, pos, Sep, token);
        List.append(token);
    }
}

void IntToStrPadded(int Value, int Digits, bool ShowPlus, QString& Result) {
    Result.clear();
    if (Value < 0)
        Result += QLatin1Char('-');
    else if (ShowPlus)
        Result += QLatin1Char('+');
    const std::int64_t magnitude = Value < 0 ? -std::int64_t(Value) : std::int64_t(Value);
    std::int64_t power = 1;
    for (int k = 1; k < Digits; ++k) {
        if (power <= magnitude)
            power *= 10; // stops growing once it passes every 32-bit magnitude
        if (magnitude / power == 0)
            Result += QLatin1Char('0');
    }
    Result += QString::number(magnitude);
}

QString IntToStrPadded(int Value, int Digits, bool ShowPlus) {
    QString r;
    IntToStrPadded(Value, Digits, ShowPlus, r);
    return r;
}
