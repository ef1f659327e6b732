// SPDX-License-Identifier: MIT
#include "FirmwareSamples.h"

#include <algorithm>
#include <cstdio>

namespace morlith::test {
namespace {

std::string HexDigits(const std::vector<uint8_t> &bytes)
{
    std::string text;
    char pair[3];
    for (uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", unsigned(byte));
        text += pair;
    }
    return text;
}

// Calls `record(address, bytes)` for every piece of at most `perRecord` bytes of the segments.
template <typename TRecordWriter>
void ForEachPiece(const std::vector<TSampleSegment> &segments, size_t perRecord, TRecordWriter record)
{
    for (const TSampleSegment &segment : segments) {
        for (size_t at = 0; at < segment.Bytes.size(); at += perRecord) {
            const size_t count = std::min(perRecord, segment.Bytes.size() - at);
            record(segment.Address + at,
                   std::vector<uint8_t>(segment.Bytes.begin() + long(at), segment.Bytes.begin() + long(at + count)));
        }
    }
}

// Appends integers of a fixed byte order.
class TByteWriter {
public:
    explicit TByteWriter(bool bigEndian) : FBigEndian(bigEndian) {}
    void Put(uint64_t value, size_t width)
    {
        for (size_t i = 0; i < width; ++i) {
            const size_t shift = 8 * (FBigEndian ? width - 1 - i : i);
            Bytes.push_back(uint8_t(value >> shift));
        }
    }
    std::vector<uint8_t> Bytes;

private:
    bool FBigEndian;
};

// One program header.
struct TProgramHeader {
    uint32_t Type;
    uint64_t Offset, PhysicalAddress, FileBytes, MemoryBytes;
};

constexpr uint32_t kLoad = 1;
constexpr uint32_t kNote = 4;
constexpr uint64_t kVirtualShift = 0x20000000;

void PutProgramHeader(TByteWriter &out, const TProgramHeader &header, bool is64)
{
    const size_t word = is64 ? 8 : 4;
    out.Put(header.Type, 4);
    if (is64)
        out.Put(5, 4); // flags: read, execute
    out.Put(header.Offset, word);
    out.Put(header.PhysicalAddress + kVirtualShift, word);
    out.Put(header.PhysicalAddress, word);
    out.Put(header.FileBytes, word);
    out.Put(header.MemoryBytes, word);
    if (!is64)
        out.Put(5, 4);
    out.Put(4, word); // alignment
}

} // namespace

std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> bytes = {uint8_t(data.size()), uint8_t(address >> 8), uint8_t(address), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : bytes)
        sum += byte;
    bytes.push_back(uint8_t(0x100 - (sum & 0xFF)));
    return ":" + HexDigits(bytes);
}

std::string IntelHexText(const std::vector<TSampleSegment> &segments, size_t perRecord)
{
    std::string text;
    uint64_t upper = 0;
    ForEachPiece(segments, perRecord, [&](uint64_t address, const std::vector<uint8_t> &bytes) {
        if (address >> 16 != upper) {
            upper = address >> 16;
            text += HexRecord(4, 0, {uint8_t(upper >> 8), uint8_t(upper)}) + "\r\n";
        }
        text += HexRecord(0, uint16_t(address), bytes) + "\r\n";
    });
    return text + HexRecord(1, 0, {}) + "\r\n";
}

std::string SRecordLine(int type, size_t addressBytes, uint64_t address, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> bytes = {uint8_t(addressBytes + data.size() + 1)};
    for (size_t i = addressBytes; i-- > 0;)
        bytes.push_back(uint8_t(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : bytes)
        sum += byte;
    bytes.push_back(uint8_t(~sum));
    return "S" + std::to_string(type) + HexDigits(bytes);
}

std::string SRecordText(const std::vector<TSampleSegment> &segments, size_t perRecord)
{
    uint64_t highest = 0;
    for (const TSampleSegment &segment : segments)
        highest = std::max<uint64_t>(highest, segment.Address + segment.Bytes.size());
    const size_t addressBytes = highest > 0x1000000 ? 4 : highest > 0x10000 ? 3 : 2;
    const int dataType = int(addressBytes) - 1;
    std::string text = SRecordLine(0, 2, 0, {'t', 'e', 's', 't'}) + "\n";
    unsigned records = 0;
    ForEachPiece(segments, perRecord, [&](uint64_t address, const std::vector<uint8_t> &bytes) {
        text += SRecordLine(dataType, addressBytes, address, bytes) + "\n";
        ++records;
    });
    text += SRecordLine(5, 2, records, {}) + "\n";
    return text + SRecordLine(10 - dataType, addressBytes, 0, {}) + "\n";
}

std::vector<uint8_t> ElfFile(const std::vector<TSampleSegment> &segments, const TElfShape &shape)
{
    const size_t word = shape.Is64 ? 8 : 4;
    const size_t headerBytes = shape.Is64 ? 64 : 52;
    const size_t entryBytes = shape.Is64 ? 56 : 32;
    std::vector<TProgramHeader> headers;
    const size_t entries = segments.size() + (shape.WithExtraHeaders ? 2 : 0);
    uint64_t offset = headerBytes + entries * entryBytes;
    for (const TSampleSegment &segment : segments) {
        headers.push_back({kLoad, offset, segment.Address, segment.Bytes.size(), segment.Bytes.size()});
        offset += segment.Bytes.size();
    }
    if (shape.WithExtraHeaders) {
        headers.push_back({kLoad, offset, 0x7FFF0000, 0, 0x100});  // .bss: no file bytes
        headers.push_back({kNote, headerBytes, 0x7FFE0000, 8, 8}); // not loadable
    }
    TByteWriter out(shape.BigEndian);
    out.Bytes = {0x7F, 'E', 'L', 'F', uint8_t(shape.Is64 ? 2 : 1), uint8_t(shape.BigEndian ? 2 : 1), 1};
    out.Bytes.resize(16, 0);
    out.Put(2, 2);          // executable
    out.Put(0x28, 2);       // machine
    out.Put(1, 4);          // version
    out.Put(0x100, word);   // entry
    out.Put(headerBytes, word);
    out.Put(0, word);       // no section headers
    out.Put(0, 4);          // flags
    out.Put(headerBytes, 2);
    out.Put(entryBytes, 2);
    out.Put(entries, 2);
    out.Put(0, 2);
    out.Put(0, 2);
    out.Put(0, 2);
    for (const TProgramHeader &header : headers)
        PutProgramHeader(out, header, shape.Is64);
    for (const TSampleSegment &segment : segments)
        out.Bytes.insert(out.Bytes.end(), segment.Bytes.begin(), segment.Bytes.end());
    return out.Bytes;
}

std::vector<uint8_t> SampleBytes(size_t size, unsigned seed)
{
    std::vector<uint8_t> bytes;
    uint32_t state = seed * 2654435761u + 1;
    while (bytes.size() < size) {
        state = state * 1664525u + 1013904223u;
        bytes.push_back(uint8_t(state >> 24));
    }
    return bytes;
}

} // namespace morlith::test
