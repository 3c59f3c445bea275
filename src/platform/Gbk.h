// Byte-string helpers for GBK (code page 936) text.
#pragma once
#include <string>

namespace kp {

// True for a byte that starts a double-byte GBK character.
inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Byte-exact, case-sensitive comparison: <0, 0 or >0.
int MbsCmp(const std::string& a, const std::string& b);
// Case-insensitive comparison that folds only single-byte ASCII letters; the second byte of a double-byte
// character is never folded. <0, 0 or >0.
int MbsICmp(const std::string& a, const std::string& b);
// Where `what` first stands in `s` at or after `from`, or where the single-byte character `c` stands last,
// starting on a character boundary only; npos when it does not. The trail byte of a double-byte
// character may hold the value of an ASCII byte (a backslash is the second byte of 誠 and 運) and is
// never taken for one.
size_t MbsFind(const std::string& s, const std::string& what, size_t from = 0);
size_t MbsRFind(const std::string& s, char c);
// Whether the text's last character is `c`.
inline bool MbsEndsWith(const std::string& s, char c) { return !s.empty() && MbsRFind(s, c) == s.size() - 1; }
// Lower-cases single-byte ASCII letters, leaving double-byte characters intact.
std::string MbsLower(std::string s);
// Leading whitespace, an optional sign, then decimal digits up to the first other byte; 0 when there are
// none. Values beyond the int range saturate.
int Atoi(const std::string& s);
// printf-style formatting into a byte string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace kp
