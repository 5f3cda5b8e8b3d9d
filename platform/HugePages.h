#pragma once
// Large buffers in huge pages: a buffer that a file or a picture fills at once is marked so that the
// system backs it with 2 MB pages where it has them, and its first use costs a few page faults
// instead of one every 4 KB. Only a hint: where the system has no huge pages nothing changes.

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace HugePages {

// Buffers smaller than this are left as they are.
inline constexpr std::size_t MinBytes = std::size_t(4) << 20;

// Marks the whole pages inside the buffer when it has at least MinBytes.
inline void Advise(void* Data, std::size_t Bytes) {
    if (Bytes < MinBytes)
        return;
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(Data);
    const std::uintptr_t from = (start + page - 1) / page * page;
    const std::uintptr_t to = (start + Bytes) / page * page;
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

} // namespace HugePages
