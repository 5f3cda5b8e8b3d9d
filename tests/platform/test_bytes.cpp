#include "platform/Bytes.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsWordsInBothOrders) {
    const std::uint8_t data[] = {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFE, 0x80, 0x00, 0x00, 0x01};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.ReadU16BE(), 0x1234);
    EXPECT_EQ(r.ReadU16LE(), 0x7856);
    EXPECT_EQ(r.ReadI16BE(), -2);
    EXPECT_EQ(r.ReadI32BE(), std::int32_t(0x80000001u));
    EXPECT_TRUE(r.AtEnd());
    r.Seek(0);
    EXPECT_EQ(r.ReadU32LE(), 0x78563412u);
    EXPECT_EQ(r.PeekU32BE(6), 0x80000001u);
    EXPECT_EQ(r.Position(), 4u);
}

TEST(ByteReader, NeverReadsPastTheEnd) {
    const std::uint8_t data[] = {1, 2, 3};
    ByteReader r(data, sizeof data);
    r.Skip(2);
    EXPECT_THROW(r.ReadU16BE(), EReadError);
    EXPECT_EQ(r.Position(), 2u) << "a failed read leaves the position";
    EXPECT_THROW(r.ReadBytes(2), EReadError);
    EXPECT_THROW(r.Seek(4), EReadError);
    EXPECT_THROW(r.PeekU32BE(0), EReadError);
    EXPECT_THROW(r.Require(SIZE_MAX, 2), EReadError) << "offset + length must not wrap";
    EXPECT_FALSE(r.Contains(2, SIZE_MAX));
    EXPECT_EQ(r.ReadU8(), 3);
}

TEST(ByteWriter, WritesWhatTheReaderReadsBack) {
    ByteWriter w;
    w.WriteU16BE(0xBEEF);
    w.WriteI32LE(-5);
    w.WriteI32BE(-70000);
    w.Seek(12);
    w.WriteU8(9); // past the end: the gap fills with zeros
    w.Seek(0);
    w.WriteU8(0xCA); // overwrites in place
    ASSERT_EQ(w.Size(), 13u);
    const QByteArray bytes = w.ToByteArray();
    ByteReader r(bytes);
    EXPECT_EQ(r.ReadU16BE(), 0xCAEF);
    EXPECT_EQ(r.ReadI32LE(), -5);
    EXPECT_EQ(r.ReadI32BE(), -70000);
    EXPECT_EQ(r.ReadU16BE(), 0);
    EXPECT_EQ(r.ReadU8(), 9);
}
