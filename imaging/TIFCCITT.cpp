#include "imaging/TIFCCITT.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("Invalid TIFF stream"));
}

// ---------------------------------------------------------------------------------------------
// Code tables

// The run codes of T.4, most significant bit first: terminating codes for runs 0 to 63, make-up
// codes for 64 to 1728 in steps of 64, per colour; the extended make-up codes 1792 to 2560 are the
// same for both colours.
constexpr const char* WhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};
constexpr const char* WhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};
constexpr const char* BlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",
    "0010",         "00011",        "000101",       "000100",       "0000100",      "0000101",
    "0000111",      "00000100",     "00000111",     "000011000",    "0000010111",   "0000011000",
    "0000001000",   "00001100111",  "00001101000",  "00001101100",  "00000110111",  "00000101000",
    "00000010111",  "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010", "000011010011",
    "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111",
    "000001100100", "000001100101", "000001010010", "000001010011", "000000100100", "000000110111",
    "000000111000", "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111"};
constexpr const char* BlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",  "000000110100",
    "000000110101",  "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100",
    "0000001001101", "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110",
    "0000001110111", "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010",
    "0000001011011", "0000001100100", "0000001100101"};
constexpr const char* ExtendedMakeUp[13] = {"00000001000",  "00000001100",  "00000001101",  "000000010010",
                                            "000000010011", "000000010100", "000000010101", "000000010110",
                                            "000000010111", "000000011100", "000000011101", "000000011110",
                                            "000000011111"};

enum RunKind : std::uint8_t { rkNone, rkTerminating, rkMakeUp, rkEndOfLine, rkIgnore };
enum ModeKind : std::uint8_t { mkNone, mkPass, mkHorizontal, mkVertical, mkExtension, mkEndOfLine };

struct Code {
    std::uint16_t bits = 0; // right-aligned
    std::uint8_t length = 0;
};

struct RunEntry {
    std::uint16_t run = 0;
    std::uint8_t length = 0;
    std::uint8_t kind = rkNone;
};

struct ModeEntry {
    std::uint8_t length = 0;
    std::uint8_t kind = mkNone;
    std::int8_t offset = 0; // vertical modes: a1 - b1
};

// Every run code is at most 13 bits long, and none begins with eight 0 bits: a table of the next
// 13 bits finds them; the codes of eight or more 0 bits and a 1 are told apart by counting zeros.
constexpr int RunBits = 13;
// Pass, horizontal and vertical mode codes are at most 7 bits long.
constexpr int ModeBits = 7;

constexpr Code Make(const char* text) {
    Code c;
    for (const char* p = text; *p; ++p) {
        c.bits = std::uint16_t((c.bits << 1) | (*p == '1' ? 1 : 0));
        ++c.length;
    }
    return c;
}

struct Tables {
    RunEntry runs[2][1 << RunBits];
    ModeEntry modes[1 << ModeBits];
    // Encoding: terminating codes 0 to 63, make-up codes for 64 to 1728 at index run / 64,
    // extended make-up codes 1792 to 2560 at index run / 64 as well (28 to 40).
    Code terminating[2][64];
    Code makeUp[2][41];

    Tables() {
        for (int colour = 0; colour < 2; ++colour) {
            for (int run = 0; run < 64; ++run) {
                const Code c = Make(colour ? BlackTerminating[run] : WhiteTerminating[run]);
                terminating[colour][run] = c;
                AddRun(colour, c, std::uint16_t(run), rkTerminating);
            }
            for (int i = 0; i < 27; ++i) {
                const Code c = Make(colour ? BlackMakeUp[i] : WhiteMakeUp[i]);
                makeUp[colour][i + 1] = c;
                AddRun(colour, c, std::uint16_t(64 * (i + 1)), rkMakeUp);
            }
            for (int i = 0; i < 13; ++i) {
                const Code c = Make(ExtendedMakeUp[i]);
                makeUp[colour][28 + i] = c;
                AddRun(colour, c, std::uint16_t(1792 + 64 * i), rkMakeUp);
            }
        }
        AddMode("0001", mkPass, 0);
        AddMode("001", mkHorizontal, 0);
        AddMode("0000010", mkVertical, -3);
        AddMode("000010", mkVertical, -2);
        AddMode("010", mkVertical, -1);
        AddMode("1", mkVertical, 0);
        AddMode("011", mkVertical, 1);
        AddMode("000011", mkVertical, 2);
        AddMode("0000011", mkVertical, 3);
    }

