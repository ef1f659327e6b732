// SPDX-License-Identifier: MIT
#pragma once
// Reading JSON text back (the production log's lines): a small parser into a value tree, strict
// about the grammar, with a nesting limit so that hostile input cannot exhaust the stack.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace morlith::cli {

class TJsonValue {
public:
    enum class TKind { jkNull, jkFlag, jkNumber, jkText, jkArray, jkObject };

    TKind Kind = TKind::jkNull;
    bool Flag = false;
    double Number = 0;
    std::string Text;
    std::vector<TJsonValue> Items;
    std::vector<std::pair<std::string, TJsonValue>> Fields;

    // The field `key` of an object; null when absent or not an object.
    const TJsonValue *Field(const std::string &key) const;
    // The text of field `key`; "" when absent or not text.
    std::string TextOf(const std::string &key) const;
};

// Parses `text` as one JSON value (white space around it allowed); nothing when it is not one.
std::optional<TJsonValue> ParseJson(const std::string &text);

} // namespace morlith::cli
