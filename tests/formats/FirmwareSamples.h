// SPDX-License-Identifier: MIT
#pragma once
// Firmware files written for tests: Intel HEX, S-record and ELF files that hold given bytes at
// given addresses, written independently of the parsers that read them.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith::test {

// Bytes at an address.
struct TSampleSegment {
    uint64_t Address = 0;
    std::vector<uint8_t> Bytes;
};

// An Intel HEX text: extended linear address records where the upper 16 bits change, data
// records of up to `perRecord` bytes, the end-of-file record. Lines end in CR LF.
std::string IntelHexText(const std::vector<TSampleSegment> &segments, size_t perRecord = 16);

// One Intel HEX record of `type` with its checksum, without a line break.
std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t> &data);

// An S-record text: an S0 header, S1/S2/S3 data records (by the highest address), an S5 count
// and the matching termination. Lines end in LF.
std::string SRecordText(const std::vector<TSampleSegment> &segments, size_t perRecord = 16);

// One S-record of type `type` (0..9) with an address of `addressBytes` bytes and its checksum.
std::string SRecordLine(int type, size_t addressBytes, uint64_t address, const std::vector<uint8_t> &data);

// How an ELF sample is built.
struct TElfShape {
    bool Is64 = false;
    bool BigEndian = false;
    // Also a PT_LOAD segment without file bytes (.bss) and a non-loadable PT_NOTE one.
    bool WithExtraHeaders = true;
};

// An executable ELF file whose PT_LOAD segments hold `segments` at their physical addresses;
// the virtual addresses differ from them, so a reader that takes the wrong one is caught.
std::vector<uint8_t> ElfFile(const std::vector<TSampleSegment> &segments, const TElfShape &shape = {});

// `size` bytes of a pattern that changes with `seed`.
std::vector<uint8_t> SampleBytes(size_t size, unsigned seed);

} // namespace morlith::test
