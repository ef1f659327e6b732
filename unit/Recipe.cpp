// SPDX-License-Identifier: MIT
#include "Recipe.h"

#include "DataFile.h"
#include "ProgramRun.h"
#include "PathText.h"
#include "Sha256.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

namespace morlith {
namespace {

// The longest recipe read: far more than any hand-written one.
constexpr uint64_t kMaxRecipeBytes = 1 << 20;
// The most dots a key or table header may chain (a.b.c has two): a recipe needs three. The TOML
// library recurses once per part, so a deeper chain could overflow the stack.
constexpr int kMaxKeyDots = 32;

const std::map<std::string, TOperationKind> kActions = {
    {"write-app", TOperationKind::okWriteApplication},
    {"write-dseg", TOperationKind::okWriteDataSegment},
    {"read-dseg", TOperationKind::okReadDataSegment},
};

const std::set<std::string> kStepKeys = {"write-app", "write-dseg", "read-dseg", "mcu", "expect-sha256", "verify",
                                         "serial", "skip-if-current"};
const std::set<std::string> kTopKeys = {"step", "station", "operator", "lot", "trusted-keys"};
const std::set<std::string> kSerialKeys = {"counter", "sequence", "command", "lease", "keep", "shared-counter",
                                           "offset", "width", "order", "crc"};
// The most numbers a station leases at a time.
constexpr uint32_t kLargestLease = 1000000;
const std::set<std::string> kCrcKeys = {"offset", "from", "to", "order"};
const std::set<std::string> kFileFields = {kSerialField, kPortField, kUnitField, kMcuField, kTimeField};

// Collects the mistakes of one recipe, each at the line of the node it concerns.
class TRecipeReader {
public:
    TRecipeReader(std::string folder, TRecipe &recipe) : FFolder(std::move(folder)), FRecipe(recipe) {}

    void Read(const toml::table &top)
    {
        CheckKeys(top, kTopKeys, "");
        FRecipe.Station = TextOf(top, "station");
        FRecipe.Operator = TextOf(top, "operator");
        FRecipe.Lot = TextOf(top, "lot");
        ReadTrustedKeys(top);
        const toml::node *steps = top.get("step");
        if (!steps) {
            Problem(0, 0, "no [[step]]: a recipe lists the steps of one insertion");
            return;
        }
        const toml::array *list = steps->as_array();
        if (!list || !list->is_array_of_tables()) {
            Problem(*steps, "step must be a list of tables: write each as [[step]]");
            return;
        }
        for (const toml::node &step : *list)
            ReadStep(*step.as_table());
        CheckSerialUse();
    }

    std::vector<TRecipeProblem> Problems() { return std::move(FProblems); }

private:
    void Problem(int line, int column, const std::string &text) { FProblems.push_back({line, column, text}); }
    void Problem(const toml::node &node, const std::string &text)
    {
        Problem(int(node.source().begin.line), int(node.source().begin.column), text);
    }

    void CheckKeys(const toml::table &table, const std::set<std::string> &known, const std::string &where)
    {
        for (const auto &[key, value] : table) {
            if (known.count(std::string(key.str())))
                continue;
            std::string names;
            for (const std::string &name : known)
                names += (names.empty() ? "" : ", ") + name;
            Problem(value, "unknown key \"" + std::string(key.str()) + "\"" + where + " (known: " + names + ")");
        }
    }

    std::string TextOf(const toml::table &table, const char *key)
    {
        const toml::node *node = table.get(key);
        if (!node)
            return "";
        if (!node->is_string()) {
            Problem(*node, std::string(key) + " must be text in quotes");
            return "";
        }
        return node->value_or(std::string());
    }

    // A whole number from `min` to `max` at `key`; `fallback` when absent or wrong.
    uint32_t NumberOf(const toml::table &table, const char *key, uint32_t min, uint32_t max, uint32_t fallback,
                      bool required, const toml::node &owner)
    {
        const toml::node *node = table.get(key);
        if (!node) {
            if (required)
                Problem(owner, std::string("missing ") + key);
            return fallback;
        }
        const auto value = node->value<int64_t>();
        if (!node->is_integer() || !value || *value < min || *value > max) {
            Problem(*node, std::string(key) + " must be a whole number from " + std::to_string(min) + " to " +
                               std::to_string(max));
            return fallback;
        }
        return uint32_t(*value);
    }

