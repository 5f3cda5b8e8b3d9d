#pragma once
// Checked reading and writing of binary data held in memory. Every read is bounded by the bytes
// that are really there: reading past the end raises EReadError, never undefined behaviour.

#include "platform/Errors.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> data) : FData(data) {}
    explicit ByteReader(const QByteArray& data)
        : FData(reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())) {}
    // The reader only views the bytes: a temporary array would leave it dangling.
    explicit ByteReader(QByteArray&&) = delete;
    ByteReader(const std::uint8_t* data, std::size_t size) : FData(data, size) {}

    std::size_t Size() const { return FData.size(); }
    std::size_t Position() const { return FPos; }
    std::size_t Remaining() const { return FData.size() - FPos; }
    bool AtEnd() const { return FPos >= FData.size(); }
    const std::uint8_t* Data() const { return FData.data(); }

    // Moves to an absolute position; a position past the end raises EReadError.
    void Seek(std::size_t pos);
    void Skip(std::size_t count);
    // True when [offset, offset + length) lies inside the data (overflow-safe).
    bool Contains(std::size_t offset, std::size_t length) const {
        return offset <= FData.size() && length <= FData.size() - offset;
    }
    // Raises EReadError unless [offset, offset + length) lies inside the data.
    void Require(std::size_t offset, std::size_t length) const;

    std::uint8_t ReadU8();
    std::int8_t ReadI8() { return std::int8_t(ReadU8()); }
    std::uint16_t ReadU16BE();
    std::uint16_t ReadU16LE();
    std::int16_t ReadI16BE() { return std::int16_t(ReadU16BE()); }
    std::int16_t ReadI16LE() { return std::int16_t(ReadU16LE()); }
    std::uint32_t ReadU32BE();
    std::uint32_t ReadU32LE();
    std::int32_t ReadI32BE() { return std::int32_t(ReadU32BE()); }
    std::int32_t ReadI32LE() { return std::int32_t(ReadU32LE()); }
    // A view of the next count bytes; the position moves past them.
    std::span<const std::uint8_t> ReadBytes(std::size_t count);
    void ReadInto(void* dest, std::size_t count);

    // Reads at an absolute offset without moving the position.
    std::uint8_t PeekU8(std::size_t offset) const;
    std::uint16_t PeekU16BE(std::size_t offset) const;
    std::uint32_t PeekU32BE(std::size_t offset) const;
    std::uint16_t PeekU16LE(std::size_t offset) const;
    std::uint32_t PeekU32LE(std::size_t offset) const;

private:
    const std::uint8_t* Take(std::size_t count);

    std::span<const std::uint8_t> FData;
    std::size_t FPos = 0;
};

// Appends to, or overwrites inside, a growing byte buffer.
class ByteWriter {
public:
    std::vector<std::uint8_t>& Buffer() { return FData; }
    const std::vector<std::uint8_t>& Buffer() const { return FData; }
    QByteArray ToByteArray() const {
        return QByteArray(reinterpret_cast<const char*>(FData.data()), qsizetype(FData.size()));
    }
    std::size_t Size() const { return FData.size(); }
    std::size_t Position() const { return FPos; }
    // Moves the write position; positions past the end fill the gap with zeros when written.
    void Seek(std::size_t pos) { FPos = pos; }
    void SeekEnd() { FPos = FData.size(); }

    void WriteU8(std::uint8_t v);
    void WriteU16BE(std::uint16_t v);
    void WriteU16LE(std::uint16_t v);
    void WriteU32BE(std::uint32_t v);
    void WriteU32LE(std::uint32_t v);
    void WriteI16BE(std::int16_t v) { WriteU16BE(std::uint16_t(v)); }
    void WriteI16LE(std::int16_t v) { WriteU16LE(std::uint16_t(v)); }
    void WriteI32BE(std::int32_t v) { WriteU32BE(std::uint32_t(v)); }
    void WriteI32LE(std::int32_t v) { WriteU32LE(std::uint32_t(v)); }
    void WriteBytes(const void* data, std::size_t count);
    void WriteZeros(std::size_t count);

private:
    std::uint8_t* Room(std::size_t count);

    std::vector<std::uint8_t> FData;
    std::size_t FPos = 0;
};
