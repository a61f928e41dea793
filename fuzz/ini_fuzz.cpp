#include "fuzz/ini_fuzz.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/ini_file.h"

namespace zelk::ini_fuzz {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\f\v";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

void require(bool condition, const char* what) {
    if (!condition) throw std::logic_error(std::string("settings reader broke a promise: ") + what);
}

// The integer rule once more, with std::from_chars doing the digits.
std::optional<int32_t> referenceInteger(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) text.remove_prefix(1);
    int base = 10;
    for (const std::string_view prefix : {"0x", "0X", "$"}) {
        if (base == 10 && text.starts_with(prefix)) {
            base = 16;
            text.remove_prefix(prefix.size());
        }
    }
    uint64_t magnitude = 0;  // unsigned: from_chars takes no sign then
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || magnitude > (1u << 31)) {
        return std::nullopt;
    }
    const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

void checkInteger(std::string_view text) {
    const std::optional<int32_t> value = parseProfileInteger(text);
    require(value == referenceInteger(text), "integer differs from std::from_chars");
    if (!value) return;
    require(parseProfileInteger(std::to_string(*value)) == value, "decimal form of an integer");
    require(parseProfileInteger(" \t" + std::string(text) + "\r ") == value, "blanks around an integer");
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

// Another rendering of the same lines: every LF becomes CR LF (empty lines
// do not count).
std::string withCrLf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void checkLookup(std::string_view text, std::string_view section, std::string_view key) {
    const std::optional<std::string> value = findProfileValue(text, section, key);
    if (value) {
        require(value->find_first_of("\r\n") == std::string::npos, "line break in a value");
        require(text.find(*value) != std::string_view::npos, "value not taken from the text");
        checkInteger(*value);
    }
    require(findProfileValue(text, lowered(section), lowered(key)) == value, "letter case of the names");
    require(findProfileValue(withCrLf(text), section, key) == value, "CR LF line ends");

    // The first section and the first key of a name win: a later copy
    // changes nothing that was found, and a key before any section is not read.
    const std::string later = std::string(text) + "\n[" + std::string(section) + "]\n" + std::string(key) + "=later\n";
    const std::optional<std::string> withLater = findProfileValue(later, section, key);
    require(value ? withLater == value : (!withLater || *withLater == "later"), "a later section");
    const size_t bom = text.starts_with(kBom) ? kBom.size() : 0;
    const std::string earlier = std::string(text.substr(0, bom)) + std::string(key) + "=earlier\n" +
                                std::string(text.substr(bom));
    require(findProfileValue(earlier, section, key) == value, "a key before any section");
}

// A name the rules can find: no brackets, '=' or line breaks, no blanks at
// either end.
bool plainName(std::string_view name) {
    return name.find_first_of("[]=\r\n") == std::string_view::npos &&
           (name.empty() || (kBlanks.find(name.front()) == std::string_view::npos &&
                             kBlanks.find(name.back()) == std::string_view::npos));
}

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    checkLookup(text, "SETTINGS", "SHOWDMD");
    checkLookup(text, "SETTINGS", "MATCHRESET");
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    checkInteger(firstLine);
    const size_t equals = firstLine.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view section = firstLine.substr(0, equals);
    const std::string_view key = firstLine.substr(equals + 1);
    if (plainName(section) && plainName(key)) checkLookup(text, section, key);
}

}  // namespace zelk::ini_fuzz
