// Feeds arbitrary text to the name helpers: the command-line tokens, the file-name check and the
// wildcard matcher. Every call must end, and the helpers must agree with each other.
#include "ui/FileUtil.h"

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
    // A zero byte splits the input into a name and a mask.
    const qsizetype cut = bytes.indexOf('\0');
    const QString text = QString::fromUtf8(bytes.left(cut < 0 ? bytes.size() : cut));
    const QString mask = cut < 0 ? QString() : QString::fromUtf8(bytes.mid(cut + 1));

    // Tokens: each step moves on, the count and the indexed tokens agree with the walk.
    int pos = 0, count = 0;
    QString token;
    bool plain = true; // no token is empty or holds a control character: the parameters re-split
    for (;;) {
        const int before = pos;
        if (!NextCommandToken(text, pos, token))
            break;
        if (pos <= before)
            Fail("a token did not move on");
        if (CommandToken(text, count) != token)
            Fail("indexed token differs from the walk");
        plain = plain && !token.isEmpty();
        for (QChar c : token)
            plain = plain && (c.unicode() >= 32);
        ++count;
    }
    if (CommandTokenCount(text) != count)
        Fail("token count differs from the walk");
    QString program, params;
    SplitCommandLine(text, program, params);
    if (count > 0 && program != CommandToken(text, 0))
        Fail("program is not the first token");
    if (plain && count > 0 && CommandTokenCount(params) != count - 1)
        Fail("the parameters do not split back into the same tokens");

    // Names: the check is the forbidden characters.
    if (IsValidFileName(text) != (!text.isEmpty() && !HasAnyChar(text, QStringLiteral("<>\"[]|"))))
        Fail("file-name check disagrees");

    // Masks: a mask without wild cards matches itself; "*" matches anything.
    (void)MatchesMask(text, mask);
    if (!MatchesMask(text, QStringLiteral("*")))
        Fail("* did not match");
    if (!HasAnyChar(text, QStringLiteral("*?")) && !MatchesMask(text, text))
        Fail("a plain name did not match itself");
    return 0;
}