    // "little" or "big" at "order" (absent: `fallback`).
    TByteOrder OrderOf(const toml::table &table, TByteOrder fallback)
    {
        const toml::node *node = table.get("order");
        if (!node)
            return fallback;
        const auto order = ByteOrderNamed(node->value_or(std::string()));
        if (!order) {
            Problem(*node, "order must be \"little\" or \"big\"");
            return fallback;
        }
        return *order;
    }

    std::string Resolve(const std::string &file) const
    {
        const std::filesystem::path path = PathFromUtf8(file);
        if (path.is_absolute() || FFolder.empty())
            return file;
        return Utf8OfPath(PathFromUtf8(FFolder) / path);
    }

    // trusted-keys = ["site.pub", ...]: public key files, relative to the recipe.
    void ReadTrustedKeys(const toml::table &top)
    {
        const toml::node *node = top.get("trusted-keys");
        if (!node)
            return;
        const toml::array *list = node->as_array();
        if (!list || list->empty()) {
            Problem(*node, "trusted-keys must be a list of public key files: trusted-keys = [\"site.pub\"]");
            return;
        }
        for (const toml::node &each : *list) {
            const std::string file = each.value_or(std::string());
            if (!each.is_string() || file.empty())
                Problem(each, "trusted-keys holds the names of public key files");
            else
                FRecipe.TrustedKeys.push_back({Resolve(file), int(each.source().begin.line)});
        }
    }

    void ReadControllers(const toml::table &table, TRecipeStep &step)
    {
        const toml::node *node = table.get("mcu");
        if (!node)
            return;
        step.Controllers.clear();
        const auto take = [this, &step](const toml::node &each) {
            const auto value = each.value<int64_t>();
            if (!each.is_integer() || !value || *value < 0 || *value > 4) {
                Problem(each, "mcu must be 0 (the main controller), 1..4 (a slave) or a list of these");
                return;
            }
            if (std::count(step.Controllers.begin(), step.Controllers.end(), uint8_t(*value)))
                Problem(each, "controller " + std::to_string(*value) + " is listed twice");
            else
                step.Controllers.push_back(uint8_t(*value));
        };
        if (const toml::array *list = node->as_array()) {
            for (const toml::node &each : *list)
                take(each);
            if (list->empty())
                Problem(*node, "mcu lists no controller");
        } else {
            take(*node);
        }
        if (step.Controllers.empty())
            step.Controllers = {0};
    }

    // true or false at `key` (absent: false).
    bool FlagOf(const toml::table &table, const char *key)
    {
        const toml::node *node = table.get(key);
        if (node && !node->is_boolean())
            Problem(*node, std::string(key) + " must be true or false");
        return node && node->value_or(false);
    }

    // command = "PROGRAM ARGS" (split as a shell would, but run without one) or ["PROGRAM", "ARG"].
    void ReadCommand(const toml::node &node, TRecipeSerial &serial)
    {
        if (const toml::array *list = node.as_array()) {
            for (const toml::node &each : *list) {
                if (!each.is_string())
                    Problem(each, "command lists the program and its arguments, each in quotes");
                serial.Command.push_back(each.value_or(std::string()));
            }
        } else if (node.is_string()) {
            std::string problem;
            if (!SplitProgramWords(node.value_or(std::string()), serial.Command, problem))
                Problem(node, "command: " + problem);
        } else {
            Problem(node, "command must be a program and its arguments: \"PROGRAM ARGS\" or [\"PROGRAM\", \"ARG\"]");
            return;
        }
        if (serial.Command.empty() || serial.Command.front().empty())
            Problem(node, "command names no program");
    }

