// SPDX-License-Identifier: MIT
#include "SequenceSerials.h"

#include "PathText.h"

#include <filesystem>

namespace morlith {
namespace {

class TSequenceSerials : public TSerialSource {
public:
    TSequenceSerials(std::shared_ptr<TStore> store, std::string sequence, std::string station, uint64_t largest)
        : FStore(std::move(store)), FSequence(std::move(sequence)), FStation(std::move(station)), FLargest(largest)
    {
    }

    bool Open(uint64_t lease, const std::string &leasePath, TFailure &failure)
    {
        FSerials = TStoreSerials::Open(*FStore, FSequence, FStation, lease, leasePath, failure);
        if (!FSerials)
            return false;
        // A lease a killed run left: its numbers were never given (each leaves the file before
        // it is given), so they are recorded as unused now; with the store away they are kept
        // and used.
        TFailure away;
        if (FSerials->Left() > 0)
            FSerials->ReturnLease(away);
        return true;
    }

    bool Take(const std::function<bool()> &, uint64_t &serial, TFailure &failure) override
    {
        uint64_t number = 0;
        if (!FSerials->Take(number, failure)) {
            failure.During("taking the unit's serial number from the store's sequence \"" + FSequence + "\"");
            return false;
        }
        if (number <= FLargest) {
            serial = number;
            return true;
        }
        // Taken but not the unit's: the ledger says so, as far as the store can be reached now.
        TFailure unrecorded;
        ReturnUnused(*FStore, FSequence, {{number, 1}}, FStation, unrecorded);
        failure = MakeFailure(TFailureKind::fkRefusedInput,
                              "the store's sequence \"" + FSequence + "\" gave " + std::to_string(number) +
                                  ", more than the serial field holds (" + std::to_string(FLargest) + ")")
                      .During("taking the unit's serial number from the store");
        return false;
    }

    bool Finish(TFailure &failure) override { return FSerials->ReturnLease(failure); }

private:
    std::shared_ptr<TStore> FStore;
    std::string FSequence;
    std::string FStation;
    uint64_t FLargest;
    std::unique_ptr<TStoreSerials> FSerials;
};

} // namespace

std::unique_ptr<TSerialSource> OpenSequenceSerials(std::shared_ptr<TStore> store, const TRecipeSerial &serial,
                                                   uint64_t largest, const std::string &station,
                                                   const std::string &leaseFolder, TFailure &failure)
{
    std::string leasePath;
    if (serial.Lease > 0) {
        std::error_code error;
        std::filesystem::create_directories(PathFromUtf8(leaseFolder), error);
        if (error) {
            failure = FileFailure(error.value(), "make", leaseFolder, "opening the lease of serial numbers");
            return nullptr;
        }
        leasePath = LeasePathOf(leaseFolder, station, serial.Sequence);
    }
    auto source = std::make_unique<TSequenceSerials>(std::move(store), serial.Sequence, station, largest);
    if (!source->Open(serial.Lease, leasePath, failure))
        return nullptr;
    return source;
}

} // namespace morlith
