#include "model/Ucommon.h"

#include "model/UcstmExp.h"
#include "platform/AppFolder.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstring>

bool ListsAutoValidate = true;
bool ListBoxShowHint = true;
int MachineIndex = 0;
int GaugeIndex = 0;
int PTLimit1 = 1, PTLimit2 = 1, PTLimit3 = 1, PTLimit4 = 1;
MMessageService* MessageBox = nullptr;

void ShowPlainText(const QString& Text) {
    if (MessageBox)
        MessageBox->ShowPlainMessage(Text);
}

QString AppPath() {
    return AppFolder();
}

QString SamplesPath() {
    return AppFile(QStringLiteral("Samples\\"));
}

namespace {
struct FileTypeEntry {
    const char* Ext;
    int Type;
};

constexpr FileTypeEntry FileTypeTable[] = {
    {"bmp", ftBmp}, {"jpg", ftJpg}, {"jpeg", ftJpg}, {"pcx", ftPcx}, {"tif", ftTif},
    {"wmf", ftWmf}, {"emf", ftEmf}, {"gif", ftGif},  {"png", ftPng}, {"ico", ftIco},
    {"cur", ftCur}, {"jxw", ftJxw}, {"lst", ftLst},
};

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

int FileTypeOfName(const QString& Name) {
    const QString file = FileNamePart(Name);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return ftNone;
    const QString ext = file.mid(dot + 1).toLower();
    for (const FileTypeEntry& e : FileTypeTable)
        if (ext == QLatin1String(e.Ext))
            return e.Type;
    return ftNone;
}

QString ExtensionOfFileType(int FileType) {
    static const char* const Ext[] = {"",     ".bmp", ".jpg", ".pcx", ".tif", ".wmf", ".emf",
                                      ".gif", ".png", ".ico", ".cur", ".JXW", ".LST"};
    if (FileType < 1 || FileType > 12)
        return QString();
    return QLatin1String(Ext[FileType]);
}

void ChangeFileType(QString& FileName, int FileType) {
    if (FileType < 1 || FileType > 12)
        return;
    const qsizetype nameStart = FileName.size() - FileNamePart(FileName).size();
    const qsizetype dot = FileName.indexOf(QLatin1Char('.'), nameStart);
    QString base = dot < 0 ? FileName : FileName.left(dot);
    FileName = base.trimmed() + ExtensionOfFileType(FileType);
}

QString BaseNameOf(const QString& Name) {
    const QString file = FileNamePart(Name);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return file;
    const QString ext = file.mid(dot + 1).toLower();
    const bool own =
        FileTypeOfName(file) != ftNone || ext == QLatin1String("mod") || ext == QLatin1String("pt2");
    return own ? file.left(dot) : file;
}

void ParseNumberSuffix(const QString& Name, int& Model, int& Gauge) {
    Model = 0;
    Gauge = 0;
    const QString file = FileNamePart(Name).toLower();
    const qsizetype us = file.lastIndexOf(QLatin1Char('_'));
    if (us < 0)
        return;
    const QString s = file.mid(us + 1);
    if (s.size() < 5 || !IsDigit(s[0]) || !IsDigit(s[1]) || !IsDigit(s[2]) || s[3] != QLatin1Char('e') ||
        !IsDigit(s[4]))
        return;
    Model = s.left(3).toInt();
    Gauge = s[4].digitValue();
    if (s.size() > 5 && IsDigit(s[5]))
        Gauge = Gauge * 10 + s[5].digitValue();
}

QString NumberedBaseName(const QString& Base, int Number) {
    const QString number = QStringLiteral("_") + QString::number(Number);
    const qsizetype us = Base.lastIndexOf(QLatin1Char('_'));
    const QString s = us < 0 ? QString() : Base.mid(us + 1);
    const bool machineEnding = (s.size() == 5 || s.size() == 6) && IsDigit(s[0]) && IsDigit(s[1]) &&
                               IsDigit(s[2]) && s[3].toLower() == QLatin1Char('e') && IsDigit(s[4]) &&
                               (s.size() == 5 || IsDigit(s[5]));
    return machineEnding ? Base.left(us) + number + Base.mid(us) : Base + number;
}

void CutAtUnderscore(const QString& Source, QString& Dest) {
    const qsizetype us = Source.indexOf(QLatin1Char('_'));
    Dest = us < 0 ? Source : Source.left(us);
}

bool IsOdd(int Value) {
    return Value % 2 > 0;
}

int AbsValue(int Value) {
    if (Value == std::numeric_limits<int>::min())
        RaiseOverflow();
    return Value < 0 ? -Value : Value;
}

bool MPTerror::Equals(const MPTerror& Other) const {
    return Code == Other.Code && SubCode == Other.SubCode && Args == Other.Args &&
           ListKind == Other.ListKind && Number == Other.Number;
}

MStrip MStrip::FromRecord(std::span<const std::uint8_t> record) {
    if (record.size() < std::size_t(RecordSize))
        throw EReadError(QStringLiteral("Strip record too short"));
    ByteReader r(record);
    MStrip s;
    s.Id = r.ReadI32LE();
    s.FirstS = r.ReadI32LE();
    s.LastS = r.ReadI32LE();
    r.ReadInto(s.Name.data(), NameSize);
    return s;
}

std::array<std::uint8_t, MStrip::RecordSize> MStrip::ToRecord() const {
    std::array<std::uint8_t, RecordSize> r{};
    auto put = [&](std::size_t o, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            r[o + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
    };
    put(0, Id);
    put(4, FirstS);
    put(8, LastS);
    std::memcpy(r.data() + 12, Name.data(), NameSize);
    return r;
}

QString MStrip::NameText() const {
    const auto end = std::find(Name.begin(), Name.end(), '\0');
    return DecodeStoredText(QByteArray(Name.data(), qsizetype(end - Name.begin())));
}

void MStrip::SetName(const QString& text) {
    QByteArray bytes = EncodeStoredText(text);
    Name.fill('\0');
    std::memcpy(Name.data(), bytes.constData(), std::min<std::size_t>(std::size_t(bytes.size()), NameSize));
}

void MStrip::Text(QString& S) const {
    S = NameText() + QStringLiteral(" S") + QString::number(FirstS) + QStringLiteral(" .. S") +
        QString::number(LastS);
}

QString MStrip::Text() const {
    QString s;
    Text(s);
    return s;
}
