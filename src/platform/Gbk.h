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