    // No code is a prefix of another, so every index a code covers is free when the code is added.
    void AddRun(int colour, Code c, std::uint16_t run, RunKind kind) {
        const int spread = RunBits - c.length;
        const int first = c.bits << spread;
        for (int i = first; i < first + (1 << spread); ++i) {
            if (runs[colour][i].kind != rkNone)
                throw std::logic_error("run codes overlap");
            runs[colour][i] = RunEntry{run, c.length, kind};
        }
    }

    void AddMode(const char* text, ModeKind kind, int offset) {
        const Code c = Make(text);
        const int spread = ModeBits - c.length;
        const int first = c.bits << spread;
        for (int i = first; i < first + (1 << spread); ++i) {
            if (modes[i].kind != mkNone)
                throw std::logic_error("mode codes overlap");
            modes[i] = ModeEntry{c.length, kind, std::int8_t(offset)};
        }
    }
};

const Tables& CodeTables() {
    static const Tables tables;
    return tables;
}

// A run code at the front of a 32-bit window. Eight to ten 0 bits and a 1 are ignored; eleven
// 0 bits and a 1 end the line, and so do twelve to nineteen (an end of line with fill bits).
RunEntry LookupRun(const Tables& t, int colour, std::uint32_t window) {
    if ((window >> 24) != 0)
        return t.runs[colour][window >> (32 - RunBits)];
    const int zeros = std::countl_zero(window);
    if (zeros <= 10)
        return RunEntry{0, std::uint8_t(zeros + 1), rkIgnore};
    if (zeros <= 19)
        return RunEntry{0, std::uint8_t(zeros + 1), rkEndOfLine};
    return RunEntry{};
}

// A mode code at the front of a 32-bit window. A pattern that matches no code is a 12-bit code
// without effect (kind mkNone). Fill bits may stand before an end-of-line code, as in the run
// codes: twelve to nineteen 0 bits and a 1 end the line too.
ModeEntry LookupMode(const Tables& t, std::uint32_t window) {
    if ((window >> 26) != 0)
        return t.modes[window >> (32 - ModeBits)];
    if ((window >> 22) == 0b0000001111)
        return ModeEntry{10, mkExtension, 0};
    if ((window >> 20) == 0b000000001111)
        return ModeEntry{12, mkExtension, 0};
    const int zeros = std::countl_zero(window);
    if (zeros >= 11 && zeros <= 19)
        return ModeEntry{std::uint8_t(zeros + 1), mkEndOfLine, 0};
    return ModeEntry{12, mkNone, 0};
}

// ---------------------------------------------------------------------------------------------
// Reading bits

std::uint64_t ReverseBitsInBytes(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    return ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
}

// Up to eight bytes from byte index on as a big-endian number; bytes past the end read as 0.
std::uint64_t Load64(const std::uint8_t* data, std::size_t length, std::size_t index) {
    if (index < length && length - index >= 8) {
        std::uint64_t w;
        std::memcpy(&w, data + index, 8);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap64(w);
        return w;
    }
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < 8 && index < length && i < length - index; ++i)
        w |= std::uint64_t(data[index + i]) << (56 - 8 * i);
    return w;
}

// The coded data of one strip.
class BitSource {
public:
    BitSource(const std::uint8_t* data, std::size_t length, int fillOrder)
        : FData(data), FLength(length), FBits(std::uint64_t(length) * 8), FReversed(fillOrder == 2) {}

