#pragma once
// The 64 32-bit values at the head of a project data file (.JXW). The first 32 are the project's
// palette colours; the others are carried without meaning here.

#include "platform/Color.h"

#include <QObject>

#include <array>
#include <cstdint>

class ByteReader;
class ByteWriter;
class MPalette;

// What a header asks of the project that owns it; the project container implements it. The model
// knows no window, so the owner is reached through this interface.
class MProjectHeaderOwner {
public:
    virtual ~MProjectHeaderOwner() = default;
    // The palette the header's colours go into.
    virtual MPalette& HeaderPalette() = 0;
    // The colour no palette entry may hold, and the one that stands in for it.
    virtual TColor ReservedColor() const = 0;
    virtual TColor ReservedColorSubstitute() const = 0;
};

class MProjHeader {
public:
    static constexpr int ValueCount = 64;
    static constexpr int ByteSize = ValueCount * 4;

    explicit MProjHeader(QObject* Owner = nullptr) : Owner(Owner) {}

    QObject* Owner; // normally the project window
    std::array<std::int32_t, ValueCount> Values{};

    // When the owner is a project, puts values 0..31 into its palette, the reserved colour replaced
    // by its substitute; for any other owner nothing happens.
    void ApplyHeader();
    // The 256-byte block of the file: 64 little-endian values, value 0 first.
    void ReadFrom(ByteReader& Stream);
    void WriteTo(ByteWriter& Stream) const;
};
