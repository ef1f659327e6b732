// SPDX-License-Identifier: MIT
#pragma once
// IOperationsInterface and IOperationInterface: how the Loading page runs a device operation
// without knowing what runs it. The model's TOperations runs each on a TOperationRunner.

#include "Failure.h"
#include "OperationKind.h"
#include "RefCounted.h"

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

protected:
    ~IOperationsInterface() override = default;
};

} // namespace morlith
