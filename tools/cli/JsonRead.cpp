// SPDX-License-Identifier: MIT
#include "JsonRead.h"

#include <cstdlib>
#include <cstring>

namespace morlith::cli {
namespace {

// Deepest nesting of arrays and objects accepted.
constexpr int kMaxDepth = 64;

class TJsonParser {
public:
    explicit TJsonParser(const std::string &text) : FText(text) {}

    std::optional<TJsonValue> Whole()
    {
        TJsonValue value;
        if (!Value(value, 0))
            return std::nullopt;
        SkipSpace();
        if (FAt != FText.size())
            return std::nullopt;
        return value;
    }

private:
    void SkipSpace()
    {
        while (FAt < FText.size() && std::strchr(" \t\r\n", FText[FAt]) && FText[FAt] != '\0')
            ++FAt;
    }

    bool Take(char c)
    {
        SkipSpace();
        if (FAt < FText.size() && FText[FAt] == c) {
            ++FAt;
            return true;
        }
        return false;
    }

    bool Word(const char *word)
    {
        const size_t length = std::strlen(word);
        if (FText.compare(FAt, length, word) != 0)
            return false;
        FAt += length;
        return true;
    }

    bool Value(TJsonValue &value, int depth)
    {
        SkipSpace();
        if (FAt >= FText.size() || depth > kMaxDepth)
            return false;
        const char c = FText[FAt];
        if (c == '{')
            return Object(value, depth);
        if (c == '[')
            return Array(value, depth);
        if (c == '"') {
            value.Kind = TJsonValue::TKind::jkText;
            return String(value.Text);
        }
        if (c == 't' || c == 'f') {
            value.Kind = TJsonValue::TKind::jkFlag;
            value.Flag = c == 't';
            return Word(c == 't' ? "true" : "false");
        }
        if (c == 'n')
            return Word("null");
        return NumberValue(value);
    }

    bool NumberValue(TJsonValue &value)
    {
        const size_t start = FAt;
        if (FAt < FText.size() && FText[FAt] == '-')
            ++FAt;
        const size_t digits = FAt;
        while (FAt < FText.size() && std::strchr("0123456789.eE+-", FText[FAt]) && FText[FAt] != '\0')
            ++FAt;
        if (FAt == digits)
            return false;
        const std::string number = FText.substr(start, FAt - start);
        char *end = nullptr;
        value.Kind = TJsonValue::TKind::jkNumber;
        value.Number = std::strtod(number.c_str(), &end);
        return end && *end == '\0';
    }

    bool Object(TJsonValue &value, int depth)
    {
        value.Kind = TJsonValue::TKind::jkObject;
        ++FAt;
        if (Take('}'))
            return true;
        do {
            SkipSpace();
            std::pair<std::string, TJsonValue> field;
            if (FAt >= FText.size() || FText[FAt] != '"' || !String(field.first) || !Take(':') ||
                !Value(field.second, depth + 1))
                return false;
            value.Fields.push_back(std::move(field));
        } while (Take(','));
        return Take('}');
    }

    bool Array(TJsonValue &value, int depth)
    {
        value.Kind = TJsonValue::TKind::jkArray;
        ++FAt;
        if (Take(']'))
            return true;
        do {
            TJsonValue item;
            if (!Value(item, depth + 1))
                return false;
            value.Items.push_back(std::move(item));
        } while (Take(','));
        return Take(']');
    }

    bool Hex4(unsigned &code)
    {
        if (FAt + 4 > FText.size())
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = FText[FAt++];
            const char *digits = "0123456789abcdef";
            const char *at = std::strchr(digits, c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
            if (!at || c == '\0')
                return false;
            code = code * 16 + unsigned(at - digits);
        }
        return true;
    }

    static void AppendUtf8(std::string &out, unsigned code)
    {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    bool Escape(std::string &out)
    {
        if (FAt >= FText.size())
            return false;
        const char c = FText[FAt++];
        const char *plain = "\"\\/bfnrt";
        const char *meant = "\"\\/\b\f\n\r\t";
        if (const char *at = std::strchr(plain, c); at && c != '\0') {
            out += meant[at - plain];
            return true;
        }
        unsigned code;
        if (c != 'u' || !Hex4(code))
            return false;
        // A surrogate pair stands for one character past U+FFFF; a lone half for U+FFFD.
        if (code >= 0xD800 && code < 0xDC00 && FText.compare(FAt, 2, "\\u") == 0) {
            const size_t back = FAt;
            FAt += 2;
            unsigned low;
            if (Hex4(low) && low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            FAt = back;
        }
        AppendUtf8(out, code >= 0xD800 && code < 0xE000 ? 0xFFFD : code);
        return true;
    }

    bool String(std::string &out)
    {
        ++FAt;
        while (FAt < FText.size()) {
            const char c = FText[FAt++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\')
                out += c;
            else if (!Escape(out))
                return false;
        }
        return false;
    }

    const std::string &FText;
    size_t FAt = 0;
};

} // namespace

const TJsonValue *TJsonValue::Field(const std::string &key) const
{
    if (Kind != TKind::jkObject)
        return nullptr;
    for (const auto &[name, value] : Fields)
        if (name == key)
            return &value;
    return nullptr;
}

std::string TJsonValue::TextOf(const std::string &key) const
{
    const TJsonValue *value = Field(key);
    return value && value->Kind == TKind::jkText ? value->Text : "";
}

std::optional<TJsonValue> ParseJson(const std::string &text) { return TJsonParser(text).Whole(); }

} // namespace morlith::cli
