// The record layouts of the machine program file: each kind's decoder on hand-made records, and a
// small machine file built byte by byte.
#include "model/Ucommon.h"
#include "model/UunvDta.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <map>

namespace {
QByteArray Hex(const char* Text) {
    return QByteArray::fromHex(Text);
}

template <typename T, typename F>
std::unique_ptr<T> Decode(const QByteArray& Record, F Decoder) {
    auto m = std::make_unique<T>();
    m->Number = 1;
    ByteReader r(Record);
    Decoder(r, *m);
    return m;
}

// A machine file put together table by table. Tables not given are empty; every table starts where
// the one in the slot before it ends, the first at 0xD6.
class FileBuilder {
public:
    struct Table {
        int Top = 0;
        int RecordSize = 0;
        QByteArray Bytes; // bitmap and records
    };
    int Model = 740;
    int Gauge = 7;
    std::map<int, Table> Tables; // by slot

    void Add(int Slot, int Top, int RecordSize, const QByteArray& Bitmap, const QByteArray& Records) {
        Tables[Slot] = {Top, RecordSize, Bitmap + Records};
    }

    QByteArray Build() const {
        ByteWriter w;
        w.WriteZeros(0xD6);
        w.Seek(0);
        w.WriteU16BE(2);
        w.Seek(0x0A);
        w.WriteU16BE(std::uint16_t(Model));
        w.WriteU16BE(std::uint16_t(Gauge * 2));
        std::uint32_t at = 0xD6;
        for (int slot = 0x30; slot <= 0x74; slot += 4) {
            const auto it = Tables.find(slot);
            const Table t = it == Tables.end() ? Table{} : it->second;
            w.Seek(std::size_t(slot));
            WriteLongSwapped(w, at);
            w.Seek(std::size_t(slot + 0x5E));
            w.WriteU16BE(std::uint16_t(t.Top));
            w.WriteU16BE(std::uint16_t(t.RecordSize));
            w.Seek(at);
            w.WriteBytes(t.Bytes.constData(), std::size_t(t.Bytes.size()));
            at += std::uint32_t(t.Bytes.size());
        }
        w.Seek(0x78);
        WriteLongSwapped(w, at);
        return w.ToByteArray();
    }
};

QByteArray Zeros(int N) {
    return QByteArray(N, '\0');
}
} // namespace

