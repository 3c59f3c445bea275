#include "platform/Gbk.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

namespace kp {

int MbsCmp(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = a[i], y = b[i];
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

namespace {
// One byte of a text folded for comparison: ASCII capitals made small; the trail byte of a double-byte
// character (which may hold the value of a capital) copied as it is. `trail` carries the state from one
// byte to the next.
unsigned char FoldByte(unsigned char c, bool& trail) {
    if (trail) {
        trail = false;
        return c;
    }
    if (IsLeadByte(c)) {
        trail = true;
        return c;
    }
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::string Fold(std::string s) {
    bool trail = false;
    for (char& c : s) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c), trail));
    return s;
}
}  // namespace

// Compares as it goes, without folded copies: the sorted lists compare on every insertion.
int MbsICmp(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    bool trailA = false, trailB = false;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldByte(static_cast<unsigned char>(a[i]), trailA);
        const unsigned char y = FoldByte(static_cast<unsigned char>(b[i]), trailB);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string MbsLower(std::string s) { return Fold(s); }

size_t MbsFind(const std::string& s, const std::string& what, size_t from) {
    for (size_t i = 0; i < s.size(); i += IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1)
        if (i >= from && s.compare(i, what.size(), what) == 0) return i;
    return std::string::npos;
}

size_t MbsRFind(const std::string& s, char c) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < s.size(); i += IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1)
        if (s[i] == c) found = i;
    return found;
}

int Atoi(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

}  // namespace kp