    // One of counter, sequence and command, and the keys that go with it.
    void ReadSerialOrigin(const toml::table &table, const toml::node &node, TRecipeSerial &serial)
    {
        const char *const origins[] = {"counter", "sequence", "command"};
        int given = 0;
        for (const char *origin : origins)
            given += table.contains(origin);
        if (given != 1) {
            Problem(node, given == 0 ? "serial needs counter (a file holding the next number), sequence (the store's) "
                                       "or command (a program that prints it)"
                                     : "serial takes its numbers from one place: counter, sequence or command");
            return;
        }
        serial.Keep = FlagOf(table, "keep");
        serial.SharedCounter = FlagOf(table, "shared-counter");
        if (table.contains("counter")) {
            serial.Origin = TSerialOrigin::soCounter;
            serial.Counter = TextOf(table, "counter");
            if (serial.Counter.empty())
                Problem(node, "serial needs counter: the file that holds the next serial number");
            else
                serial.Counter = Resolve(serial.Counter);
        } else if (table.contains("sequence")) {
            serial.Origin = TSerialOrigin::soSequence;
            serial.Sequence = TextOf(table, "sequence");
            if (serial.Sequence.empty())
                Problem(node, "sequence must name the store's serial sequence");
            serial.Lease = NumberOf(table, "lease", 1, kLargestLease, 0, false, node);
        } else {
            serial.Origin = TSerialOrigin::soCommand;
            ReadCommand(*table.get("command"), serial);
        }
        if (const toml::node *lease = table.get("lease"); lease && serial.Origin != TSerialOrigin::soSequence)
            Problem(*lease, "lease belongs to a serial taken from the store's sequence");
        if (const toml::node *shared = table.get("shared-counter"); shared && serial.Origin != TSerialOrigin::soCounter)
            Problem(*shared, "shared-counter belongs to a serial taken from a counter file");
    }

    void ReadSerial(const toml::node &node, TRecipeStep &step)
    {
        const toml::table *table = node.as_table();
        if (!table) {
            Problem(node, "serial must be a table: { counter = \"FILE\", offset = N, width = N, order = \"little\" } "
                          "(or sequence = \"NAME\", or command = \"PROGRAM ARGS\", in place of counter)");
            return;
        }
        CheckKeys(*table, kSerialKeys, " in serial");
        TRecipeSerial serial;
        serial.Line = int(node.source().begin.line);
        const uint32_t last = uint32_t(kMaxDataSegmentBytes) - 1;
        ReadSerialOrigin(*table, node, serial);
        serial.Field.Offset = NumberOf(*table, "offset", 0, last, 0, true, node);
        serial.Field.Width = NumberOf(*table, "width", 1, kLongestSerialWidth, 4, false, node);
        serial.Field.Order = OrderOf(*table, TByteOrder::boLittle);
        if (const toml::node *crcNode = table->get("crc")) {
            const toml::table *crc = crcNode->as_table();
            if (!crc) {
                Problem(*crcNode, "crc must be a table: { offset = N, from = N, to = N }");
            } else {
                // The CRC's two bytes go at offset; it covers bytes from..to-1.
                CheckKeys(*crc, kCrcKeys, " in crc");
                TCrcField field;
                field.At = NumberOf(*crc, "offset", 0, last, 0, true, *crcNode);
                field.From = NumberOf(*crc, "from", 0, last, 0, false, *crcNode);
                const uint32_t to = NumberOf(*crc, "to", 0, last + 1, uint32_t(field.At), false, *crcNode);
                field.Order = OrderOf(*crc, TByteOrder::boBig);
                if (to <= field.From)
                    Problem(*crcNode, "crc: from must be below to (it covers bytes from..to-1)");
                field.Length = to > field.From ? to - field.From : 0;
                serial.Field.Crc = field;
            }
        }
        step.Serial = serial;
    }

    void CheckFileFields(const toml::node &node, const TRecipeStep &step)
    {
        for (size_t open = step.File.find('{'); open != std::string::npos; open = step.File.find('{', open + 1)) {
            const size_t close = step.File.find('}', open);
            const std::string field = step.File.substr(open, close == std::string::npos ? close : close - open + 1);
            if (step.Kind != TOperationKind::okReadDataSegment || !kFileFields.count(field))
                Problem(node, "unknown field " + field + " in the file name (a read-dseg name may hold {serial}, "
                                                          "{unit}, {port}, {mcu} and {time})");
        }
        if (step.Kind == TOperationKind::okReadDataSegment && step.Controllers.size() > 1 &&
            step.File.find(kMcuField) == std::string::npos)
            Problem(node, "read-dseg of several controllers needs {mcu} in the file name, so that each gets its own");
    }

