// The table layer of the machine program file: offsets, bitmaps, layouts and table headers.
#include "model/ULstFile.h"
#include "model/UunvBase.h"
#include "model/UunvList.h"
#include "platform/Bytes.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

TEST(LstTables, DirectoryInSlotOrder) {
    const auto& dir = TableDirectory();
    for (std::size_t i = 0; i < dir.size(); ++i)
        EXPECT_EQ(dir[i].SlotPos, 0x30 + 4 * int(i));
    EXPECT_EQ(MainTableInfo(lkP).SlotPos, 0x60);
    EXPECT_EQ(MainTableInfo(lkZ).SlotPos, 0x70);
    EXPECT_EQ(MainTableInfo(lkC).RecordSize, 1120);
    EXPECT_EQ(ZSubTableInfo(zstB).SlotPos, 0x58);
    EXPECT_EQ(ZSubTableInfo(zstH).RecordSize, 18);
    TTableHeader h;
    h.Describe(MainTableInfo(lkS));
    EXPECT_EQ(h.SizePos, 0xC6);
    EXPECT_EQ(h.WriteLimit, 255);
    EXPECT_EQ(h.RecordSize, 16);
    EXPECT_THROW(MainTableInfo(11), ERangeError);
}

TEST(LstTables, OffsetsAreTwoWordsLowWordFirst) {
    const QByteArray bytes = QByteArray::fromHex("1234000100008000");
    ByteReader r(bytes);
    EXPECT_EQ(ReadLongSwapped(r), 0x11234u);
    EXPECT_THROW(ReadLongSwapped(r), EReadError); // 0x80000000
    ByteWriter w;
    WriteLongSwapped(w, 70196);
    EXPECT_EQ(w.ToByteArray(), QByteArray::fromHex("12340001"));
}

TEST(LstTables, BitmapsAndCounting) {
    for (auto [top, size] : {std::pair{0, 0}, {7, 1}, {8, 2}, {127, 16}, {1999, 250}, {65535, 8192}})
        EXPECT_EQ(BitmapSizeOf(top), size) << top;
    EXPECT_EQ(CountBits8(0), 0);
    EXPECT_EQ(CountBits8(0xFF), 8);
    EXPECT_EQ(CountBits8(0x61), 3);
    const std::uint8_t bits[] = {0x60, 0x80};
    EXPECT_EQ(DecodeBitmap(bits), (std::vector<std::uint16_t>{1, 2, 8}));
    ByteWriter w;
    const std::uint16_t numbers[] = {1, 2, 8, 15};
    WriteBitmap(w, 2, numbers);
    EXPECT_EQ(w.ToByteArray(), QByteArray::fromHex("6081"));
    const std::uint16_t tooHigh[] = {16};
    EXPECT_THROW(WriteBitmap(w, 2, tooHigh), ERangeError);
}

TEST(LstTables, ComputeTableLayout) {
    struct Case {
        int WriteLimit, RecordSize, Highest, Count;
        int Top, Bitmap, Length;
    };
    const Case cases[] = {
        {127, 10, 0, 0, 127, 16, 16},       // an empty P list still has its bitmap
        {127, 10, 127, 3, 127, 16, 46},     //
        {127, 10, 128, 2, 255, 32, 52},     // the next block
        {127, 10, 254, 2, 255, 32, 52},     //
        {127, 10, 255, 2, 383, 48, 68},     //
        {999, 8, 1500, 10, 1999, 250, 330}, // Z rows
        {999, 8, 2000, 1, 2999, 375, 383},  //
        {0, 1120, 0, 1, 0, 0, 1120},        // C: no bitmap
    };
    for (const Case& c : cases) {
        TTableHeader h;
        h.WriteLimit = c.WriteLimit;
        h.RecordSize = std::uint16_t(c.RecordSize);
        ComputeTableLayout(h, c.Highest, c.Count);
        EXPECT_EQ(h.TopNumber, c.Top) << c.Highest;
        EXPECT_EQ(h.BitmapSize, c.Bitmap) << c.Highest;
        EXPECT_EQ(h.Length, std::uint32_t(c.Length)) << c.Highest;
        EXPECT_EQ(h.RecordCount, std::uint32_t(c.Count));
    }
    TTableHeader h;
    h.WriteLimit = 63;
    h.RecordSize = 8;
    EXPECT_THROW(ComputeTableLayout(h, 70000, 1), ERangeError);
}

