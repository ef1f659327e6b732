// SPDX-License-Identifier: MIT
#include "WriteVerification.h"

#include "ComPortProgrammator.h"
#include "NumberText.h"
#include "PackageAcceptance.h"

#include <array>

namespace morlith {
namespace {

// The four words of a parameter block as "0x1388 0xA5C3 0x0200 0x1234".
std::string BlockWords(const std::array<uint16_t, 4> &words)
{
    std::string text;
    for (const uint16_t word : words)
        text += (text.empty() ? "" : " ") + Hex16(word);
    return text;
}

// A read-back that failed, its step inside the verification's: `what` was being read back.
TFailure ReadBackFailure(const TComPortProgrammator &Programmator, const std::string &what)
{
    TFailure failure = Programmator.LastFailure();
    failure.Step = "verification (written, then reading " + what + "back: " + failure.Step + ")";
    return failure;
}

} // namespace

std::string DescribeDifference(const std::vector<uint8_t> &written, const std::vector<uint8_t> &readBack)
{
    for (size_t i = 0; i < written.size() && i < readBack.size(); ++i) {
        if (written[i] != readBack[i])
            return "first difference at offset " + GroupThousands(i) + " (" + Hex16(uint16_t(i)) + "): wrote " +
                   Hex8(written[i]) + ", read back " + Hex8(readBack[i]);
    }
    if (written.size() > readBack.size())
        return "the data segment holds " + GroupThousands(readBack.size()) + " bytes, the file " +
               GroupThousands(written.size()) + ": first difference at offset " + GroupThousands(readBack.size());
    return "";
}

TFailure VerifyWrite(TComPortProgrammator &Programmator, TOperationKind Kind, const TOperationInput &Input)
{
    if (Kind == TOperationKind::okWriteApplication) {
        const std::array<uint16_t, 4> written = HeaderWords(Input.Header);
        std::array<uint16_t, 4> readBack{};
        if (!Programmator.ReadParameterBlock(readBack))
            return ReadBackFailure(Programmator, "the parameter block ");
        if (readBack != written)
            return MakeFailure(TFailureKind::fkBadReply, "the parameter block reads back as " + BlockWords(readBack) +
                                                             ", the header written was " + BlockWords(written))
                .During("verification");
        return TFailure{};
    }
    if (Kind != TOperationKind::okWriteDataSegment)
        return TFailure{};
    TByteArray readBack;
    if (!Programmator.ReadDataSegment(readBack))
        return ReadBackFailure(Programmator, "");
    const std::string difference = DescribeDifference(Input.Bytes, readBack);
    if (!difference.empty())
        return MakeFailure(TFailureKind::fkBadReply, difference).During("verification");
    return TFailure{};
}

} // namespace morlith
