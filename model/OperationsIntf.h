// SPDX-License-Identifier: MIT
#pragma once
// IOperationsInterface and IOperationInterface: how the Loading page runs a device operation
// without knowing what runs it. The model's TOperations runs each on a TOperationRunner.

#include "Failure.h"
#include "OperationKind.h"
#include "RefCounted.h"

#include <array>
#include <cstdint>
#include <string>

namespace morlith {

// One device operation, its steps in the order the page takes them. Each step returns false
// with Failure() when it fails; the page then takes no further step but Finish.
class IOperationInterface : public virtual IInterface {
public:
    // Reads and checks what a write sends, once, from `Path`.
    virtual bool ReadInput(const std::string &Path) = 0;
    // Connects for the main controller, selects a slave otherwise.
    virtual bool Connect(int32_t PortNumber) = 0;
    // The work on the module: writes the input, or reads the data segment.
    virtual bool Perform() = 0;
    // After a read: saves what was read at `Path` as a whole, replacing the file there.
    virtual bool SaveData(const std::string &Path) = 0;
    // After a read: how the record names where the data goes.
    virtual void SetOutputLabel(const std::string &Label) = 0;
    // Ends the operation (a wait cut short becomes "stopped") and appends its record to the
    // operations log; once only has an effect. False with `LogFailure` when the log cannot be
    // written.
    virtual bool Finish(TFailure &LogFailure) = 0;
    // Once connected: the parameter block of the controller (image length, image CRC,
    // data-segment length, block CRC).
    virtual bool ReadParameterBlock(std::array<uint16_t, 4> &Block) = 0;
    // After Perform of an application write: the controller already held the package (the
    // configuration asks to skip it) and nothing was written.
    virtual bool Skipped() = 0;
    // Why the operation failed; no failure while it has not.
    virtual TFailure Failure() = 0;

protected:
    ~IOperationInterface() override = default;
};

// Where the window's operations begin.
class IOperationsInterface : public virtual IInterface {
public:
    // An operation of `Kind` on controller `Controller` (0: the main one, 1..4: a slave).
    virtual IntfPtr<IOperationInterface> Begin(TOperationKind Kind, uint8_t Controller) = 0;
    // With trusted keys configured: "signed by KEY-ID" for the file at `Path`, or why a write
    // would refuse it; "" when no keys are trusted.
    virtual std::string SignatureNote(const std::string &Path) = 0;
    // True when `Block` gives the image length and CRC of the package at `Path`; false when it
    // does not or the package cannot be read.
    virtual bool HoldsPackage(const std::array<uint16_t, 4> &Block, const std::string &Path) = 0;

protected:
    ~IOperationsInterface() override = default;
};

} // namespace morlith
