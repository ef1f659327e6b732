// SPDX-License-Identifier: MIT
#include "OptionChecks.h"

#include "NumberText.h"

namespace morlith {

CLI::Validator WholeNumber(uint64_t min, uint64_t max, TNumberForm form, const std::string &what)
{
    const bool hex = form == TNumberForm::nfDecimalOrHex;
    const std::string range = what.empty() ? "a whole number from " + std::to_string(min) + " to " + std::to_string(max)
                                           : what;
    const std::string expected = "takes " + range + (hex ? ", decimal or 0x hexadecimal" : "");
    return CLI::Validator(
        [=](std::string &value) {
            const auto number = ParseWholeNumber(value, min, max, hex);
            if (!number)
                return expected + ", not \"" + value + "\"";
            value = std::to_string(*number);
            return std::string();
        },
        range);
}

std::string AlternativesText(const std::vector<std::string> &names)
{
    std::string list;
    for (size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return list;
}

CLI::Validator OneOf(const std::vector<std::string> &names)
{
    const std::string list = AlternativesText(names);
    return CLI::Validator(
        [=](std::string &value) {
            return std::find(names.begin(), names.end(), value) != names.end()
                       ? std::string()
                       : "takes " + list + ", not \"" + value + "\"";
        },
        list);
}

CLI::Validator NotEmpty(const std::string &complaint)
{
    return CLI::Validator([=](std::string &value) { return value.empty() ? complaint : std::string(); }, "");
}

} // namespace morlith
