// Feeds arbitrary bytes from the modem to the result-code line reader, in pieces cut where the
// input's first byte says. Every line kept is at most 256 bytes, the rest never grows past one
// line, and every line reads as a code or as nothing.
#include "transfer/PhoneLine.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fail(const char* What) {
    std::fprintf(stderr, "%s\n", What);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0)
        return 0;
    const std::size_t piece = std::size_t(Data[0]) + 1;
    QByteArray rest;
    for (std::size_t at = 1; at < Size; at += piece) {
        const QByteArray bytes(reinterpret_cast<const char*>(Data + at),
                               qsizetype(std::min(piece, Size - at)));
        for (const QByteArray& line : TPhoneLine::TakeLines(rest, bytes)) {
            if (line.size() > 256)
                Fail("a line over 256 bytes was kept");
            const TPhoneLine::TResultCode code = TPhoneLine::ParseResultLine(line);
            if (code < TPhoneLine::Ignored || code > TPhoneLine::Error)
                Fail("a code outside the table");
            if (TPhoneLine::ConnectSpeed(line) < 0)
                Fail("a negative line speed");
        }
        if (rest.size() > 2 * 256 + 2 * qsizetype(piece))
            Fail("the unfinished line grows without bound");
    }
    return 0;
}
