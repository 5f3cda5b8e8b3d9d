#pragma once
// The cam codes of a knitting row: 27 five-character names, the byte each has in the machine program
// file, and the class each belongs to, with the family (transfer or knitting) and the variant that a
// class splits into. A Z row holds the index (0..26) of its cam code per needle bed.

#include <QString>

#include <array>
#include <cstdint>

constexpr int CamCodeCount = 27;

// Cam code indexes, in table order.
constexpr int camNone = 0, camJA = 1, camJR = 2, camJF = 3, camJU = 4, camJN = 5, camJFK = 6, camJRFK = 7,
              camJUJN = 8, camJRJF = 9, camJRLK = 10, camJRK = 11, camNA = 12, camJUNA = 13, camA = 14,
              camRR = 15, camF = 16, camJURR = 17, camJNRR = 18, cam11 = 19, camF11 = 20, camJU11 = 21,
              camJN11 = 22, cam21 = 23, camF21 = 24, camJU21 = 25, camJN21 = 26;

// Cam families: what a cam does with the loops of its bed.
constexpr int cfNone = 0, cfTransfer = 1, cfKnitting = 2;

// The 27 names, index 0 ("     ") to 26, each exactly five characters.
const std::array<QString, CamCodeCount>& CamCodeNames();
// The name of a cam code index; the blank name for an index outside 0..26.
QString CamCodeName(int Index);

// The 27 machine bytes, index 0..26.
const std::array<std::uint8_t, CamCodeCount>& CamCodeBytes();
// The machine byte of a cam code index; 0 for an index outside 0..26.
std::uint8_t CamCodeByte(int Index);
// The cam code index of a machine byte; 0 for a byte no cam code has.
int CamCodeOfByte(int Byte);

// The class (101..109) of a cam code index; 0 for an index outside 1..26.
int CamCodeClass(int Index);
// The variant and family a cam code's class splits into; both 0 for class 0.
void SplitCamCode(int Index, int& Variant, int& Family);
// The family of a cam code index (0 none, 1 transfer, 2 knitting).
int CamCodeFamily(int Index);
// The variant of a cam code index (0..4).
int CamCodeVariant(int Index);

// True when a front and a rear cam can work in one system: a cam that delivers or receives (JU,
// JN, NA and the cams made of them) needs one of those on the other bed, the two not both
// delivering or both receiving; every other cam, and a blank bed, needs a cam of neither kind. The
// row's check, its cam completion and its cam menu all ask this.
bool CamPairFits(int Front, int Rear);
