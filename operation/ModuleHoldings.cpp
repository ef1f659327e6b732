// SPDX-License-Identifier: MIT
#include "ModuleHoldings.h"

#include "ComPortProgrammator.h"
#include "NumberText.h"
#include "PackageAcceptance.h"

namespace morlith {

bool HoldsImageOf(const std::array<uint16_t, 4> &Block, const TByteArray &Header)
{
    const std::array<uint16_t, 4> words = HeaderWords(Header);
    return Header.size() == kHeaderBytes && Block[0] == words[0] && Block[1] == words[1];
}

bool IsCurrent(const std::array<uint16_t, 4> &Block, const TByteArray &Header)
{
    return HoldsImageOf(Block, Header) && Block[2] == HeaderWords(Header)[2];
}

void NameHeldPackages(std::vector<TControllerHolding> &Holdings, const std::vector<TKnownPackage> &Packages)
{
    for (TControllerHolding &holding : Holdings) {
        holding.Package.reset();
        for (const TKnownPackage &package : Packages)
            if (holding.Present && HoldsImageOf(holding.Block, package.Header)) {
                holding.Package = package.Name;
                break;
            }
    }
}

TFailure ReadModuleHoldings(TComPortProgrammator &Programmator, int32_t PortNumber,
                            std::vector<TControllerHolding> &Holdings)
{
    Holdings.clear();
    for (uint8_t controller = 0; controller <= kLastController; ++controller) {
        TControllerHolding holding;
        holding.Controller = controller;
        // The main controller is the one connected to; a slave is selected on the same connection.
        if (controller > 0 && !Programmator.SelectMCU(PortNumber, controller)) {
            if (Programmator.LastFailure().Kind != TFailureKind::fkNoReply || Programmator.AbortRequested())
                return Programmator.LastFailure();
            Holdings.push_back(holding);
            continue;
        }
        if (!Programmator.ReadParameterBlock(holding.Block))
            return Programmator.LastFailure();
        holding.Present = true;
        Holdings.push_back(holding);
    }
    return TFailure{};
}

std::string DescribeImage(const TControllerHolding &Holding)
{
    if (Holding.ImageLength() == 0)
        return "no application";
    return CountOfBytes(Holding.ImageLength()) + ", CRC " + Hex16(Holding.ImageCrc());
}

} // namespace morlith
