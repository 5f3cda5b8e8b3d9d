#pragma once
// The machine a project's program is written for: model, cam systems, gauge, the first word of the
// machine program file, and the named S-line ranges that came with the project.

#include "model/Ucommon.h"

#include <QString>

#include <cstdint>
#include <vector>

class ByteReader;

// Cam systems and needles per gauge unit of a machine model; 0 and 0 for a model not known.
struct MModelInfo {
    int Model;
    int Systems;
    int BedFactor;
};
// The known models, in ascending order.
const std::vector<MModelInfo>& KnownModels();
int SystemsOfModel(int Model);
int BedFactorOfModel(int Model);

class MMachineInfo {
public:
    std::int32_t Category = 4; // cam systems of Model; derived by UpdateCategory
    std::int32_t Model = 740;
    std::int32_t Gauge = 7;
    std::int32_t HeaderWord = 2;

    // Reads the header words that describe the machine: offset 0 (kept as HeaderWord), offset 10
    // (the model) and offset 12 (twice the gauge), big-endian. A model of 0 takes model and gauge
    // from the file name. Leaves the reader after the word at 12. A file shorter than 14 bytes is a
    // read error.
    void ReadFromMachineFile(ByteReader& Stream, const QString& FileName);
    void UpdateCategory() { Category = SystemsOfModel(Model); }
    int BedFactor() const { return BedFactorOfModel(Model); }
    int NeedleCount() const;

    void AddStrip(const MStrip& Record) { FStrips.push_back(Record); }
    MStrip& GetStrip(int Index);
    const MStrip& GetStrip(int Index) const;
    void DeleteStrip(int Index);
    void ClearStrips() { FStrips.clear(); }
    int StripCount() const { return int(FStrips.size()); }
    const std::vector<MStrip>& Strips() const { return FStrips; }
    int NextStripId() const;

    void Assign(const MMachineInfo& Source);

private:
    void CheckStripIndex(int Index) const;

    std::vector<MStrip> FStrips;
};
