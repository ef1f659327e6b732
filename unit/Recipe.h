// SPDX-License-Identifier: MIT
#pragma once
// A recipe: the steps of one insertion of a module on a production line, written by hand as a
// TOML file. Each [[step]] writes a package (write-app), writes a data file or a template with the
// unit's serial number (write-dseg), or reads the data segment into a file (read-dseg), on one
// controller or a list of them. Paths are relative to the recipe's folder.

#include "OperationInput.h"
#include "UnitFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// Where a unit's serial number comes from.
enum class TSerialOrigin : uint8_t {
    soCounter, // a counter file: one station, or stations on a share whose locking was checked
    soSequence, // a sequence of the shared store
    soCommand, // a program's standard output (a line's own system)
};

// The serial-number field of a data-segment template, and where its number is taken from.
struct TRecipeSerial {
    TSerialOrigin Origin = TSerialOrigin::soCounter;
    // soCounter: the counter file (resolved), holding the next number as decimal text.
    std::string Counter;
    // soCounter: the site has checked that the counter's share locks across machines.
    bool SharedCounter = false;
    // soSequence: the store's sequence, and how many numbers a station leases at a time (0: none).
    std::string Sequence;
    uint64_t Lease = 0;
    // soCommand: the program and its arguments.
    std::vector<std::string> Command;
    // A number the module already holds in the field (its CRC sound) is written again.
    bool Keep = false;
    TSerialField Field;
    int Line = 0;
};

// Where `serial` takes its numbers from, as messages name it: "counter /srv/sn.txt",
// "sequence \"SN\"", "command \"next-serial --line 3\"".
std::string SerialOriginText(const TRecipeSerial &serial);

struct TRecipeStep {
    // okWriteApplication, okWriteDataSegment or okReadDataSegment.
    TOperationKind Kind = TOperationKind::okConnect;
    // The file as the recipe writes it, and resolved against the recipe's folder (a read-dseg
    // name may still hold fields such as {serial}).
    std::string File;
    std::string Path;
    // The controllers, in order: 0 the main one, 1..4 the slaves.
    std::vector<uint8_t> Controllers = {0};
    // 64 lower-case hexadecimal digits, or empty.
    std::string ExpectSha256;
    bool Verify = false;
    // write-app: nothing is written to a controller that already holds the package.
    bool SkipIfCurrent = false;
    std::optional<TRecipeSerial> Serial;
    // Where the step starts in the recipe.
    int Line = 0;
};

// A public key file a recipe trusts, resolved, and the line that names it (0: the command line's).
struct TRecipeKey {
    std::string Path;
    int Line = 0;
};

struct TRecipe {
    // The recipe file as given.
    std::string Path;
    // Its SHA-256, so that the log says which recipe made a unit.
    std::string Sha256;
    std::vector<TRecipeStep> Steps;
    // Defaults for the unit record; the command line's --station, --operator, --lot win.
    std::string Station;
    std::string Operator;
    std::string Lot;
    // The keys whose signature every file written must carry; none: files need no signature.
    std::vector<TRecipeKey> TrustedKeys;

    // Where the unit's serial number comes from (the first step that takes one); null when no
    // step takes one.
    const TRecipeSerial *Serial() const;
    // The largest serial number every step's field holds.
    uint64_t SerialLimit() const;
};

// A mistake in a recipe or its inputs, named by line (0 when it concerns the whole file).
struct TRecipeProblem {
    int Line = 0;
    int Column = 0;
    std::string Text;
};

// "recipe.toml:12:5: text" (the column only when known).
std::string DescribeProblem(const std::string &RecipePath, const TRecipeProblem &Problem);

// Reads the recipe at `Path`; every mistake of form (TOML syntax, unknown or misspelled keys,
// wrong types and ranges, a step without an action) is returned, none when `Recipe` is usable.
std::vector<TRecipeProblem> LoadRecipe(const std::string &Path, TRecipe &Recipe);
// The same from recipe text, paths resolved against `Folder`.
std::vector<TRecipeProblem> ParseRecipe(const std::string &Text, const std::string &Folder, TRecipe &Recipe);

// The fields a read-dseg file name may hold.
inline constexpr const char *kSerialField = "{serial}";
inline constexpr const char *kPortField = "{port}";
inline constexpr const char *kUnitField = "{unit}";
inline constexpr const char *kMcuField = "{mcu}";
inline constexpr const char *kTimeField = "{time}";

} // namespace morlith