    // A unit has one serial number: every serial field takes it from one place, and a file name
    // with {serial} needs a step that takes one.
    void CheckSerialUse()
    {
        const TRecipeSerial *first = FRecipe.Serial();
        for (const TRecipeStep &step : FRecipe.Steps) {
            const TRecipeSerial *serial = step.Serial ? &*step.Serial : nullptr;
            if (serial && (serial->Origin != first->Origin || serial->Counter != first->Counter ||
                           serial->Sequence != first->Sequence || serial->Command != first->Command ||
                           serial->Lease != first->Lease || serial->Keep != first->Keep))
                Problem(serial->Line, 0, "a unit has one serial number: take it from one place, as line " +
                                             std::to_string(first->Line) + " does (" + SerialOriginText(*first) + ")");
            if (!first && step.File.find(kSerialField) != std::string::npos)
                Problem(step.Line, 0, "{serial} in the file name, but no step takes a serial number");
        }
    }

    void ReadStep(const toml::table &table)
    {
        TRecipeStep step;
        step.Line = int(table.source().begin.line);
        CheckKeys(table, kStepKeys, " in a step");
        const toml::node *actionNode = nullptr;
        for (const auto &[name, kind] : kActions) {
            const toml::node *node = table.get(name);
            if (!node)
                continue;
            if (actionNode) {
                Problem(*node, "a step does one thing: " + name + " and " + std::string(OperationCommand(step.Kind)) +
                                   " stand in one step");
                continue;
            }
            actionNode = node;
            step.Kind = kind;
            step.File = node->value_or(std::string());
            if (!node->is_string() || step.File.empty())
                Problem(*node, name + " must name a file in quotes");
        }
        if (!actionNode) {
            Problem(step.Line, 0, "the step has no write-app, write-dseg or read-dseg");
            return;
        }
        step.Path = Resolve(step.File);
        ReadControllers(table, step);
        CheckFileFields(*actionNode, step);
        const bool writes = step.Kind != TOperationKind::okReadDataSegment;
        if (const toml::node *hash = table.get("expect-sha256")) {
            step.ExpectSha256 = hash->value_or(std::string());
            std::transform(step.ExpectSha256.begin(), step.ExpectSha256.end(), step.ExpectSha256.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            if (!writes)
                Problem(*hash, "expect-sha256 belongs to a step that writes a file");
            else if (step.ExpectSha256.size() != 64 ||
                     step.ExpectSha256.find_first_not_of("0123456789abcdef") != std::string::npos)
                Problem(*hash, "expect-sha256 must be 64 hexadecimal digits in quotes");
        }
        if (const toml::node *verify = table.get("verify")) {
            if (!verify->is_boolean())
                Problem(*verify, "verify must be true or false");
            else if (!writes)
                Problem(*verify, "verify belongs to a step that writes");
            step.Verify = verify->value_or(false);
        }
        if (const toml::node *skip = table.get("skip-if-current")) {
            if (!skip->is_boolean() || step.Kind != TOperationKind::okWriteApplication)
                Problem(*skip, "skip-if-current = true or false belongs to a write-app step");
            step.SkipIfCurrent = skip->value_or(false);
        }
        if (const toml::node *serial = table.get("serial")) {
            if (step.Kind != TOperationKind::okWriteDataSegment)
                Problem(*serial, "serial belongs to a write-dseg step (its file is the template)");
            else
                ReadSerial(*serial, step);
        }
        FRecipe.Steps.push_back(step);
    }

    std::string FFolder;
    TRecipe &FRecipe;
    std::vector<TRecipeProblem> FProblems;
};

// What the TOML library must not be given, found before it sees the text: the first line on which
// a dotted key or table header chains more than kMaxKeyDots parts, or on which a character that is
// not ASCII stands outside a string or a comment (TOML allows none there, and the library's
// checks of such characters reach code it holds unreachable). 0 when there is none; `problem`
// says which. Strings and comments are skipped; a chain ends at anything that is not a part, a
// dot or a blank. A byte-order mark may open the text.
int LineTheParserMustNotSee(const std::string &text, std::string &problem)
{
    int line = 1;
    int dots = 0;
    const size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            dots = 0;
        } else if (c == '#') {
            i = std::min(text.find('\n', i), text.size()) - 1;
        } else if (c == '"' || c == '\'') {
            // A string, one-line or multi-line ("""...""", '''...'''); a chain goes on after it.
            const std::string quote = text.compare(i, 3, std::string(3, c)) == 0 ? std::string(3, c) : std::string(1, c);
            size_t end = i + quote.size();
            while (end < text.size() && text.compare(end, quote.size(), quote) != 0) {
                if (c == '"' && text[end] == '\\')
                    ++end;
                if (quote.size() == 1 && end < text.size() && text[end] == '\n')
                    break;
                ++end;
            }
            for (size_t k = i; k < end && k < text.size(); ++k)
                line += text[k] == '\n';
            if (end >= text.size())
                break;
            // An unclosed one-line string ends at its line's end, which is counted next.
            i = text[end] == '\n' ? end - 1 : end + quote.size() - 1;
        } else if (c == '.') {
            if (++dots > kMaxKeyDots) {
                problem = "a key or table header of more than " + std::to_string(kMaxKeyDots + 1) +
                          " parts; a recipe nests a few";
                return line;
            }
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            problem = "a character that is not ASCII outside quotes; names and other text go in quotes";
            return line;
        } else if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != ' ' && c != '\t') {
            dots = 0;
        }
    }
    return 0;
}

} // namespace

