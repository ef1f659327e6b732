// SPDX-License-Identifier: MIT
#pragma once
// ELF files, 32- or 64-bit, of either byte order: the file bytes of the loadable (PT_LOAD)
// segments, each at its physical address, which is where a programmer puts it.

#include "FirmwareData.h"

#include <cstddef>
#include <cstdint>

namespace morlith {

// Decodes the ELF file of `size` bytes at `data`. Segments without file bytes (.bss) are passed
// over. A file cut short, one without a loadable segment, or one whose headers point outside it
// is refused; nothing is read outside the file.
TDecodedFirmware ParseElf(const uint8_t *data, size_t size);

// True when `size` bytes at `data` begin as an ELF file does.
bool HasElfMagic(const uint8_t *data, size_t size);

} // namespace morlith
