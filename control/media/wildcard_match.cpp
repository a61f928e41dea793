#include "control/media/wildcard_match.h"

#include <cstdint>
#include <vector>

namespace zelk::control {
namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Memoised over (pattern position, name position): "*" makes a plain
// backtracking search exponential on names like "aaaa...b".
class Matcher {
public:
    Matcher(std::string_view pattern, std::string_view name)
        : pattern_(pattern), name_(name), memo_((pattern.size() + 1) * (name.size() + 1), kUnknown) {}

    bool match(size_t p, size_t n) {
        int8_t& seen = memo_[p * (name_.size() + 1) + n];
        if (seen == kUnknown) seen = compute(p, n) ? kYes : kNo;
        return seen == kYes;
    }

private:
    static constexpr int8_t kUnknown = -1, kNo = 0, kYes = 1;

    bool atNameEnd(size_t n) const { return n == name_.size(); }

    bool compute(size_t p, size_t n) {
        if (p == pattern_.size()) return atNameEnd(n);
        const char pc = pattern_[p];
        if (pc == '*') return match(p + 1, n) || (!atNameEnd(n) && match(p, n + 1));
        if (pc == '?') {
            if (!atNameEnd(n) && match(p + 1, n + 1)) return true;
            return (atNameEnd(n) || name_[n] == '.') && match(p + 1, n);
        }
        if (pc == '.' && dotMayEndName(p)) {
            if (atNameEnd(n)) return match(p + 1, n);
            return name_[n] == '.' && match(p + 1, n + 1);
        }
        return !atNameEnd(n) && lowerAscii(pc) == lowerAscii(name_[n]) && match(p + 1, n + 1);
    }

    bool dotMayEndName(size_t p) const {
        return p + 1 == pattern_.size() || pattern_[p + 1] == '*' || pattern_[p + 1] == '?';
    }

    std::string_view pattern_, name_;
    std::vector<int8_t> memo_;
};

}  // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
    return Matcher(pattern, name).match(0, 0);
}

}  // namespace zelk::control
