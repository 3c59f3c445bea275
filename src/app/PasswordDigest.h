// The one-way digest under which the unlock password is stored.
#pragma once
#include <string>

namespace kestor {

constexpr int kDigestRows = 8;
constexpr int kDigestColumns = 13;

// The program's code table: every printable ASCII character (0x20..0x7E) stands in exactly one cell as a
// one-character string; the remaining nine cells hold one four-character filler. Digests stored under
// this arrangement only match this arrangement, so it never changes.
extern const char* const DigestTable[kDigestRows][kDigestColumns];

// For each byte of the password, the number of the column whose cells hold that byte as a one-character
// string, in decimal, concatenated without separators. Bytes outside 0x20..0x7E add nothing.
std::string PasswordDigest(const std::string& password);

}  // namespace kestor
