#include "model/UModHeader.h"

#include "platform/Bytes.h"

#include <QStringList>

EModuleFile::EModuleFile(int SubCode, const QString& File_, const QString& Detail_)
    : MException(modmsg::Code, SubCode, Detail_.isEmpty() ? File_ : File_ + QLatin1Char(';') + Detail_),
      File(File_), Detail(Detail_) {}

int ModuleHeader::FirstLowLine() const {
    for (int k = 1; k <= 10; ++k)
        if (LowLines[std::size_t(k - 1)] != 0)
            return k;
    return -1;
}

int ModuleHeader::LastLowLine() const {
    for (int k = 10; k >= 1; --k)
        if (LowLines[std::size_t(k - 1)] != 0)
            return k;
    return -1;
}

namespace {

void Check(bool Ok, const QString& FileName, const char* Field) {
    if (!Ok)
        throw EModuleFile(modmsg::BadField, FileName, QString::fromLatin1(Field));
}

bool In(std::int64_t v, std::int64_t lo, std::int64_t hi) {
    return v >= lo && v <= hi;
}

bool ValidSide(std::int32_t v) {
    return v == SideUnused || v == SideLeft || v == SideRight;
}

QString Joined(const auto& Values) {
    QStringList parts;
    for (auto v : Values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(' '));
}

} // namespace

ModuleHeader ReadModuleHeader(const QByteArray& Bytes, const QString& FileName) {
    Check(Bytes.size() >= ModuleHeader::Size, FileName, "length");
    ByteReader r(reinterpret_cast<const std::uint8_t*>(Bytes.constData()), std::size_t(ModuleHeader::Size));
    ModuleHeader h;
    h.Systems = r.ReadI32LE();
    h.Model = r.ReadI32LE();
    r.Skip(5); // not read: two headers that differ only there are the same
    h.FirstColumn = r.ReadI32LE();
    h.LastColumn = r.ReadI32LE();
    h.FirstLine = r.ReadI32LE();
    h.LastLine = r.ReadI32LE();
    for (auto& b : h.LowLines)
        b = r.ReadU8();
    h.RackingHV = r.ReadI32LE();
    h.FrontFS = r.ReadI32LE();
    h.RearFS = r.ReadI32LE();
    h.RackingKind = r.ReadU8();
    h.SLineCount = r.ReadI32LE();
    for (auto& s : h.StartSides)
        s = r.ReadI32LE();
    for (auto& s : h.EndSides)
        s = r.ReadI32LE();

    Check(In(h.Systems, 0, 4), FileName, "Systems");
    Check(In(h.FirstColumn, 1, 2000), FileName, "FirstColumn");
    Check(In(h.LastColumn, 1, 2000) && h.FirstColumn <= h.LastColumn, FileName, "LastColumn");
    Check(In(h.FirstLine, 1, 1999), FileName, "FirstLine");
    Check(In(h.LastLine, 1, 1999) && h.FirstLine <= h.LastLine, FileName, "LastLine");
    Check(In(h.FrontFS, 0, 63), FileName, "FrontFS");
    Check(In(h.RearFS, 0, 63), FileName, "RearFS");
    Check(In(h.RackingKind, 0, 3), FileName, "RackingKind");
    Check(In(h.SLineCount, 1, 511), FileName, "SLineCount");
    for (auto s : h.StartSides)
        Check(ValidSide(s), FileName, "StartSides");
    for (auto s : h.EndSides)
        Check(ValidSide(s), FileName, "EndSides");
    return h;
}

QByteArray WriteModuleHeader(const ModuleHeader& h) {
    ByteWriter w;
    w.WriteI32LE(h.Systems);
    w.WriteI32LE(h.Model);
    for (int i = 0; i < 5; ++i)
        w.WriteU8(0);
    w.WriteI32LE(h.FirstColumn);
    w.WriteI32LE(h.LastColumn);
    w.WriteI32LE(h.FirstLine);
    w.WriteI32LE(h.LastLine);
    for (auto b : h.LowLines)
        w.WriteU8(b);
    w.WriteI32LE(h.RackingHV);
    w.WriteI32LE(h.FrontFS);
    w.WriteI32LE(h.RearFS);
    w.WriteU8(h.RackingKind);
    w.WriteI32LE(h.SLineCount);
    for (auto s : h.StartSides)
        w.WriteI32LE(s);
    for (auto s : h.EndSides)
        w.WriteI32LE(s);
    const auto& buf = w.Buffer();
    return QByteArray(reinterpret_cast<const char*>(buf.data()), qsizetype(buf.size()));
}

QStringList ModuleHeaderLines(const ModuleHeader& h) {
    const auto line = [](const char* Name, const QString& Value) {
        return QString::fromLatin1(Name) + QLatin1Char(' ') + Value;
    };
    return {line("Systems", QString::number(h.Systems)),
            line("Model", QString::number(h.Model)),
            line("FirstColumn", QString::number(h.FirstColumn)),
            line("LastColumn", QString::number(h.LastColumn)),
            line("FirstLine", QString::number(h.FirstLine)),
            line("LastLine", QString::number(h.LastLine)),
            line("LowLines", Joined(h.LowLines)),
            line("RackingHV", QString::number(h.RackingHV)),
            line("FrontFS", QString::number(h.FrontFS)),
            line("RearFS", QString::number(h.RearFS)),
            line("RackingKind", QString::number(h.RackingKind)),
            line("SLineCount", QString::number(h.SLineCount)),
            line("StartSides", Joined(h.StartSides)),
            line("EndSides", Joined(h.EndSides))};
}

int ModelFamily(int Model) {
    return Model == 721 ? 720 : Model;
}

bool ModuleFitsMachine(const ModuleHeader& Header, int MachineSystems, int MachineModel) {
    const bool entry720 = ModelFamily(Header.Model) == 720;
    const bool machine720 = ModelFamily(MachineModel) == 720;
    return (MachineSystems == 0 || MachineSystems == Header.Systems) && entry720 == machine720;
}
