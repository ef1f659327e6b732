// SPDX-License-Identifier: MIT
#pragma once
// Tables of damaged record files and the refusal each must get.

#include "FirmwareData.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace morlith::test {

// A damaged file, the kind of its refusal and the line it must name (0: none).
struct TBadRecordFile {
    const char *Name;
    std::string Text;
    TImageFault Fault;
    size_t Line;
};

// Expects `parse` to refuse every file of `files` as it says, with the line first in the message.
template <typename TParse>
void ExpectRefusals(const std::vector<TBadRecordFile> &files, TParse parse)
{
    for (const TBadRecordFile &bad : files) {
        const TDecodedFirmware decoded = parse(std::string_view(bad.Text));
        ASSERT_FALSE(decoded.Ok()) << bad.Name;
        EXPECT_EQ(decoded.Error->Fault, bad.Fault) << bad.Name << ": " << decoded.Error->Message;
        EXPECT_EQ(decoded.Error->Line, bad.Line) << bad.Name << ": " << decoded.Error->Message;
        if (bad.Line != 0) {
            EXPECT_EQ(decoded.Error->Message.rfind("line " + std::to_string(bad.Line) + ":", 0), 0u)
                << decoded.Error->Message;
        }
    }
}

} // namespace morlith::test
