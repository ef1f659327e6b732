// SPDX-License-Identifier: MIT
#include "IntelHex.h"

#include "RecordText.h"

#include <cstdio>

namespace morlith {
namespace {

// Count byte, two address bytes and the type byte before the data, the checksum after it; all of
// a record's bytes add up to 0.
constexpr TRecordFrame kHexFrame{4, 0};
constexpr size_t kDataStart = 4;

enum THexRecordType : uint8_t {
    hrData = 0x00,
    hrEndOfFile = 0x01,
    hrExtendedSegment = 0x02,
    hrStartSegment = 0x03,
    hrExtendedLinear = 0x04,
    hrStartLinear = 0x05,
};

// A record type as the format writes it: "04".
std::string TypeText(uint8_t type)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", unsigned(type));
    return text;
}

// Takes the records one by one, keeping the address base they set.
class THexReader : public TRecordReader {
public:
    THexReader() : TRecordReader("end-of-file (01)", true) {}

private:
    bool TakeRecord(const TRecordLine &line) override
    {
        if (line.Text.front() != ':')
            return Fail(LineError(TImageFault::ifSyntax, line.Number,
                                  "a record starts with ':', not " + ShowCharacter(line.Text.front())));
        if (auto error = DecodeRecord(line.Text.substr(1), kHexFrame, line.Number, FRecord))
            return Fail(*error);
        return Apply(line.Number);
    }

    bool Apply(size_t line)
    {
        const size_t count = FRecord[0];
        const uint64_t offset = uint64_t(FRecord[1]) << 8 | FRecord[2];
        switch (FRecord[3]) {
        case hrData:
            return AddRecordData(offset, count, line);
        case hrEndOfFile:
            End(line);
            return ExpectCount(line, 0, "end of file");
        case hrExtendedSegment:
            if (!ExpectCount(line, 2, "extended segment address"))
                return false;
            FBase = Word() << 4;
            FSegmented = true;
            return true;
        case hrExtendedLinear:
            if (!ExpectCount(line, 2, "extended linear address"))
                return false;
            FBase = Word() << 16;
            FSegmented = false;
            return true;
        case hrStartSegment:
            return ExpectCount(line, 4, "start segment address");
        case hrStartLinear:
            return ExpectCount(line, 4, "start linear address");
        default:
            return Fail(LineError(TImageFault::ifRecordType, line,
                                  "record type " + TypeText(FRecord[3]) + " is not an Intel HEX record type"));
        }
    }

    // Under a segment base (02) the offset wraps inside the 64 KiB segment, as the format defines:
    // a record that runs past its end goes on at the segment's start.
    bool AddRecordData(uint64_t offset, size_t count, size_t line)
    {
        constexpr uint64_t kSegmentBytes = 0x10000;
        const uint8_t *data = FRecord.data() + kDataStart;
        if (!FSegmented || offset + count <= kSegmentBytes)
            return AddData(FBase + offset, data, count, line);
        const size_t first = size_t(kSegmentBytes - offset);
        return AddData(FBase + offset, data, first, line) && AddData(FBase, data + first, count - first, line);
    }

    // The record's data as a 16-bit big-endian value (records of two data bytes).
    uint64_t Word() const { return uint64_t(FRecord[kDataStart]) << 8 | FRecord[kDataStart + 1]; }

    bool ExpectCount(size_t line, size_t expected, const char *name)
    {
        if (FRecord[0] == expected)
            return true;
        return Fail(LineError(TImageFault::ifSyntax, line,
                              "record type " + TypeText(FRecord[3]) + " (" + name + ") holds " +
                                  std::to_string(expected) + " data bytes, not " + std::to_string(FRecord[0])));
    }

    uint64_t FBase = 0;
    bool FSegmented = false; // the base came from an extended segment address record
};

} // namespace

TDecodedFirmware ParseIntelHex(std::string_view text)
{
    return THexReader().Read(text);
}

} // namespace morlith