    // The next 32 bits from the position, first bit most significant.
    std::uint32_t Peek(std::uint64_t pos) const {
        if (pos >= FBits)
            return 0;
        std::uint64_t w = Load64(FData, FLength, std::size_t(pos >> 3));
        if (FReversed)
            w = ReverseBitsInBytes(w);
        return std::uint32_t((w << (pos & 7)) >> 32);
    }
    // A code that ends past the data needed bits that are not there.
    void Check(std::uint64_t pos) const {
        if (pos > FBits)
            Invalid();
    }

private:
    const std::uint8_t* FData;
    std::size_t FLength;
    std::uint64_t FBits;
    bool FReversed;
};

// ---------------------------------------------------------------------------------------------
// Rows of bits

std::size_t RowBytes(int width) {
    return (std::size_t(width) + 7) / 8;
}

// Sets pixels [from, to) to 1.
void SetRun(std::uint8_t* row, std::int64_t from, std::int64_t to) {
    if (from >= to)
        return;
    const std::size_t first = std::size_t(from >> 3);
    const std::size_t last = std::size_t((to - 1) >> 3);
    const auto head = std::uint8_t(0xFF >> (from & 7));
    const auto tail = std::uint8_t(0xFF << (7 - ((to - 1) & 7)));
    if (first == last) {
        row[first] |= std::uint8_t(head & tail);
        return;
    }
    row[first] |= head;
    std::memset(row + first + 1, 0xFF, last - first - 1);
    row[last] |= tail;
}

// The changing pixels of a row, where its colour differs from the pixel before (a pixel before
// the row counts as white): even entries begin black runs, odd entries white runs. Three copies of
// the width end the list.
void ChangesOf(const std::uint8_t* row, int width, int whiteBit, std::vector<int>& changes) {
    changes.clear();
    const std::size_t bytes = RowBytes(width);
    std::uint64_t before = std::uint64_t(whiteBit); // the pixel before the next 64
    for (std::size_t byte = 0; byte < bytes; byte += 8) {
        const std::uint64_t w = Load64(row, bytes, byte);
        // A bit of t is set where a pixel differs from the one before it.
        std::uint64_t t = w ^ ((w >> 1) | (before << 63));
        before = w & 1;
        while (t) {
            const int k = std::countl_zero(t);
            const std::int64_t x = std::int64_t(byte) * 8 + k;
            if (x >= width)
                break;
            changes.push_back(int(x));
            t &= ~(std::uint64_t(1) << (63 - k));
        }
    }
    changes.insert(changes.end(), 3, width);
}

// The reference row's changing pixels b1 and b2 for a0 and the current colour: b1 is the first
// change after a0 to the opposite colour, b2 the change after it. a0 never moves back within a
// row, so the search goes on from where the last one stopped.
class ReferenceChanges {
public:
    explicit ReferenceChanges(const std::vector<int>& changes) : FChanges(changes) {}
    void Find(std::int64_t a0, bool white, int& b1, int& b2) {
        while (FChanges[FNext] <= a0)
            ++FNext;
        const std::size_t j = FNext + (((FNext & 1) == 0) == white ? 0 : 1);
        b1 = FChanges[j];
        b2 = FChanges[j + 1];
    }

private:
    const std::vector<int>& FChanges;
    std::size_t FNext = 0;
};

// ---------------------------------------------------------------------------------------------
// Decoding. Decoded rows: bit 1 white. Colours count 0 white, 1 black.

constexpr int White = 0;

class Decoder {
public:
    Decoder(const std::uint8_t* data, std::size_t length, int width, int fillOrder)
        : FTables(CodeTables()), FSource(data, length, fillOrder), FWidth(width) {
        if (width < 1)
            Invalid();
    }

