#include "model/UprojInfo.h"

#include "model/ULstFile.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <algorithm>

const std::vector<MModelInfo>& KnownModels() {
    static const std::vector<MModelInfo> models = {
        {706, 2, 90}, {708, 1, 44}, {710, 1, 44}, {712, 2, 90}, {720, 4, 90}, {721, 4, 48}, {725, 2, 48},
        {728, 2, 48}, {729, 2, 48}, {740, 4, 90}, {745, 2, 90}, {746, 4, 90}, {748, 2, 44},
    };
    return models;
}

namespace {
const MModelInfo* FindModel(int Model) {
    for (const MModelInfo& m : KnownModels())
        if (m.Model == Model)
            return &m;
    return nullptr;
}
} // namespace

int SystemsOfModel(int Model) {
    const MModelInfo* m = FindModel(Model);
    return m ? m->Systems : 0;
}

int BedFactorOfModel(int Model) {
    const MModelInfo* m = FindModel(Model);
    return m ? m->BedFactor : 0;
}

void MMachineInfo::ReadFromMachineFile(ByteReader& Stream, const QString& FileName) {
    if (!Stream.Contains(lstGaugePos, 2))
        throw EReadError(QStringLiteral("The machine file is too short to hold its header"));
    Stream.Seek(lstHeaderWordPos);
    HeaderWord = Stream.ReadU16BE();
    Stream.Seek(lstModelPos);
    Model = Stream.ReadU16BE();
    Stream.Seek(lstGaugePos);
    Gauge = Stream.ReadU16BE() / 2;
    if (Model == 0)
        ParseNumberSuffix(FileName, Model, Gauge);
    UpdateCategory();
}

int MMachineInfo::NeedleCount() const {
    return CheckedMul<std::int32_t>(BedFactor(), Gauge);
}

void MMachineInfo::CheckStripIndex(int Index) const {
    if (Index < 0 || Index >= StripCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

MStrip& MMachineInfo::GetStrip(int Index) {
    CheckStripIndex(Index);
    return FStrips[std::size_t(Index)];
}

const MStrip& MMachineInfo::GetStrip(int Index) const {
    CheckStripIndex(Index);
    return FStrips[std::size_t(Index)];
}

void MMachineInfo::DeleteStrip(int Index) {
    CheckStripIndex(Index);
    FStrips.erase(FStrips.begin() + Index);
}

int MMachineInfo::NextStripId() const {
    std::int32_t top = 0;
    for (const MStrip& s : FStrips)
        top = std::max(top, s.Id);
    return CheckedAdd<std::int32_t>(top, 1);
}

void MMachineInfo::Assign(const MMachineInfo& Source) {
    Category = Source.Category;
    Model = Source.Model;
    Gauge = Source.Gauge;
    HeaderWord = Source.HeaderWord;
    FStrips = Source.FStrips;
}
