// The fax codings of 1-bit rows: worked examples of the codes, hand-built bit strings for the
// modes at the row's edges, uncompressed mode and damaged data, and round trips of random rows.
#include "imaging/TIFCCITT.h"

#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A bit string ("0011 0101", spaces ignored) as bytes, the last one padded with 0 bits.
Bytes Bits(const std::string& text) {
    Bytes out;
    int n = 0;
    for (char c : text) {
        if (c != '0' && c != '1')
            continue;
        if (n % 8 == 0)
            out.push_back(0);
        if (c == '1')
            out.back() |= std::uint8_t(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

// A row of the given width from a pattern of 'W' and 'B' pixels, in the decoders' form (1 white).
Bytes Row(const std::string& pixels) {
    Bytes row((pixels.size() + 7) / 8, 0);
    for (std::size_t x = 0; x < pixels.size(); ++x)
        if (pixels[x] == 'W')
            row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
    return row;
}

Bytes AllWhite(int width) {
    return Row(std::string(std::size_t(width), 'W'));
}

// The encoders take 0 as white.
Bytes Inverted(const Bytes& row, int width) {
    Bytes out(row.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        out[i] = std::uint8_t(~row[i]);
    if (width % 8)
        out.back() &= std::uint8_t(0xFF << (8 - width % 8));
    return out;
}

struct Decoded {
    Bytes row;
    std::int64_t pos;
};

Decoded Decode1D(const Bytes& data, int width, std::int64_t pos = 0, int fillOrder = 1) {
    Decoded d{Bytes((std::size_t(width) + 7) / 8, 0xAA), 0};
    d.pos = DecodeCCITT1D(d.row.data(), data.data(), data.size(), width, fillOrder, pos);
    return d;
}

Decoded Decode2D(const Bytes& data, int width, Bytes reference, int fillOrder = 1) {
    Decoded d{Bytes((std::size_t(width) + 7) / 8, 0xAA), 0};
    d.pos = DecodeCCITT(d.row.data(), data.data(), data.size(), width, fillOrder, 0, reference.data());
    EXPECT_EQ(reference, d.row) << "the decoded row becomes the reference";
    return d;
}

QString InvalidMessage(const std::function<void()>& decode) {
    try {
        decode();
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    }
    return QStringLiteral("no error");
}

} // namespace

TEST(CcittCodes, AllWhiteRowOf1728IsOneMakeUpAndATerminatingCode) {
    const Bytes code = Bits("010011011 00110101");
    const Decoded d = Decode1D(code, 1728);
    EXPECT_EQ(d.row, AllWhite(1728));
    EXPECT_EQ(d.pos, 17);
    Bytes row(1728 / 8, 0);
    ByteWriter out;
    EncodeCCITTHuffmanRow(row.data(), 1728, out);
    EXPECT_EQ(out.Buffer(), code);
    Bytes back(1728 / 8);
    EXPECT_EQ(DecodeCCITTHuffmanRow(back.data(), code.data(), code.size(), 1728, 1), 3u);
    EXPECT_EQ(back, AllWhite(1728));
}

TEST(CcittCodes, LongRunsTakeTheLargestMakeUpCodes) {
    // 3000 = 2560 + 384 + 56 (white), then a black run of 2000 = 1984 + 16.
    Bytes row(5000 / 8, 0);
    for (int x = 3000; x < 5000; ++x)
        row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    ByteWriter out;
    EncodeCCITTHuffmanRow(row.data(), 5000, out);
    EXPECT_EQ(out.Buffer(), Bits("000000011111 00110111 01011001  000000010010 0000010111"));
    const Decoded d = Decode1D(out.Buffer(), 5000);
    EXPECT_EQ(d.row, Inverted(row, 5000));
}

TEST(CcittCodes, EndOfLineSkippedAtTheStartAndEndingTheRowElsewhere) {
    // White 3, black 2, then an end of line: the rest of the row is white.
    const std::string runs = "1000 11";
    const std::string eol = "000000000001";
    const Bytes expected = Row("WWWBBWWWWW");
    const Decoded plain = Decode1D(Bits(runs + eol + "1000"), 10);
    EXPECT_EQ(plain.row, expected);
    EXPECT_EQ(plain.pos, 18);
    const Decoded led = Decode1D(Bits(eol + runs + eol), 10);
    EXPECT_EQ(led.row, expected);
    EXPECT_EQ(led.pos, 30);
    // Fill bits before an end of line, and codes of eight to ten 0 bits and a 1, are passed over.
    EXPECT_EQ(Decode1D(Bits("0000" + eol + "000000001" + runs + "1100"), 10).row, Row("WWWBBWWWWW"));
}

TEST(CcittCodes, FillOrderTwoReadsEachByteFromItsLeastSignificantBit) {
    std::mt19937 random(7);
    const int width = 300;
    ByteWriter strip;
    std::vector<std::uint8_t> reference;
    TCCITTCarry carry;
    std::vector<Bytes> rows;
    for (int y = 0; y < 6; ++y) {
        Bytes row((width + 7) / 8);
        for (auto& b : row)
            b = std::uint8_t(random() % 4 == 0 ? random() : (y % 2 ? 0xFF : 0));
        rows.push_back(row);
        EncodeCCITTG4Row(row.data(), width, strip, reference, carry);
    }
    EncodeCCITTG4Row(nullptr, width, strip, reference, carry);
    Bytes reversed = strip.Buffer();
    for (auto& b : reversed) {
        std::uint32_t v = b;
        v = ((v & 0xF0) >> 4) | ((v & 0x0F) << 4);
        v = ((v & 0xCC) >> 2) | ((v & 0x33) << 2);
        v = ((v & 0xAA) >> 1) | ((v & 0x55) << 1);
        b = std::uint8_t(v);
    }
    Bytes ref1 = AllWhite(width), ref2 = AllWhite(width), row1(ref1.size()), row2(ref1.size());
    std::int64_t pos1 = 0, pos2 = 0;
    for (const Bytes& row : rows) {
        pos1 = DecodeCCITT(row1.data(), strip.Buffer().data(), strip.Size(), width, 1, pos1, ref1.data());
        pos2 = DecodeCCITT(row2.data(), reversed.data(), reversed.size(), width, 2, pos2, ref2.data());
        EXPECT_EQ(row1, Inverted(row, width));
        EXPECT_EQ(row2, row1);
        EXPECT_EQ(pos2, pos1);
    }
}

TEST(CcittModes, FirstGroup4RowIsCodedAgainstWhite) {
    // Against white, b1 is the width: white 4 and black 4 go horizontally, then the row's end
    // lines up with b1.
    const Bytes code = Bits("001 1011 011 1");
    const Bytes pixels = Row("WWWWBBBBWWWWWWWW");
    EXPECT_EQ(Decode2D(code, 16, AllWhite(16)).row, pixels);
    ByteWriter out;
    std::vector<std::uint8_t> reference;
    TCCITTCarry carry;
    EncodeCCITTG4Row(Inverted(pixels, 16).data(), 16, out, reference, carry);
    EXPECT_EQ(carry.Bits, 3);
    EncodeCCITTG4Row(nullptr, 16, out, reference, carry);
    EXPECT_EQ(out.Buffer(), Bits("001 1011 011 1 000000000001 000000000001"));
    EXPECT_EQ(carry.Bits, 0);
}

TEST(CcittModes, PassAndVerticalModesAtTheRowsEdges) {
    struct Case {
        const char* name;
        std::string reference;
        std::string code;
        std::string row; // empty: the row is refused
        int pos;
    };
    const Case cases[] = {
        // b2 runs to the width: a pass there ends the row.
        {"pass to the row end", "WWWWWWBB", "0001", "WWWWWWWW", 4},
        {"pass, then vertical 0", "WWBBWWWW", "0001 1", "WWWWWWWW", 5},
        // b1 is 7; three to the right is past the width, taken as the width.
        {"vertical right 3 past the end", "WWWWWWWB", "0000011", "WWWWWWWW", 7},
        {"vertical left 1 at the start", "WBWWWWWW", "010 1 1", "BBWWWWWW", 5},
        {"vertical left 2 before the row", "BWWWWWWW", "000010", "", 0},
        // After a0 = 4 (black), b1 is 6: three to the left is before a0.
        {"vertical left 3 before a0", "WWWWBBWWWWWWWWWW", "1 0000010", "", 0},
        {"vertical right 2 then left 2", "WWWWBBWWWWWWWWWW", "000011 000010 1", "WWWWWWBBBBBBBBWW", 13},
        // A pattern that matches no mode is passed over as 12 bits.
        {"unmatched mode code", "WWWWWWWW", "000000100000 1", "WWWWWWWW", 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int width = int(c.reference.size());
        if (c.row.empty()) {
            EXPECT_EQ(InvalidMessage([&] { Decode2D(Bits(c.code), width, Row(c.reference)); }),
                      QStringLiteral("Invalid TIFF stream"));
            continue;
        }
        const Decoded d = Decode2D(Bits(c.code), width, Row(c.reference));
        EXPECT_EQ(d.row, Row(c.row));
        EXPECT_EQ(d.pos, c.pos);
    }
}

TEST(CcittModes, UncompressedMode) {
    // white, black; black; five white; exit with one white and the next colour white; vertical 0.
    const Decoded d = Decode2D(Bits("0000001111 01 1 000001 00000001 0 1"), 16, AllWhite(16));
    EXPECT_EQ(d.row, Row("WBBWWWWWWWWWWWWW"));
    EXPECT_EQ(d.pos, 29);
    // Pixels past the width are dropped; the pad bits stay 0.
    EXPECT_EQ(Decode2D(Bits("0000001111 000001 0000001 0"), 4, AllWhite(4)).row, Bytes{0xF0});
    // Data that ends inside the mode.
    EXPECT_EQ(InvalidMessage([] { Decode2D(Bits("0000001111 01"), 16, AllWhite(16)); }),
              QStringLiteral("Invalid TIFF stream"));
}

TEST(CcittModes, EndOfLineInTwoDimensionalRows) {
    // At the start a tag bit follows: 1 codes the row one-dimensionally.
    const Decoded one = Decode2D(Bits("000000000001 1 1000 11 1011"), 9, AllWhite(9));
    EXPECT_EQ(one.row, Row("WWWBBWWWW"));
    EXPECT_EQ(one.pos, 23);
    // Inside the row the rest takes the current colour and the next row starts at the code.
    const Decoded inside = Decode2D(Bits("001 1000 11 000000000001"), 10, AllWhite(10));
    EXPECT_EQ(inside.row, Row("WWWBBWWWWW"));
    EXPECT_EQ(inside.pos, 9);
}

TEST(CcittDamage, UnmatchedCodesAndCutDataAreInvalid) {
    const auto invalid = QStringLiteral("Invalid TIFF stream");
    // Twenty 0 bits match no run code.
    EXPECT_EQ(InvalidMessage([] { Decode1D(Bits("00000000 00000000 00001000"), 10); }), invalid);
    // The 1728 make-up code cut after 8 bits: its ninth bit is past the data.
    EXPECT_EQ(InvalidMessage([] { Decode1D(Bytes{0x4D}, 1728); }), invalid);
    // A row whose runs end early runs into the end of the data.
    EXPECT_EQ(InvalidMessage([] { Decode1D(Bits("1000"), 10); }), invalid);
    EXPECT_EQ(InvalidMessage([] { Decode2D(Bits("001 1000"), 10, AllWhite(10)); }), invalid);
    // An end of line where a horizontal run should be.
    EXPECT_EQ(InvalidMessage([] { Decode2D(Bits("001 000000000001 1"), 10, AllWhite(10)); }), invalid);
    EXPECT_EQ(InvalidMessage([] { Decode2D(Bytes{}, 10, AllWhite(10)); }), invalid);
    EXPECT_EQ(InvalidMessage([] {
                  Bytes row(1);
                  DecodeCCITTHuffmanRow(row.data(), nullptr, 0, 8, 1);
              }),
              invalid);
}

TEST(CcittRoundTrip, RandomRowsInEveryCoding) {
    std::mt19937 random(2024);
    for (const int width : {1, 7, 8, 9, 1728, 2000, 4096}) {
        // Rows of random runs: short ones, long ones and rows of one colour.
        std::vector<Bytes> rows;
        for (int y = 0; y < 12; ++y) {
            Bytes row((std::size_t(width) + 7) / 8, 0);
            int x = 0;
            bool black = random() % 2;
            const int scale = y % 3 == 0 ? 3 : y % 3 == 1 ? 100 : 3000;
            while (x < width) {
                const int run = 1 + int(random() % std::uint32_t(scale));
                for (int i = x; i < std::min(width, x + run); ++i)
                    if (black)
                        row[std::size_t(i / 8)] |= std::uint8_t(0x80 >> (i % 8));
                x += run;
                black = !black;
            }
            rows.push_back(row);
        }
        for (const char* coding : {"huffman", "g3", "g3-2d", "g4"}) {
            SCOPED_TRACE(std::string(coding) + " width " + std::to_string(width));
            const std::string c = coding;
            ByteWriter strip;
            std::vector<std::uint8_t> reference;
            TCCITTCarry carry;
            for (const Bytes& row : rows) {
                if (c == "huffman")
                    EncodeCCITTHuffmanRow(row.data(), width, strip);
                else if (c == "g3")
                    EncodeCCITT1DRow(row.data(), width, strip, carry);
                else if (c == "g3-2d")
                    EncodeCCITT2DRow(row.data(), width, strip, reference, carry);
                else
                    EncodeCCITTG4Row(row.data(), width, strip, reference, carry);
            }
            if (c == "g3-2d")
                EncodeCCITT2DRow(nullptr, width, strip, reference, carry);
            if (c == "g4")
                EncodeCCITTG4Row(nullptr, width, strip, reference, carry);
            if (carry.Bits)
                strip.WriteU8(carry.Byte);
            const Bytes& data = strip.Buffer();
            Bytes decoded((std::size_t(width) + 7) / 8);
            Bytes ref = AllWhite(width);
            std::int64_t pos = 0;
            std::size_t byte = 0;
            for (const Bytes& row : rows) {
                if (c == "huffman")
                    byte += DecodeCCITTHuffmanRow(decoded.data(), data.data() + byte, data.size() - byte,
                                                  width, 1);
                else if (c == "g3")
                    pos = DecodeCCITT1D(decoded.data(), data.data(), data.size(), width, 1, pos);
                else
                    pos = DecodeCCITT(decoded.data(), data.data(), data.size(), width, 1, pos, ref.data());
                ASSERT_EQ(decoded, Inverted(row, width));
            }
        }
    }
}