    // Algorithm of the one-dimensional row: runs alternate from white; make-up codes wait for
    // their terminating code.
    std::uint64_t Row1D(std::uint8_t* row, std::uint64_t pos, bool clear = true) {
        if (clear)
            std::memset(row, 0, RowBytes(FWidth));
        const std::uint64_t start = pos;
        int colour = White;
        std::int64_t x = 0;
        bool pending = false;
        while (x < FWidth || pending) {
            const RunEntry c = LookupRun(FTables, colour, FSource.Peek(pos));
            if (c.kind == rkNone)
                Invalid();
            const std::uint64_t at = pos;
            pos += c.length;
            FSource.Check(pos);
            switch (c.kind) {
            case rkEndOfLine:
                if (at == start)
                    break;
                // The rest of the row is white.
                if (x < FWidth)
                    SetRun(row, x, FWidth);
                return pos;
            case rkIgnore:
                pending = true;
                break;
            case rkMakeUp:
                Paint(row, colour, x, x + c.run);
                x += c.run;
                pending = true;
                break;
            default:
                Paint(row, colour, x, x + c.run);
                x += c.run;
                colour ^= 1;
                pending = false;
                break;
            }
        }
        return pos;
    }

    // Algorithm of the two-dimensional row against the reference row.
    std::uint64_t Row2D(std::uint8_t* row, std::uint64_t pos, std::uint8_t* ref) {
        const std::size_t bytes = RowBytes(FWidth);
        thread_local std::vector<int> changes;
        ChangesOf(ref, FWidth, 1, changes);
        ReferenceChanges reference(changes);
        int b1 = 0, b2 = 0;
        std::memset(row, 0, bytes);
        const std::uint64_t start = pos;
        std::int64_t a0 = -1;
        int colour = White;
        while (a0 < FWidth) {
            const ModeEntry m = LookupMode(FTables, FSource.Peek(pos));
            const std::uint64_t at = pos;
            pos += m.length;
            FSource.Check(pos);
            switch (m.kind) {
            case mkPass:
                reference.Find(a0, colour == White, b1, b2);
                Paint(row, colour, a0, b2);
                a0 = b2;
                break;
            case mkHorizontal: {
                const std::int64_t first = ReadRun(pos, colour);
                const std::int64_t second = ReadRun(pos, colour ^ 1);
                const std::int64_t from = std::max<std::int64_t>(a0, 0);
                const std::int64_t middle = std::min<std::int64_t>(from + first, FWidth);
                const std::int64_t end = std::min<std::int64_t>(middle + second, FWidth);
                Paint(row, colour, from, middle);
                Paint(row, colour ^ 1, middle, end);
                a0 = end;
                break;
            }
            case mkVertical: {
                reference.Find(a0, colour == White, b1, b2);
                const std::int64_t a1 = std::min<std::int64_t>(b1 + m.offset, FWidth);
                if (a1 < a0)
                    Invalid();
                Paint(row, colour, a0, a1);
                colour ^= 1;
                a0 = a1;
                break;
            }
            case mkExtension:
                a0 = Uncompressed(row, pos, std::max<std::int64_t>(a0, 0), colour);
                break;
            case mkEndOfLine:
                if (at == start) {
                    const bool oneDimensional = (FSource.Peek(pos) >> 31) != 0;
                    ++pos;
                    FSource.Check(pos);
                    if (oneDimensional) {
                        pos = Row1D(row, pos, false);
                        std::memcpy(ref, row, bytes);
                        return pos;
                    }
                    break;
                }
                // The next row begins with this end of line.
                Paint(row, colour, a0, FWidth);
                std::memcpy(ref, row, bytes);
                return at;
            default:
                break; // a code without effect
            }
        }
        std::memcpy(ref, row, bytes);
        return pos;
    }

private:
    void Paint(std::uint8_t* row, int colour, std::int64_t from, std::int64_t to) const {
        if (colour == White)
            SetRun(row, std::clamp<std::int64_t>(from, 0, FWidth), std::clamp<std::int64_t>(to, 0, FWidth));
    }

    // One run of a horizontal mode: make-up codes, then a terminating code.
    std::int64_t ReadRun(std::uint64_t& pos, int colour) {
        std::int64_t run = 0;
        for (;;) {
            const RunEntry c = LookupRun(FTables, colour, FSource.Peek(pos));
            if (c.kind == rkNone || c.kind == rkEndOfLine)
                Invalid();
            pos += c.length;
            FSource.Check(pos);
            run += c.run;
            if (c.kind == rkTerminating)
                return run;
        }
    }

