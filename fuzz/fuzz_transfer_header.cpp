// Feeds arbitrary bytes to the transfer header's reader and its checks, as a hostile sender would
// announce a project. A header either is refused with a transfer error or gives names that stay
// inside the receive folder, share one base and end with their slot's extension.
#include "transfer/TransferProtocol.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fail(const char* What) {
    std::fprintf(stderr, "%s\n", What);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    if (bytes.size() < TTransferHeader::Size)
        bytes.append(QByteArray(TTransferHeader::Size - bytes.size(), '\0'));
    const TTransferHeader header = TTransferHeader::Decode(bytes);
    std::array<QString, 3> names;
    try {
        names = CheckHeader(header);
    } catch (const ETransferError&) {
        return 0;
    }
    if (header.Block < 1 || header.Block > TTransferHeader::MaxBlockSize)
        Fail("a block size out of range was taken");
    for (int i = 0; i < 3; ++i) {
        if (header.Sizes[size_t(i)] <= 0)
            continue;
        const QString& name = names[size_t(i)];
        if (header.Sizes[size_t(i)] > TTransferHeader::MaxFileSize)
            Fail("a file above the limit was taken");
        if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/')) ||
            name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':')))
            Fail("a name that leaves the folder was taken");
        if (!name.endsWith(SlotExtension(i), Qt::CaseInsensitive))
            Fail("a name without its slot's extension was taken");
    }
    // What is taken encodes back to the same announcement.
    if (TTransferHeader::Decode(header.Encode()).Sizes != header.Sizes)
        Fail("the sizes do not survive a round trip");
    return 0;
}
