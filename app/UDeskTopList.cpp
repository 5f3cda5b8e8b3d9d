#include "app/UDeskTopList.h"

#include <QStringDecoder>

#include <optional>

namespace {

std::optional<QString> DecodeLine(QByteArrayView Line) {
    if (Line.endsWith('\r'))
        Line.chop(1);
    if (Line.isEmpty())
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(Line);
    if (utf8.hasError() || s.contains(QChar(0)) || s.contains(QLatin1Char('\r')))
        return std::nullopt;
    return s;
}

bool Writable(const QString& Name) {
    return !Name.isEmpty() && !Name.contains(QLatin1Char('\n')) && !Name.contains(QLatin1Char('\r')) &&
           !Name.contains(QChar(0));
}

} // namespace

std::vector<TDeskTopPair> ParseDeskTopList(const QByteArray& Bytes) {
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < Bytes.size()) {
        qsizetype end = Bytes.indexOf('\n', start);
        if (end < 0)
            end = Bytes.size();
        lines.push_back(QByteArrayView(Bytes).sliced(start, end - start));
        start = end + 1;
    }
    std::vector<TDeskTopPair> pairs;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        auto reopen = DecodeLine(lines[i]);
        auto own = DecodeLine(lines[i + 1]);
        if (reopen && own)
            pairs.push_back({*reopen, *own});
    }
    return pairs;
}

QByteArray FormatDeskTopList(const std::vector<TDeskTopPair>& Pairs) {
    QByteArray out;
    for (const TDeskTopPair& p : Pairs) {
        if (!Writable(p.ReopenName) || !Writable(p.OwnName))
            continue;
        out += p.ReopenName.toUtf8() + "\r\n" + p.OwnName.toUtf8() + "\r\n";
    }
    return out;
}