    // Uncompressed mode from pixel x: returns the pixel after it and sets the colour that follows.
    std::int64_t Uncompressed(std::uint8_t* row, std::uint64_t& pos, std::int64_t x, int& colour) {
        for (;;) {
            const int zeros = std::countl_zero(FSource.Peek(pos));
            if (zeros > 10)
                Invalid();
            pos += std::uint64_t(zeros) + 1;
            FSource.Check(pos);
            if (zeros <= 4) {
                Paint(row, White, x, x + zeros);
                x += zeros + 1; // and one black pixel
            } else if (zeros == 5) {
                Paint(row, White, x, x + 5);
                x += 5;
            } else {
                const int whites = zeros - 6;
                Paint(row, White, x, x + whites);
                x += whites;
                colour = (FSource.Peek(pos) >> 31) ? 1 : White;
                ++pos;
                FSource.Check(pos);
                return x;
            }
        }
    }

    const Tables& FTables;
    BitSource FSource;
    int FWidth;
};

// ---------------------------------------------------------------------------------------------
// Encoding. Rows given: bit 0 white.

// Collects codes most significant bit first and hands whole bytes to the stream.
class CodeWriter {
public:
    CodeWriter(ByteWriter& stream, TCCITTCarry& carry) : FStream(stream), FCarry(carry) {
        FCount = std::clamp(carry.Bits, 0, 7);
        FBits = FCount ? std::uint64_t(carry.Byte >> (8 - FCount)) : 0;
    }
    CodeWriter(const CodeWriter&) = delete;
    CodeWriter& operator=(const CodeWriter&) = delete;
    ~CodeWriter() {
        Flush();
        FCarry.Bits = FCount;
        FCarry.Byte = FCount ? std::uint8_t(FBits << (8 - FCount)) : 0;
    }

    void Put(Code c) {
        FBits = (FBits << c.length) | c.bits;
        FCount += c.length;
        while (FCount >= 8) {
            FCount -= 8;
            FBuffer[FUsed++] = std::uint8_t(FBits >> FCount);
            if (FUsed == sizeof FBuffer)
                Flush();
        }
    }
    void PadToByte() {
        if (FCount > 0)
            Put(Code{0, std::uint8_t(8 - FCount)});
    }

private:
    void Flush() {
        FStream.WriteBytes(FBuffer, FUsed);
        FUsed = 0;
    }

    ByteWriter& FStream;
    TCCITTCarry& FCarry;
    std::uint64_t FBits = 0;
    int FCount = 0;
    std::uint8_t FBuffer[512];
    std::size_t FUsed = 0;
};

constexpr Code EndOfLine{1, 12};
constexpr Code PassCode{1, 4};
constexpr Code HorizontalCode{1, 3};
constexpr Code VerticalCodes[7] = {{2, 7}, {2, 6}, {2, 3}, {1, 1}, {3, 3}, {3, 6}, {3, 7}};

void PutRun(CodeWriter& w, const Tables& t, int colour, std::int64_t run) {
    while (run > 2560) {
        w.Put(t.makeUp[colour][40]);
        run -= 2560;
    }
    if (run >= 64) {
        w.Put(t.makeUp[colour][run / 64]);
        run %= 64;
    }
    w.Put(t.terminating[colour][run]);
}

void Encode1D(CodeWriter& w, const std::uint8_t* row, int width) {
    const Tables& t = CodeTables();
    thread_local std::vector<int> changes;
    ChangesOf(row, width, 0, changes);
    int x = 0;
    int colour = White;
    for (std::size_t i = 0; x < width; ++i) {
        PutRun(w, t, colour, changes[i] - x);
        x = changes[i];
        colour ^= 1;
    }
}

