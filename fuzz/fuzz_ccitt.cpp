// libFuzzer target: the fax row decoders on raw bytes. The first three bytes choose the row width
// (1 to 4096), the fill order and the coding (modified Huffman, T.4 one- or two-dimensional, T.6);
// the rest is the coded data. The rows that decode are coded again and must decode to themselves.
#include "imaging/TIFCCITT.h"

#include <cstdlib>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::uint8_t>>;

// Decodes up to maxRows rows; stops at the first error.
Rows Decode(const std::uint8_t* data, std::size_t size, int width, int fillOrder, int coding, int maxRows) {
    Rows rows;
    const std::size_t bytes = (std::size_t(width) + 7) / 8;
    std::vector<std::uint8_t> row(bytes), reference(bytes, 0xFF);
    std::int64_t pos = 0;
    std::size_t byte = 0;
    try {
        while (int(rows.size()) < maxRows) {
            switch (coding) {
            case 0:
                byte += DecodeCCITTHuffmanRow(row.data(), data + byte, size - std::min(byte, size), width,
                                              fillOrder);
                if (byte > size)
                    std::abort(); // a row may not end past the data
                break;
            case 1:
                pos = DecodeCCITT1D(row.data(), data, size, width, fillOrder, pos);
                break;
            default:
                pos = DecodeCCITT(row.data(), data, size, width, fillOrder, pos, reference.data());
                break;
            }
            if (pos > std::int64_t(size) * 8)
                std::abort();
            rows.push_back(row);
        }
    } catch (const EInvalidGraphic&) {
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const int width = 1 + ((data[0] | (data[1] << 8)) & 4095);
    const int fillOrder = (data[2] & 1) ? 2 : 1;
    const int coding = (data[2] >> 1) & 3;
    const Rows rows = Decode(data + 3, size - 3, width, fillOrder, coding, 64);
    if (rows.empty())
        return 0;

    // The encoders take 0 as white, the decoders give 1.
    ByteWriter strip;
    std::vector<std::uint8_t> reference;
    TCCITTCarry carry;
    for (std::vector<std::uint8_t> row : rows) {
        for (auto& b : row)
            b = std::uint8_t(~b);
        switch (coding) {
        case 0:
            EncodeCCITTHuffmanRow(row.data(), width, strip);
            break;
        case 1:
            EncodeCCITT1DRow(row.data(), width, strip, carry);
            break;
        case 2:
            EncodeCCITT2DRow(row.data(), width, strip, reference, carry);
            break;
        default:
            EncodeCCITTG4Row(row.data(), width, strip, reference, carry);
            break;
        }
    }
    if (coding == 2)
        EncodeCCITT2DRow(nullptr, width, strip, reference, carry);
    if (coding == 3)
        EncodeCCITTG4Row(nullptr, width, strip, reference, carry);
    if (carry.Bits)
        strip.WriteU8(carry.Byte);
    const Rows back = Decode(strip.Buffer().data(), strip.Size(), width, 1, coding, int(rows.size()));
    if (back != rows)
        std::abort();
    return 0;
}
