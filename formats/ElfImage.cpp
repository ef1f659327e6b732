// SPDX-License-Identifier: MIT
#include "ElfImage.h"

#include <algorithm>

namespace morlith {
namespace {

constexpr uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
constexpr size_t kIdentBytes = 16;
constexpr size_t kClassAt = 4;
constexpr size_t kByteOrderAt = 5;
constexpr uint8_t kClass32 = 1;
constexpr uint8_t kClass64 = 2;
constexpr uint8_t kLittleEndian = 1;
constexpr uint8_t kBigEndian = 2;
constexpr uint32_t kLoadableSegment = 1; // PT_LOAD
constexpr uint64_t kExtendedCount = 0xFFFF; // PN_XNUM: the count stands elsewhere

// Where the fields this reader needs stand in one ELF class, and the sizes of its tables.
struct TElfLayout {
    size_t HeaderBytes;
    size_t ProgramTableAt, ProgramTableWidth;
    size_t EntrySizeAt, EntryCountAt;
    size_t EntryBytes;
    size_t OffsetAt, PhysicalAddressAt, FileSizeAt, FieldWidth;
};

constexpr TElfLayout kElf32{52, 28, 4, 42, 44, 32, 4, 12, 16, 4};
constexpr TElfLayout kElf64{64, 32, 8, 54, 56, 56, 8, 24, 32, 8};

class TElfReader {
public:
    TElfReader(const uint8_t *data, size_t size) : FData(data), FSize(size) {}

    TDecodedFirmware Read()
    {
        if (!HasElfMagic(FData, FSize)) {
            if (FSize < sizeof kElfMagic && std::equal(FData, FData + FSize, kElfMagic))
                return Truncated("the file ends inside the ELF identification");
            return Refusal(TImageFault::ifFormatMismatch, 0, "not an ELF file: it does not begin with 0x7F 'E' 'L' 'F'");
        }
        if (FSize < kIdentBytes)
            return Truncated("the file ends inside the ELF identification");
        const uint8_t elfClass = FData[kClassAt];
        const uint8_t byteOrder = FData[kByteOrderAt];
        if (elfClass != kClass32 && elfClass != kClass64)
            return Refusal(TImageFault::ifUnsupported, 0,
                           "ELF class " + std::to_string(elfClass) + " is neither 32-bit (1) nor 64-bit (2)");
        if (byteOrder != kLittleEndian && byteOrder != kBigEndian)
            return Refusal(TImageFault::ifUnsupported, 0,
                           "ELF byte order " + std::to_string(byteOrder) + " is neither little (1) nor big endian (2)");
        FLayout = elfClass == kClass64 ? &kElf64 : &kElf32;
        FBigEndian = byteOrder == kBigEndian;
        if (FSize < FLayout->HeaderBytes)
            return Truncated("the file ends inside the ELF header, after " + ByteCount(FSize) + " of " +
                             std::to_string(FLayout->HeaderBytes));
        return ReadProgramHeaders();
    }

private:
    static TDecodedFirmware Truncated(const std::string &message)
    {
        return Refusal(TImageFault::ifTruncated, 0, message);
    }

    // The unsigned field of `width` bytes at `at`, which lies inside the file.
    uint64_t Field(size_t at, size_t width) const
    {
        uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value = value << 8 | FData[at + (FBigEndian ? i : width - 1 - i)];
        return value;
    }

    TDecodedFirmware ReadProgramHeaders()
    {
        const TElfLayout &layout = *FLayout;
        const uint64_t tableAt = Field(layout.ProgramTableAt, layout.ProgramTableWidth);
        const uint64_t entryBytes = Field(layout.EntrySizeAt, 2);
        const uint64_t entries = Field(layout.EntryCountAt, 2);
        if (entries == 0)
            return Refusal(TImageFault::ifNoLoadableSegment, 0,
                           "the file has no program headers, so no loadable segment (an object file, not linked?)");
        if (entries == kExtendedCount)
            return Refusal(TImageFault::ifUnsupported, 0, "the file has 65,535 or more program headers");
        if (entryBytes < layout.EntryBytes)
            return Refusal(TImageFault::ifSyntax, 0,
                           "program headers of " + ByteCount(entryBytes) + ", smaller than the " +
                               std::to_string(layout.EntryBytes) + " of this ELF class");
        if (tableAt > FSize || entries * entryBytes > FSize - tableAt)
            return Truncated("the program header table (" + std::to_string(entries) + " entries at offset " +
                             std::to_string(tableAt) + ") runs past the end of the file (" + ByteCount(FSize) + ")");
        TDecodedFirmware decoded;
        decoded.Data.OriginKind = TRunOrigin::roProgramHeader;
        for (uint64_t index = 0; index < entries; ++index) {
            if (!TakeSegment(size_t(tableAt + index * entryBytes), size_t(index), decoded))
                return decoded;
        }
        if (decoded.Data.Runs.empty())
            return Refusal(TImageFault::ifNoLoadableSegment, 0, "no loadable (PT_LOAD) segment holds file bytes");
        return decoded;
    }

    // Adds the file bytes of the segment whose program header stands at `at`; false once refused.
    bool TakeSegment(size_t at, size_t index, TDecodedFirmware &decoded) const
    {
        const TElfLayout &layout = *FLayout;
        const uint64_t fileBytes = Field(at + layout.FileSizeAt, layout.FieldWidth);
        if (Field(at, 4) != kLoadableSegment || fileBytes == 0)
            return true;
        const uint64_t offset = Field(at + layout.OffsetAt, layout.FieldWidth);
        const uint64_t address = Field(at + layout.PhysicalAddressAt, layout.FieldWidth);
        const std::string where = "program header " + std::to_string(index) + ": ";
        if (offset > FSize || fileBytes > FSize - offset) {
            decoded.Error = TImageError{TImageFault::ifTruncated, 0,
                                        where + "the segment's " + ByteCount(fileBytes) + " at offset " +
                                            std::to_string(offset) + " run past the end of the file (" +
                                            ByteCount(FSize) + ")"};
            return false;
        }
        if (fileBytes > UINT64_MAX - address) {
            decoded.Error = TImageError{TImageFault::ifAddressRange, 0,
                                        where + "the segment at " + HexAddress(address) + " runs past the address space"};
            return false;
        }
        if (!decoded.Data.Add(address, FData + offset, size_t(fileBytes), index)) {
            decoded.Error = TImageError{TImageFault::ifAddressRange, 0,
                                        where + "the loadable segments hold more than the " +
                                            ByteCount(kMaxImageBytes) + " an image can hold"};
            return false;
        }
        return true;
    }

    const uint8_t *FData;
    size_t FSize;
    const TElfLayout *FLayout = nullptr;
    bool FBigEndian = false;
};

} // namespace

bool HasElfMagic(const uint8_t *data, size_t size)
{
    return size >= sizeof kElfMagic && std::equal(kElfMagic, kElfMagic + sizeof kElfMagic, data);
}

TDecodedFirmware ParseElf(const uint8_t *data, size_t size)
{
    return TElfReader(data, size).Read();
}

} // namespace morlith
