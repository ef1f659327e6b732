// SPDX-License-Identifier: MIT
#include "SRecord.h"

#include "RecordText.h"

namespace morlith {
namespace {

// The count byte counts the address, the data and the checksum; the bytes after it add up to
// 0xFF with the checksum.
constexpr TRecordFrame kSFrame{0, 0xFF};
// Address bytes of each record type S0..S9; 0 for the reserved S4.
constexpr size_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
constexpr int kReservedType = 4;

class TSRecordReader : public TRecordReader {
public:
    // Many tools end a file with its last data record or its count, so the termination is
    // optional; one that is there must be the last record.
    TSRecordReader() : TRecordReader("termination (S7, S8 or S9)", false) {}

private:
    bool TakeRecord(const TRecordLine &line) override
    {
        const std::string_view text = line.Text;
        if (text.front() != 'S' && text.front() != 's')
            return Fail(LineError(TImageFault::ifSyntax, line.Number,
                                  "a record starts with 'S', not " + ShowCharacter(text.front())));
        if (text.size() < 2)
            return Fail(LineError(TImageFault::ifTruncated, line.Number,
                                  "the record ends after its " + ShowCharacter(text.front())));
        if (text[1] < '0' || text[1] > '9')
            return Fail(LineError(TImageFault::ifSyntax, line.Number,
                                  "S" + ShowCharacter(text[1]) + " is not an S-record type"));
        const int type = text[1] - '0';
        if (type == kReservedType)
            return Fail(LineError(TImageFault::ifRecordType, line.Number, "S4 is a reserved record type"));
        if (auto error = DecodeRecord(text.substr(2), kSFrame, line.Number, FRecord))
            return Fail(*error);
        return Apply(type, line.Number);
    }

    bool Apply(int type, size_t line)
    {
        const size_t addressBytes = kAddressBytes[type];
        const size_t count = FRecord[0];
        if (count < addressBytes + 1)
            return Fail(LineError(TImageFault::ifSyntax, line,
                                  "an S" + std::to_string(type) + " record counts " + std::to_string(count) +
                                      " bytes, too few for its address and checksum"));
        uint64_t address = 0;
        for (size_t i = 1; i <= addressBytes; ++i)
            address = address << 8 | FRecord[i];
        switch (type) {
        case 1:
        case 2:
        case 3:
            ++FDataRecords;
            return AddData(address, FRecord.data() + 1 + addressBytes, count - addressBytes - 1, line);
        case 5:
        case 6:
            if (address == FDataRecords)
                return true;
            return Fail(LineError(TImageFault::ifRecordCount, line,
                                  "the S" + std::to_string(type) + " record counts " + std::to_string(address) +
                                      " data records, the file has " + std::to_string(FDataRecords) + " before it"));
        case 7:
        case 8:
        case 9:
            End(line);
            return true;
        default: // S0, the header
            return true;
        }
    }

    uint64_t FDataRecords = 0;
};

} // namespace

TDecodedFirmware ParseSRecords(std::string_view text)
{
    return TSRecordReader().Read(text);
}

} // namespace morlith
