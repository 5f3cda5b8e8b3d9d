#pragma once
// The list file of the desktop autosave, "DeskTop\DeskTop.dsk": UTF-8 lines ending in CR LF (a bare
// LF is read too), two per project: the name the project is reopened from, then its own name.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct TDeskTopPair {
    QString ReopenName;
    QString OwnName;
    friend bool operator==(const TDeskTopPair&, const TDeskTopPair&) = default;
};

// The most bytes of a list file that are read.
constexpr std::int64_t MaxDeskTopListBytes = 1 << 20;

// The pairs of a list file. A pair with an empty line or a line that is not UTF-8 is skipped; a
// trailing single line is ignored.
std::vector<TDeskTopPair> ParseDeskTopList(const QByteArray& Bytes);
// The bytes of a list file. A pair whose names hold a line break or are empty is left out.
QByteArray FormatDeskTopList(const std::vector<TDeskTopPair>& Pairs);