TEST(LstRecords, PRecords) {
    auto p = Decode<MUnvP>(Hex("8405") + Hex("80000001") + Hex("00000006"), DecodeP);
    EXPECT_EQ(p->Dir, 0);
    EXPECT_EQ(p->Mode, 8);
    EXPECT_EQ(p->Carriers, (std::array<std::uint8_t, 8>{1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(p->ClrsL.IsSet(31));
    EXPECT_TRUE(p->ClrsL.IsSet(0));
    EXPECT_EQ(p->ClrsL.Count(), 2);
    EXPECT_EQ(p->ClrsR.Count(), 2); // colours 1 and 2
    EXPECT_TRUE(p->ClrsR.IsSet(1));
    EXPECT_EQ(p->L, 0);

    p = Decode<MUnvP>(Hex("4280") + Hex("00010000") + Hex("000003E8"), DecodeP);
    EXPECT_EQ(p->Dir, 2);
    EXPECT_EQ(p->Mode, 2);
    EXPECT_EQ(p->Carriers[7], 1);
    EXPECT_EQ(p->L, 65536);
    EXPECT_EQ(p->R, 1000);
    EXPECT_EQ(p->ClrsL.Count(), 0);
    EXPECT_EQ(Decode<MUnvP>(Hex("3400") + Zeros(8), DecodeP)->Dir, 1); // bit 4 is ignored
    EXPECT_EQ(Decode<MUnvP>(Hex("3400") + Zeros(8), DecodeP)->Mode, 4);
    EXPECT_THROW(Decode<MUnvP>(Hex("0000") + Hex("80000000") + Zeros(4), DecodeP), ERangeError);
    EXPECT_THROW(Decode<MUnvP>(Hex("0000") + Zeros(7), DecodeP), EReadError);
}

TEST(LstRecords, NRSAndWRecords) {
    auto n = Decode<MUnvN>(Hex("8005FFFE0003"), DecodeN);
    EXPECT_EQ(n->Type, 2);
    EXPECT_EQ(n->Start, 5);
    EXPECT_EQ(n->Count, -2);
    EXPECT_EQ(n->Counter, (MCounter{1, 3}));
    n = Decode<MUnvN>(Hex("00000005800C"), DecodeN);
    EXPECT_EQ(n->Count, 0); // no count without a start
    EXPECT_EQ(n->Counter, (MCounter{2, 12}));

    auto s = Decode<MUnvS>(Hex("800A FFFD 4007 0003 0002 0000 0005 0000"), DecodeS);
    EXPECT_EQ(s->Type, 2);
    EXPECT_EQ(s->First, 10);
    EXPECT_EQ(s->Count, -3);
    EXPECT_EQ(s->Counter, (MCounter{3, 7}));
    EXPECT_EQ(s->NFirst, 3);
    EXPECT_EQ(s->NCount, 2);
    EXPECT_EQ(s->PFirst, 0);
    EXPECT_EQ(s->PCount, 0);
    EXPECT_EQ(s->Offset, 1); // 0 reads as 1
    EXPECT_EQ(Decode<MUnvS>(Hex("0000 0000 8001 0000 0000 0000 0000 0008"), DecodeS)->Counter,
              (MCounter{2, 1}));
    EXPECT_EQ(Decode<MUnvS>(Hex("0000 0000 C001 0000 0000 0000 0000 0008"), DecodeS)->Counter.Kind, 4);
    EXPECT_THROW(Decode<MUnvS>(Hex("0000 0000 0000 0000 0000 0000 0000 0100"), DecodeS), ERangeError);

    auto w = Decode<MUnvW>(Hex("0001 0002 0003 0004 0005 0006 0007 270F"), DecodeW);
    EXPECT_EQ(w->Levels, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 9999}));
}

TEST(LstRecords, RRecordsAndTheRotatedSlotsOf720) {
    const QByteArray record = Hex("0005 0001 0002 0003 0004 0005 0006 0007 FFF8");
    auto plain = std::make_unique<MUnvR>();
    ByteReader r1(record);
    DecodeR(r1, *plain, false);
    EXPECT_EQ(plain->Counter, (MCounter{1, 5}));
    EXPECT_EQ(plain->Offsets, (MBedValues{1, 2, 3, 4, 5, 6, 7, -8}));
    auto rotated = std::make_unique<MUnvR>();
    ByteReader r2(record);
    DecodeR(r2, *rotated, true);
    EXPECT_EQ(rotated->Offsets, (MBedValues{7, -8, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(RotatedModel(720));
    EXPECT_TRUE(RotatedModel(721));
    EXPECT_FALSE(RotatedModel(740));
}

TEST(LstRecords, StitchLengthRecords) {
    QByteArray fs;
    for (int j = 0; j < 8; ++j)
        fs += Hex("0010") + Hex("8003");
    auto s = Decode<MUnvFS>(fs, DecodeFS);
    EXPECT_EQ(s->CountersA[7], (MCounter{1, 16}));
    EXPECT_EQ(s->CountersB[0], (MCounter{2, 3}));

    auto d = Decode<MUnvFD>(Hex("0005FFFE 00000003") + Zeros(24), DecodeFD);
    EXPECT_EQ(d->FirstFE[0], 5);
    EXPECT_EQ(d->CountFE[0], -2);
    EXPECT_EQ(d->FirstFE[1], 0);
    EXPECT_EQ(d->CountFE[1], 0);

    auto e = Decode<MUnvFE>(Hex("00000005 FFF4 4005 0028 8010"), DecodeFE);
    EXPECT_EQ(e->Colors.Count(), 2);
    EXPECT_TRUE(e->Colors.IsSet(2));
    EXPECT_EQ(e->Difference, -12);
    EXPECT_EQ(e->StartPoint, 2);
    EXPECT_EQ(e->VerticalStep, 5);
    EXPECT_EQ(e->HorizontalStep, 40);
    EXPECT_EQ(e->Offset, -16);
    EXPECT_EQ(Decode<MUnvFE>(Hex("00000000 0000 8000 0000 0000"), DecodeFE)->StartPoint, 1);
}

TEST(LstRecords, CRecordSizes) {
    // 864 bytes: needle areas at 32 when the table is no longer than 864; 800..863 ignored.
    ByteWriter w;
    w.WriteZeros(1120);
    w.Seek(0);
    w.WriteU16BE(2); // WE 3
    w.Seek(16);
    w.WriteU16BE(0); // X1 1
    w.WriteU16BE(9); // Y1 10
    w.Seek(32);
    w.WriteU16BE(11);
    w.WriteU16BE(110);
    w.Seek(64);
    w.WriteU16BE(0xE005); // carrier 0, position 7: bits 15, 14 ignored, sign bit 13
    w.Seek(448);
    w.WriteU16BE(0x0307); // FF of carrier 0: the low byte
    w.Seek(464 + 2);
    w.WriteU16BE(0x0003); // FT of carrier 1: bit 0
    w.Seek(544);
    w.WriteBytes("\xF6\x02\xFF\xFE\x00\x05\x01\x2C", 8); // HV -10, UV 2, KORR -2, DEHN 5, GESH 300
    w.Seek(800);
    w.WriteU16BE(21);
    w.WriteU16BE(121);
    const QByteArray bytes = w.ToByteArray();

    auto c = std::make_unique<MUnvC>();
    ByteReader r(bytes);
    DecodeC(r, *c, 864, 864);
    EXPECT_EQ(c->WE, 3);
    EXPECT_EQ(c->X1, 1);
    EXPECT_EQ(c->Y1, 10);
    EXPECT_EQ(c->From[0], 11);
    EXPECT_EQ(c->To[0], 110);
    EXPECT_EQ(c->CarrierStarts[0].Positions[7], -5);
    EXPECT_EQ(c->CarrierStarts[0].FF, 7);
    EXPECT_EQ(c->CarrierStarts[1].FT, 1);
    EXPECT_EQ(c->RackCorrection1[0], (MRackCorrection{-10, 2, -2, 5, 300}));

    c = std::make_unique<MUnvC>();
    r.Seek(0);
    DecodeC(r, *c, 1120, 1120); // the longer table takes its areas from 800
    EXPECT_EQ(c->From[0], 21);
    EXPECT_EQ(c->To[0], 121);

    c = std::make_unique<MUnvC>();
    r.Seek(0);
    DecodeC(r, *c, 448, 448); // the shortest record has no flags and no rack corrections
    EXPECT_EQ(c->From[0], 11);
    EXPECT_EQ(c->CarrierStarts[0].FF, 0);
    EXPECT_EQ(c->RackCorrection1[0].GESH, 0);

    c = std::make_unique<MUnvC>();
    r.Seek(0);
    DecodeC(r, *c, 600, 600); // only the sections that lie wholly inside the record
    EXPECT_EQ(c->CarrierStarts[0].FF, 7);
    EXPECT_EQ(c->RackCorrection1[0].GESH, 0);

    const QByteArray cut = bytes.left(500);
    ByteReader shortReader(cut);
    EXPECT_THROW(DecodeC(shortReader, *c, 864, 864), EReadError);
}

namespace {
// A file with one Z row, number 1, whose sub-record C (number 1) names the second-level records.
FileBuilder OneZRow(const char* SubRecords2) {
    FileBuilder b;
    b.Add(0x34, 255, 16, Hex("40") + Zeros(31), Hex(SubRecords2));
    b.Add(0x70, 999, 8, Hex("40") + Zeros(124), Hex("0001 0000 0000 0000"));
    return b;
}

std::unique_ptr<MProgramLists> Read(const FileBuilder& b) {
    auto program = std::make_unique<MProgramLists>();
    ReadMachineFile(b.Build(), QString(), program->Machine, program->Lists());
    return program;
}
} // namespace

TEST(LstRecords, ZSettingsOfSubRecordG) {
    struct Case {
        const char* Bytes01;
        int Step, Value, Mode;
    };
    const Case cases[] = {
        {"0005", 2, 1, 0},  // bits 4..6 clear: step 2, and a step above 1 makes the value 1
        {"0000", 0, 0, 0},  // value 0: no step
        {"8083", 3, 1, 1},  //
        {"3085", 1, -5, 1}, // bit 4: step 1; bit 5: negative
        {"4009", 0, 9, 0},  // bit 6: no step
        {"6009", 0, -9, 0}, //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bytes01);
        FileBuilder b = OneZRow("0000 0000 0000 0000 0000 0000 003F 0000"); // G number 63
        b.Add(0x50, 63, 16, Zeros(7) + Hex("01"),
              Hex(c.Bytes01) + Hex("83 81 00 5A") + Zeros(6) + Hex("0009 00 01"));
        const auto program = Read(b);
        const MUnvZ& z = program->Z.GetZ(1);
        EXPECT_EQ(z.WA2.Step, c.Step);
        EXPECT_EQ(z.WA2.Value, c.Value);
        EXPECT_EQ(z.WA2.Mode, c.Mode);
        EXPECT_EQ(z.PB.Value, -2); // sign bit 7, magnitude 3 less 1
        EXPECT_EQ(z.TZ, 1);        // 129 less 128
        EXPECT_EQ(z.PB.Mode, 1);
        EXPECT_EQ(z.BlowerCleaning, 1);
        EXPECT_EQ(z.Unipress, (std::array<std::uint8_t, 4>{0, 1, 0, 1}));
        EXPECT_EQ(z.Tying[0], 2); // even slot 0: bit 1 + 2 x bit 0
        EXPECT_EQ(z.Tying[1], 2); // odd slot 1: bit 2 + 2 x bit 3
        EXPECT_EQ(z.Tying[2], 0);
        EXPECT_EQ(z.ST, 1);
    }
}

TEST(LstRecords, ZSettingsOfSubRecordHAndTheOtherSubRecords) {
    // Second level: D 1, E 1, FS front 12, FS rear 13, FD 14, F 1, G none, H 1.
    FileBuilder b = OneZRow("0001 0001 000C 000D 000E 0001 0000 0001");
    b.Add(0x38, 255, 16, Hex("40") + Zeros(31), Hex("0007 0089 0011 0045 0000 0000 0001 0185"));
    b.Add(0x44, 255, 8, Hex("40") + Zeros(31), Hex("0305 0000 0080 0001"));
    b.Add(0x4C, 63, 8, Hex("40") + Zeros(7), Hex("800A 0201 0003 0100"));
    b.Add(0x54, 63, 18, Hex("40") + Zeros(7), Hex("02 40 00000003 8B 40 00 00 01 85 20 85") + Zeros(4));
    const auto program = Read(b);
    const MUnvZ& z = program->Z.GetZ(1);
    EXPECT_EQ(z.CamCode, (std::array<std::uint8_t, 8>{0, 13, 14, 26, 0, 0, 1, 0}));
    EXPECT_EQ(z.Carriers[0].Value, 3);
    EXPECT_EQ(z.Carriers[0].Bits[0], 5); // carriers 1 and 3
    EXPECT_EQ(z.Carriers[2].Value, 0);
    EXPECT_TRUE(z.Carriers[2].IsSet(7));
    EXPECT_EQ(z.Carriers[3].GetByte(), 1);
    EXPECT_EQ(z.FSFront, 12);
    EXPECT_EQ(z.FSRear, 13);
    EXPECT_EQ(z.FD, 14);
    EXPECT_EQ(z.Racking[0], (MZRacking{-10, 2, 1}));
    EXPECT_EQ(z.Racking[1], (MZRacking{3, 1, 0}));
    EXPECT_EQ(z.JV, 2);
    EXPECT_EQ(z.FDMirror, 0x40);
    EXPECT_EQ(z.FDColors.GetDWord(), 3u);
    EXPECT_EQ(z.NetRearFront, (std::array<std::uint8_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(z.NetRear, (std::array<std::uint8_t, 4>{11, 64, 0, 0}));
    EXPECT_EQ(z.PA, 1);
    EXPECT_EQ(z.PR, -4);
    EXPECT_EQ(z.WA1.Value, -5);
    EXPECT_EQ(z.WA1.Mode, 1);
    EXPECT_EQ(z.WA2.Step, 0); // no sub-record G: defaults
    EXPECT_EQ(z.PatternLine[0], 0);
}

TEST(LstRecords, ZSubRecordsThatAreNotThereKeepTheDefaults) {
    struct Case {
        const char* Name;
        int Top;
        const char* Bitmap;
        const char* Records;
        bool Present;
    };
    // Pattern lines through sub-record B number 2.
    const Case cases[] = {
        {"present", 999, "60", "0001000200030004000500060007000800090009000900090009000900090009", true},
        {"absent from the bitmap", 999, "50",
         "0001000200030004000500060007000800090009000900090009000900090009", false},
        {"beyond the records", 999, "60", "00010002000300040005000600070008", false},
        {"above the top number", 1, "40", "0001000200030004000500060007000800090009000900090009000900090009",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FileBuilder b;
        b.Add(0x34, 255, 16, Hex("40") + Zeros(31), Zeros(16));
        b.Add(0x58, c.Top, 16, Hex(c.Bitmap) + Zeros(BitmapSizeOf(c.Top) - 1), Hex(c.Records));
        b.Add(0x70, 999, 8, Hex("40") + Zeros(124), Hex("0001 0002 0000 0000"));
        const auto program = Read(b);
        const MUnvZ& z = program->Z.GetZ(1);
        EXPECT_EQ(z.PatternLine[0], c.Present ? 9 : 0);
        EXPECT_EQ(z.PatternLine[7], c.Present ? 9 : 0);
    }
}

TEST(LstRecords, AHandBuiltMachineFile) {
    FileBuilder b;
    b.Model = 720;
    b.Gauge = 5;
    // P: numbers 1, 2 and 8 present, three records.
    b.Add(0x60, 127, 10, Hex("6080") + Zeros(14),
          Hex("0001 00000001 00000002") + Hex("0102 00000003 00000004") + Hex("4203 00000005 00000006"));
    // N: number 3, with two surplus bytes between bitmap and record.
    b.Add(0x5C, 127, 6, Hex("10") + Zeros(15), Hex("FFFF") + Hex("0004 0002 8001"));
    // S: a record of number 0 (bit 0 set) is skipped; number 1 follows.
    b.Add(0x68, 255, 16, Hex("C0") + Zeros(31),
          Hex("0009 0000 0000 0000 0000 0000 0000 0001") + Hex("0005 0001 0002 0000 0000 0000 0000 0003"));
    // W: one number (5) for two records: the surplus record has number 0 and is skipped.
    b.Add(0x6C, 255, 16, Hex("04") + Zeros(31), Hex("0001 0001 0001 0001 0001 0001 0001 0001") + Zeros(16));
    // Z row 1 with pattern lines through sub-record B 1; the rotated slots of model 720.
    b.Add(0x34, 255, 16, Hex("40") + Zeros(31), Zeros(16));
    b.Add(0x58, 999, 16, Hex("40") + Zeros(124), Hex("0011 0012 0013 0014 0015 0016 0017 0018"));
    b.Add(0x70, 999, 8, Hex("40") + Zeros(124), Hex("0001 0001 0000 0000"));
    // C: one record of 1120 bytes, last in the file.
    QByteArray c = Zeros(1120);
    c[1] = 4; // WE 5
    b.Add(0x74, 0, 1120, QByteArray(), c);
    const QByteArray file = b.Build();

    MProgramLists program;
    program.P.Modified = false;
    ReadMachineFile(file, QStringLiteral("x_740e7.LST"), program.Machine, program.Lists());
    EXPECT_EQ(program.Machine.Model, 720);
    EXPECT_EQ(program.Machine.Gauge, 5);
    EXPECT_EQ(program.Machine.Category, 4);
    EXPECT_EQ(program.Machine.HeaderWord, 2);
    ASSERT_EQ(program.P.Count(), 3);
    EXPECT_EQ(program.P.ItemAt(0).Number, 1);
    EXPECT_EQ(program.P.ItemAt(1).Number, 2);
    EXPECT_EQ(program.P.ItemAt(2).Number, 8);
    EXPECT_EQ(program.P.GetP(8).Dir, 2);
    EXPECT_EQ(program.P.GetP(8).L, 5);
    EXPECT_EQ(program.P.GetP(2).Carriers[1], 1);
    EXPECT_TRUE(program.P.Modified);
    EXPECT_EQ(program.N.GetN(3).Start, 4);
    EXPECT_EQ(program.N.GetN(3).Counter, (MCounter{2, 1}));
    ASSERT_EQ(program.S.Count(), 1);
    EXPECT_EQ(program.S.GetS(1).First, 5);
    EXPECT_EQ(program.S.GetS(1).Offset, 3);
    EXPECT_EQ(program.Z.GetZ(1).PatternLine[2], 0x11); // file slot 0 is slot 2 on a 720
    EXPECT_EQ(program.Z.GetZ(1).PatternLine[1], 0x18);
    EXPECT_EQ(program.Z.GetZ(1).SubRecords[1], 1);
    ASSERT_EQ(program.C.Count(), 1);
    EXPECT_EQ(program.C.GetC(1).WE, 5);
    EXPECT_EQ(program.C.GetC(1).X1, 1);
    EXPECT_EQ(program.R.Count(), 0);
    ASSERT_EQ(program.W.Count(), 1);
    EXPECT_EQ(program.W.GetW(5).Levels[0], 1);
    EXPECT_TRUE(ListsAutoValidate);

    // The slot after C does not matter, not even an offset of 2^31 or more.
    QByteArray other = file;
    MProgramLists again;
    for (char high : {'\x00', '\x80', '\xFF'}) {
        other[0x78] = char(0xFF);
        other[0x7A] = high;
        ReadMachineFile(other, QString(), again.Machine, again.Lists());
        EXPECT_EQ(again.C.Count(), 1) << int(high);
    }

    // A model word of 0 takes model and gauge from the file name.
    other[0x0A] = other[0x0B] = 0;
    ReadMachineFile(other, QStringLiteral("/a/b/KNIT_746e12.LST"), again.Machine, again.Lists());
    EXPECT_EQ(again.Machine.Model, 746);
    EXPECT_EQ(again.Machine.Gauge, 12);
    EXPECT_EQ(again.Z.GetZ(1).PatternLine[0], 0x11);
}

TEST(LstRecords, AListThatCannotReadItsTableKeepsItsModules) {
    FileBuilder b;
    b.Add(0x60, 127, 10, Hex("40") + Zeros(15), Hex("0000 80000000 00000000")); // a needle of 2^31
    b.Add(0x34, 255, 16, Hex("40") + Zeros(31), Hex("0000 0000 0100 0000 0000 0000 0000 0000"));
    b.Add(0x70, 999, 8, Hex("40") + Zeros(124), Hex("0001 0000 0000 0000")); // FS front 256
    const QByteArray file = b.Build();
    MProgramLists program;
    {
        MSwitchGuard off(ListsAutoValidate, false);
        MUnvP p;
        p.Number = 9;
        program.P.AddOrReplace(p);
        MUnvZ z;
        z.Number = 4;
        program.Z.AddOrReplace(z);
    }
    program.P.Modified = program.Z.Modified = false;
    const int top = program.Z.SubTables[zstA].TopNumber;
    for (MUnvList* list : {static_cast<MUnvList*>(&program.P), static_cast<MUnvList*>(&program.Z)}) {
        ByteReader r(file);
        EXPECT_THROW(list->LoadFromStream(r), ERangeError);
        ASSERT_EQ(list->Count(), 1);
        EXPECT_FALSE(list->Modified);
        EXPECT_TRUE(ListsAutoValidate);
    }
    EXPECT_EQ(program.P.ItemAt(0).Number, 9);
    EXPECT_EQ(program.Z.ItemAt(0).Number, 4);
    EXPECT_EQ(program.Z.SubTables[zstA].TopNumber, top);
    EXPECT_EQ(program.P.TableHeader.TopNumber, 0);
}