namespace {
// A file of Size bytes whose P table (slot 0x60) starts at Start and ends at End.
QByteArray FileWithPTable(int Size, std::uint32_t Start, std::uint32_t End, int Top, int RecordSize) {
    ByteWriter w;
    w.WriteZeros(std::size_t(Size));
    w.Seek(0x60);
    WriteLongSwapped(w, Start);
    WriteLongSwapped(w, End);
    w.Seek(0x60 + 0x5E);
    w.WriteU16BE(std::uint16_t(Top));
    w.WriteU16BE(std::uint16_t(RecordSize));
    return w.ToByteArray();
}

TTableHeader PHeader() {
    TTableHeader h;
    h.Describe(MainTableInfo(lkP));
    return h;
}
} // namespace

TEST(LstTables, ReadTableHeaderChecksEveryBound) {
    {
        QByteArray file = FileWithPTable(0x100 + 16 + 30, 0x100, 0x100 + 16 + 30, 127, 10);
        file[0x100] = char(0x60);
        file[0x101] = char(0x80);
        ByteReader r(file);
        TTableHeader h = PHeader();
        ReadTableHeader(r, h, lkP, 10, "P");
        EXPECT_EQ(h.Start, 0x100u);
        EXPECT_EQ(h.Length, 46u);
        EXPECT_EQ(h.BitmapSize, 16);
        EXPECT_EQ(h.RecordCount, 3u);
        EXPECT_EQ(h.Numbers, (std::vector<std::uint16_t>{1, 2, 8}));
    }
    struct Bad {
        const char* Name;
        int Size;
        std::uint32_t Start, End;
        int Top, RecordSize;
    };
    const Bad bad[] = {
        {"start beyond the end", 0x100, 0x200, 0x100, 0, 10},
        {"end beyond the end", 0x100, 0xF0, 0x200, 0, 10},
        {"end before start", 0x100, 0xF0, 0xE0, 0, 10},
        {"bitmap beyond the table", 0x100, 0xF0, 0xF8, 127, 10},
        {"records smaller than the layout", 0x100, 0xE0, 0x100, 0, 8},
        {"records of no size", 0x100, 0xE0, 0x100, 0, 0},
        {"directory cut short", 0xC0, 0, 0, 0, 10},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.Name);
        const QByteArray file = b.Size < 0xC4 ? QByteArray(b.Size, 0)
                                              : FileWithPTable(b.Size, b.Start, b.End, b.Top, b.RecordSize);
        ByteReader r(file);
        TTableHeader h = PHeader();
        EXPECT_THROW(ReadTableHeader(r, h, lkP, 10, "P"), EReadError);
    }
    // A table without records may describe records of any size.
    const QByteArray empty = FileWithPTable(0x100, 0xF0, 0xF0, 0, 0);
    ByteReader r(empty);
    TTableHeader h = PHeader();
    ReadTableHeader(r, h, lkP, 10, "P");
    EXPECT_EQ(h.RecordCount, 0u);
}

TEST(LstTables, RecordIndexAndSeekingASubRecord) {
    // Numbers 1, 2 and 8 in a bitmap of 2 bytes, but records for only the first two.
    const QByteArray table = QByteArray::fromHex("6080") + QByteArray::fromHex("11111111 22222222");
    ByteReader r(table);
    TTableHeader h;
    h.TopNumber = 15;
    h.RecordSize = 4;
    h.BitmapSize = 2;
    h.Length = 10;
    h.RecordCount = 2;
    h.Numbers = {1, 2, 8};
    struct Case {
        int Number, Index, Seek;
        std::size_t Position;
    };
    const Case cases[] = {
        {1, 0, 0, 2},    {2, 1, 0, 6},  // present with their records
        {3, 2, -1, 0},   {0, 0, -1, 0}, // not in the bitmap
        {8, 2, -1, 0},                  // in the bitmap, beyond the records
        {16, -1, -1, 0},                // above the top number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Number);
        EXPECT_EQ(MUnvList::RecordIndexOfNumber(h, c.Number), c.Index);
        r.Seek(0);
        EXPECT_EQ(MZList::SeekSubRecord(r, h, c.Number), c.Seek);
        EXPECT_EQ(r.Position(), c.Position);
    }
}
