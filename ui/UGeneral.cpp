#include "ui/UGeneral.h"

int CountSeparators(const QString& S) {
    return static_cast<int>(S.count(QLatin1Char(';')));
}

int FindSeparator(const QString& S, int n) {
    if (n < 1)
        return 0;
    int seen = 0;
    for (qsizetype i = 0; i < S.size(); ++i)
        if (S[i] == QLatin1Char(';') && ++seen == n)
            return static_cast<int>(i) + 1;
    return -1;
}

namespace {
// The field n as text; false when the list has no such field.
bool Field(const QString& S, int n, qsizetype& start, qsizetype& end) {
    if (n < 0)
        return false;
    if (n == 0) {
        start = 0;
    } else {
        const int p = FindSeparator(S, n);
        if (p < 0)
            return false;
        start = p; // the 1-based position of the separator is the 0-based start of the field
    }
    end = S.indexOf(QLatin1Char(';'), start);
    if (end < 0)
        end = S.size();
    return true;
}
} // namespace

int GetListValue(const QString& S, int n) {
    qsizetype start = 0, end = 0;
    if (!Field(S, n, start, end))
        return -1;
    const QString field = S.mid(start, end - start).trimmed();
    if (field.isEmpty())
        return -1;
    bool ok = false;
    const int v = field.toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(field));
    return v;
}

void SetListValue(QString& S, int n, int Value, int Filler) {
    if (n < 0)
        return;
    // Indexes are languages; a far larger one is a caller's mistake, not a reason to grow the text
    // without bound.
    if (n > MaxListField)
        throw ERangeError(QStringLiteral("List field %1 out of range").arg(n));
    qsizetype start = 0, end = 0;
    if (Field(S, n, start, end)) {
        S.replace(start, end - start, QString::number(Value));
        return;
    }
    for (int k = CountSeparators(S) + 1; k < n; ++k)
        S += QLatin1Char(';') + QString::number(Filler);
    S += QLatin1Char(';') + QString::number(Value);
}