void Encode2D(CodeWriter& w, const std::uint8_t* row, const std::uint8_t* ref, int width) {
    const Tables& t = CodeTables();
    thread_local std::vector<int> coding, changes;
    ChangesOf(row, width, 0, coding);
    ChangesOf(ref, width, 0, changes);
    ReferenceChanges reference(changes);
    std::size_t next = 0; // the first change of the coding row after a0
    std::int64_t a0 = -1;
    int colour = White;
    int b1 = 0, b2 = 0;
    while (a0 < width) {
        while (coding[next] <= a0)
            ++next;
        const int a1 = coding[next];
        reference.Find(a0, colour == White, b1, b2);
        if (b2 < a1) {
            w.Put(PassCode);
            a0 = b2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            w.Put(VerticalCodes[a1 - b1 + 3]);
            a0 = a1;
            colour ^= 1;
        } else {
            const int a2 = coding[next + 1];
            w.Put(HorizontalCode);
            PutRun(w, t, colour, a1 - std::max<std::int64_t>(a0, 0));
            PutRun(w, t, colour ^ 1, a2 - a1);
            a0 = a2;
        }
    }
}

void CheckWidth(int width) {
    if (width < 1)
        throw EInvalidGraphic(QStringLiteral("Invalid row width"));
}

// The reference row of the two-dimensional encoders: the previous row, or white when empty.
const std::uint8_t* ReferenceFor(std::vector<std::uint8_t>& reference, int width) {
    if (reference.size() != RowBytes(width))
        reference.assign(RowBytes(width), 0);
    return reference.data();
}

} // namespace

std::int64_t DecodeCCITT1D(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                           int fillOrder, std::int64_t bitPos) {
    Decoder d(data, length, width, fillOrder);
    return std::int64_t(d.Row1D(row, std::uint64_t(std::max<std::int64_t>(bitPos, 0))));
}

std::size_t DecodeCCITTHuffmanRow(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                                  int fillOrder) {
    Decoder d(data, length, width, fillOrder);
    return std::size_t((d.Row1D(row, 0) + 7) / 8);
}

std::int64_t DecodeCCITT(std::uint8_t* row, const std::uint8_t* data, std::size_t length, int width,
                         int fillOrder, std::int64_t bitPos, std::uint8_t* reference) {
    Decoder d(data, length, width, fillOrder);
    return std::int64_t(d.Row2D(row, std::uint64_t(std::max<std::int64_t>(bitPos, 0)), reference));
}

void EncodeCCITTHuffmanRow(const std::uint8_t* row, int width, ByteWriter& stream) {
    CheckWidth(width);
    TCCITTCarry carry;
    CodeWriter w(stream, carry);
    Encode1D(w, row, width);
    w.PadToByte();
}

void EncodeCCITT1DRow(const std::uint8_t* row, int width, ByteWriter& stream, TCCITTCarry& carry) {
    CheckWidth(width);
    CodeWriter w(stream, carry);
    w.Put(EndOfLine);
    Encode1D(w, row, width);
}

void EncodeCCITT2DRow(const std::uint8_t* row, int width, ByteWriter& stream,
                      std::vector<std::uint8_t>& reference, TCCITTCarry& carry) {
    CheckWidth(width);
    CodeWriter w(stream, carry);
    w.Put(EndOfLine);
    if (!row) {
        w.PadToByte();
        return;
    }
    if (reference.empty()) {
        w.Put(Code{1, 1});
        Encode1D(w, row, width);
    } else {
        w.Put(Code{0, 1});
        Encode2D(w, row, ReferenceFor(reference, width), width);
    }
    reference.assign(row, row + RowBytes(width));
}

void EncodeCCITTG4Row(const std::uint8_t* row, int width, ByteWriter& stream,
                      std::vector<std::uint8_t>& reference, TCCITTCarry& carry) {
    CheckWidth(width);
    CodeWriter w(stream, carry);
    if (!row) {
        w.Put(EndOfLine);
        w.Put(EndOfLine);
        w.PadToByte();
        return;
    }
    Encode2D(w, row, ReferenceFor(reference, width), width);
    reference.assign(row, row + RowBytes(width));
}
