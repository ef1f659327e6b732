// SPDX-License-Identifier: MIT
#pragma once
// A failure record in the operator's words: what happened, in which step, with its figures, worded
// here from the record's kind, step and numbers, so that every part of a message box is in the
// user's language (the engine's own sentence is English, for logs and scripts).

#include "Failure.h"

#include <QString>

#include <optional>
#include <string>

namespace morlith {

// The step of a record ("application chunk 27 of 400") in the user's language, or nothing for a
// step this table does not know.
std::optional<QString> StepInWords(const std::string &Step);

// The lines a message box shows for `Failure`: what happened, the step, the reply's figures and
// the system's reason, each where the record has it.
QString FailureInWords(const TFailure &Failure);

// Whether the failure came after the module started taking a new application, so that it now
// holds a partial one.
bool LeavesPartialApplication(const TFailure &Failure);

} // namespace morlith
