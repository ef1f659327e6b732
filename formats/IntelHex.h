// SPDX-License-Identifier: MIT
#pragma once
// Intel HEX files: data records (00) at 16-bit offsets from a base that extended segment (02) and
// extended linear (04) address records set, ending with an end-of-file record (01); start
// address records (03, 05) are read and passed over. Under a segment base the 16-bit offsets wrap
// inside the segment.

#include "FirmwareData.h"

#include <string_view>

namespace morlith {

// Decodes an Intel HEX text. Every record's checksum is checked; an error names its line. A file
// without an end-of-file record, or with records after it, is refused as cut short or joined.
TDecodedFirmware ParseIntelHex(std::string_view text);

} // namespace morlith
