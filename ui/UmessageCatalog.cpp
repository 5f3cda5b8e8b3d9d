#include "ui/UmessageCatalog.h"

#include "model/Ustrings.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QStringList>

namespace {
// A decimal integer with an optional sign, nothing else; false when it does not fit 32 bits.
bool ReadDecimal(const QString& Field, int& Value) {
    if (Field.isEmpty())
        return false;
    qsizetype i = 0;
    if (Field[0] == QLatin1Char('+') || Field[0] == QLatin1Char('-'))
        i = 1;
    if (i == Field.size())
        return false;
    for (qsizetype k = i; k < Field.size(); ++k)
        if (Field[k] < QLatin1Char('0') || Field[k] > QLatin1Char('9'))
            return false;
    bool ok = false;
    const int v = Field.toInt(&ok, 10);
    if (!ok)
        return false;
    Value = v;
    return true;
}

QStringList Split(const QString& S, QChar Sep) {
    QStringList list;
    SplitToStrings(list, S, Sep);
    return list;
}

// An argument put in a directional isolate: a path (holding "/") left to right, anything else in the
// direction of its first letter.
QString Isolated(const QString& Arg) {
    return (Arg.contains(QLatin1Char('/')) ? QChar(0x2066) : QChar(0x2068)) + Arg + QChar(0x2069);
}

// The capital Latin letters written against a slot at the end of Piece, as the kind "Z" of the
// entry "Z%": their count when they stand as a word of their own, after a character that is not a
// letter or at the start of the text (AtTextStart: Piece is the text's first piece); else 0.
qsizetype KindLetters(const QString& Piece, bool AtTextStart) {
    qsizetype n = 0;
    while (n < Piece.size() && Piece[Piece.size() - 1 - n] >= QLatin1Char('A') &&
           Piece[Piece.size() - 1 - n] <= QLatin1Char('Z'))
        ++n;
    if (n == 0)
        return 0;
    if (n == Piece.size())
        return AtTextStart ? n : 0;
    return Piece[Piece.size() - 1 - n].isLetter() ? 0 : n;
}
} // namespace

bool MMessageCatalog::LoadMessageFile(const QString& FileName) {
    FMessages.clear();
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > MaxFileSize)
        return false;
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize || file.error() != QFileDevice::NoError)
        return false;
    LoadFromBytes(bytes);
    return true;
}

void MMessageCatalog::LoadFromBytes(const QByteArray& Bytes) {
    LoadFromText(DecodeStoredText(Bytes));
}

void MMessageCatalog::LoadFromText(const QString& Text) {
    FMessages.clear();
    qsizetype start = 0;
    const qsizetype n = Text.size();
    MCatalogMessage message;
    while (start <= n) {
        qsizetype end = start;
        while (end < n && Text[end] != QLatin1Char('\r') && Text[end] != QLatin1Char('\n'))
            ++end;
        if (end > start && ParseLine(Text.mid(start, end - start), message))
            FMessages.push_back(message);
        if (end >= n)
            break;
        start = end + 1;
        if (Text[end] == QLatin1Char('\r') && start < n && Text[start] == QLatin1Char('\n'))
            ++start;
    }
}

bool MMessageCatalog::ParseLine(const QString& Line, MCatalogMessage& Message) {
    QStringList fields = Split(Line, QLatin1Char(';'));
    fields.append(QString());
    if (fields.size() < 5)
        return false;
    MCatalogMessage m;
    if (!ReadDecimal(fields[0], m.Language) || !ReadDecimal(fields[1], m.Code) ||
        !ReadDecimal(fields[2], m.SubCode))
        return false;
    m.Caption = fields[3];
    m.Text = fields[4];
    Message = std::move(m);
    return true;
}

bool MMessageCatalog::FindMessage(int Language, int Code, int SubCode, QString& Caption,
                                  QString& Text) const {
    for (const MCatalogMessage& m : FMessages)
        if (m.Language == Language && m.Code == Code && m.SubCode == SubCode) {
            Caption = m.Caption;
            Text = m.Text;
            return true;
        }
    return false;
}

void MMessageCatalog::LookupMessage(int Language, int Code, int SubCode, const QString& Args, QString& Text,
                                    QString& Caption, bool IsolateArguments) const {
    if (Code == 100)
        SubCode = 1;
    if (!FindMessage(Language, Code, SubCode, Caption, Text)) {
        Caption.clear();
        Text = MissingMessageText(Code, SubCode);
    }
    Text = BreakLines(FillArguments(Text, Args, IsolateArguments && Language == ArabicLanguage));
}

QString MMessageCatalog::MissingMessageText(int Code, int SubCode) {
    return QStringLiteral("Error Code:%1  SubCode:%2").arg(Code).arg(SubCode);
}

QString MMessageCatalog::FillArguments(const QString& Text, const QString& Args, bool Isolate) {
    const QStringList pieces = Split(Text, QLatin1Char('%'));
    if (pieces.size() < 2)
        return Text;
    const QStringList args = Split(Args, QLatin1Char(';'));
    QString result;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        if (i >= args.size())
            continue;
        const QString& piece = pieces[i];
        if (!Isolate || args[i].isEmpty()) {
            result += piece + args[i];
            continue;
        }
        // The kind written against the slot stands in the isolate with its number: "Z1" reads as
        // one word in an Arabic line, not "1Z".
        const qsizetype kind = KindLetters(piece, i == 0);
        result += piece.left(piece.size() - kind) + Isolated(piece.right(kind) + args[i]);
    }
    result += pieces.last();
    const qsizetype slotCount = pieces.size() - 1;
    if (args.size() > slotCount)
        result += Isolate && !args[slotCount].isEmpty() ? Isolated(args[slotCount]) : args[slotCount];
    return result;
}

QString MMessageCatalog::BreakLines(const QString& Text) {
    const QStringList pieces = Split(Text, QLatin1Char('@'));
    if (pieces.size() < 2)
        return Text;
    return pieces.join(QStringLiteral("\r\n"));
}
