#include "core/ini_file.h"

namespace zelk {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\f\v";

std::string_view trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Splits text into lines (LF, CR LF or CR) and hands each to visit until it
// returns true.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        if (visit(text.substr(at, end - at))) return;
        at = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++at;
    }
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char l = lowerAscii(c);
    if (l >= 'a' && l <= 'f') return l - 'a' + 10;
    return 99;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte order mark
    enum class Where { before, inside, after } where = Where::before;
    std::optional<std::string> found;
    forEachLine(text, [&](std::string_view raw) {
        const std::string_view line = trim(raw);
        if (line.starts_with('[')) {
            const size_t close = line.find(']');
            const std::string_view name =
                trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            if (where == Where::inside) where = Where::after;
            if (where == Where::before && equalNoCase(name, section)) where = Where::inside;
            return where == Where::after;
        }
        if (where != Where::inside) return false;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return false;
        if (!equalNoCase(trim(line.substr(0, equals)), key)) return false;
        found = std::string(unquote(trim(line.substr(equals + 1))));
        return true;
    });
    return found;
}

std::vector<ProfileEntry> profileEntries(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<ProfileEntry> entries;
    std::string section;
    forEachLine(text, [&](std::string_view raw) {
        const std::string_view line = trim(raw);
        if (line.starts_with('[')) {
            const size_t close = line.find(']');
            section = std::string(trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
            return false;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return false;
        entries.push_back(ProfileEntry{section, std::string(trim(line.substr(0, equals))),
                                       std::string(unquote(trim(line.substr(equals + 1))))});
        return false;
    });
    return entries;
}

std::optional<int32_t> parseProfileInteger(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // The magnitude is collected in 64 bits and refused as soon as it passes
    // 2^31, so no digit string can overflow it.
    int64_t magnitude = 0;
    for (const char c : text) {
        const int digit = digitValue(c);
        if (digit >= base) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t{1} << 31) return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t profileIntegerOr(const std::optional<std::string>& value, int32_t fallback) {
    if (!value) return fallback;
    return parseProfileInteger(*value).value_or(fallback);
}

}  // namespace zelk