const TRecipeSerial *TRecipe::Serial() const
{
    for (const TRecipeStep &step : Steps)
        if (step.Serial)
            return &*step.Serial;
    return nullptr;
}

std::string SerialOriginText(const TRecipeSerial &serial)
{
    switch (serial.Origin) {
    case TSerialOrigin::soCounter:
        return "counter " + serial.Counter;
    case TSerialOrigin::soSequence:
        return "sequence \"" + serial.Sequence + "\"";
    case TSerialOrigin::soCommand:
        break;
    }
    std::string words;
    for (const std::string &word : serial.Command)
        words += (words.empty() ? "" : " ") + word;
    return "command \"" + words + "\"";
}

uint64_t TRecipe::SerialLimit() const
{
    uint64_t limit = UINT64_MAX;
    for (const TRecipeStep &step : Steps)
        if (step.Serial)
            limit = std::min(limit, LargestSerial(step.Serial->Field.Width));
    return limit;
}

std::string DescribeProblem(const std::string &RecipePath, const TRecipeProblem &Problem)
{
    std::string where = RecipePath;
    if (Problem.Line > 0)
        where += ":" + std::to_string(Problem.Line) + (Problem.Column > 0 ? ":" + std::to_string(Problem.Column) : "");
    return where + ": " + Problem.Text;
}

std::vector<TRecipeProblem> ParseRecipe(const std::string &Text, const std::string &Folder, TRecipe &Recipe)
{
    std::string problem;
    if (const int line = LineTheParserMustNotSee(Text, problem))
        return {{line, 0, problem}};
    toml::table top;
    try {
        top = toml::parse(Text);
    } catch (const toml::parse_error &error) {
        return {{int(error.source().begin.line), int(error.source().begin.column), std::string(error.description())}};
    }
    TRecipeReader reader(Folder, Recipe);
    reader.Read(top);
    return reader.Problems();
}

std::vector<TRecipeProblem> LoadRecipe(const std::string &Path, TRecipe &Recipe)
{
    Recipe = TRecipe{};
    Recipe.Path = Path;
    TByteArray bytes;
    const TFailure failure = ReadInputFile(Path, kMaxRecipeBytes, "recipe", bytes);
    if (failure.Failed())
        return {{0, 0, failure.Detail}};
    Recipe.Sha256 = Sha256Hex(bytes.data(), bytes.size());
    const std::string folder = Utf8OfPath(PathFromUtf8(Path).parent_path());
    return ParseRecipe(std::string(bytes.begin(), bytes.end()), folder, Recipe);
}

} // namespace morlith
