// Feeds arbitrary bytes to the machine program file reader. A file that reads must also write, and
// what is written must read back to equal modules.
#include "model/UunvDta.h"
#include "platform/Errors.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fail(const char* What) {
    std::fprintf(stderr, "%s\n", What);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const QByteArray bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    MProgramLists program;
    try {
        ReadMachineFile(bytes, QStringLiteral("FUZZ_740e7.LST"), program.Machine, program.Lists());
    } catch (const Exception&) {
        if (!ListsAutoValidate || !ClearBase)
            Fail("a failed read left a switch changed");
        for (MUnvList* list : program.Lists())
            if (list->Count() != 0)
                Fail("a failed read changed a list");
        return 0;
    }
    QByteArray image;
    try {
        image = MachineFileImage(program.Machine, program.Lists());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("a file that reads does not write");
    }
    MProgramLists back;
    try {
        ReadMachineFile(image, QString(), back.Machine, back.Lists());
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Fail("a written file does not read");
    }
    for (int k = 1; k <= ListKindCount; ++k) {
        MUnvList& written = program.List(k);
        MUnvList& read = back.List(k);
        if (written.Count() != read.Count())
            Fail("a list lost modules");
        for (int i = 0; i < written.Count(); ++i)
            if (!read.ItemAt(i).Equals(written.ItemAt(i)) ||
                read.ItemAt(i).Number != written.ItemAt(i).Number)
                Fail("a module read back differs");
    }
    return 0;
}
