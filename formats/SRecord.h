// SPDX-License-Identifier: MIT
#pragma once
// Motorola S-record files: a header (S0), data with 16-, 24- or 32-bit addresses (S1, S2, S3),
// record counts (S5, S6) and a termination with the start address (S9, S8, S7).

#include "FirmwareData.h"

#include <string_view>

namespace morlith {

// Decodes an S-record text. Every record's checksum is checked and a count record must match the
// data records before it; an error names its line. The termination record may be left out; records
// after it are refused as a joined file. Record letters may be lower case.
TDecodedFirmware ParseSRecords(std::string_view text);

} // namespace morlith
