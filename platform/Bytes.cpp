#include "platform/Bytes.h"

#include <cstring>

namespace {
[[noreturn]] void PastEnd() {
    throw EReadError(QStringLiteral("Read past the end of the data"));
}
} // namespace

void ByteReader::Seek(std::size_t pos) {
    if (pos > FData.size())
        PastEnd();
    FPos = pos;
}

void ByteReader::Skip(std::size_t count) {
    Take(count);
}

void ByteReader::Require(std::size_t offset, std::size_t length) const {
    if (!Contains(offset, length))
        PastEnd();
}

const std::uint8_t* ByteReader::Take(std::size_t count) {
    if (count > Remaining())
        PastEnd();
    const std::uint8_t* p = FData.data() + FPos;
    FPos += count;
    return p;
}

std::uint8_t ByteReader::ReadU8() {
    return *Take(1);
}

std::uint16_t ByteReader::ReadU16BE() {
    const std::uint8_t* p = Take(2);
    return std::uint16_t((p[0] << 8) | p[1]);
}

std::uint16_t ByteReader::ReadU16LE() {
    const std::uint8_t* p = Take(2);
    return std::uint16_t((p[1] << 8) | p[0]);
}

std::uint32_t ByteReader::ReadU32BE() {
    const std::uint8_t* p = Take(4);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint32_t ByteReader::ReadU32LE() {
    const std::uint8_t* p = Take(4);
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

std::span<const std::uint8_t> ByteReader::ReadBytes(std::size_t count) {
    const std::uint8_t* p = Take(count);
    return {p, count};
}

void ByteReader::ReadInto(void* dest, std::size_t count) {
    const std::uint8_t* p = Take(count);
    if (count)
        std::memcpy(dest, p, count);
}

std::uint8_t ByteReader::PeekU8(std::size_t offset) const {
    Require(offset, 1);
    return FData[offset];
}

std::uint16_t ByteReader::PeekU16BE(std::size_t offset) const {
    Require(offset, 2);
    return std::uint16_t((FData[offset] << 8) | FData[offset + 1]);
}

std::uint32_t ByteReader::PeekU32BE(std::size_t offset) const {
    Require(offset, 4);
    return (std::uint32_t(FData[offset]) << 24) | (std::uint32_t(FData[offset + 1]) << 16) |
           (std::uint32_t(FData[offset + 2]) << 8) | FData[offset + 3];
}

std::uint16_t ByteReader::PeekU16LE(std::size_t offset) const {
    Require(offset, 2);
    return std::uint16_t((FData[offset + 1] << 8) | FData[offset]);
}

std::uint32_t ByteReader::PeekU32LE(std::size_t offset) const {
    Require(offset, 4);
    return (std::uint32_t(FData[offset + 3]) << 24) | (std::uint32_t(FData[offset + 2]) << 16) |
           (std::uint32_t(FData[offset + 1]) << 8) | FData[offset];
}

std::uint8_t* ByteWriter::Room(std::size_t count) {
    const std::size_t end = CheckedAdd(FPos, count);
    if (end > FData.size())
        FData.resize(end, 0);
    std::uint8_t* p = FData.data() + FPos;
    FPos = end;
    return p;
}

void ByteWriter::WriteU8(std::uint8_t v) {
    *Room(1) = v;
}

void ByteWriter::WriteU16BE(std::uint16_t v) {
    std::uint8_t* p = Room(2);
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
}

void ByteWriter::WriteU16LE(std::uint16_t v) {
    std::uint8_t* p = Room(2);
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void ByteWriter::WriteU32BE(std::uint32_t v) {
    std::uint8_t* p = Room(4);
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

void ByteWriter::WriteU32LE(std::uint32_t v) {
    std::uint8_t* p = Room(4);
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

void ByteWriter::WriteBytes(const void* data, std::size_t count) {
    std::uint8_t* p = Room(count);
    if (count)
        std::memcpy(p, data, count);
}

void ByteWriter::WriteZeros(std::size_t count) {
    std::uint8_t* p = Room(count);
    if (count)
        std::memset(p, 0, count);
}
