#include "app/PasswordDigest.h"

#include <array>
#include <cstring>

namespace kestor {

namespace {
const char* const kFill = "\xA1\xF1\xA1\xF1";  // two GBK symbols: equals no one-byte string
}

const char* const DigestTable[kDigestRows][kDigestColumns] = {
    {"<", "J", "S", ">", "-", "b", "A", "Z", "x", "k", "y", "d", "o"},
    {"s", "G", "5", "3", "4", ":", "7", kFill, "N", "V", "v", "[", "&"},
    {"c", "1", kFill, "f", "%", "W", "2", "/", "\\", "C", "M", "_", "X"},
    {"m", "@", "(", "q", "n", "\"", "#", "z", "8", "p", "g", "u", "E"},
    {"F", ",", "j", kFill, "]", "0", kFill, "r", "i", ")", "D", "?", "w"},
    {"e", "T", ";", "P", kFill, "I", "U", "=", kFill, "~", "{", "H", "|"},
    {"a", "O", kFill, "$", "!", " ", "h", "B", "L", "Q", "+", "l", "9"},
    {"Y", "6", kFill, ".", kFill, "R", "*", "'", "}", "`", "K", "^", "t"},
};

namespace {
// Column of each byte value, -1 for none; derived once from the table.
std::array<int, 256> BuildColumnOf() {
    std::array<int, 256> columnOf;
    columnOf.fill(-1);
    for (int j = 0; j < kDigestColumns; ++j) {
        for (int r = 0; r < kDigestRows; ++r) {
            const char* cell = DigestTable[r][j];
            if (std::strlen(cell) == 1) {
                const unsigned char b = static_cast<unsigned char>(cell[0]);
                if (columnOf[b] < 0) columnOf[b] = j;
            }
        }
    }
    return columnOf;
}
}  // namespace

std::string PasswordDigest(const std::string& password) {
    static const std::array<int, 256> columnOf = BuildColumnOf();
    std::string result;
    for (unsigned char b : password) {
        const int column = columnOf[b];
        if (column >= 0) result += std::to_string(column);
    }
    return result;
}

}  // namespace kestor
