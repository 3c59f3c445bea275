#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "app/PasswordDigest.h"

using kestor::DigestTable;
using kestor::PasswordDigest;

namespace {
int ColumnOf(char c) {
    for (int j = 0; j < kestor::kDigestColumns; ++j)
        for (int r = 0; r < kestor::kDigestRows; ++r)
            if (std::strlen(DigestTable[r][j]) == 1 && DigestTable[r][j][0] == c) return j;
    return -1;
}
}  // namespace

TEST(DigestTable, HoldsEveryPrintableCharacterOnceAndOneFillerElsewhere) {
    std::multiset<std::string> singles;
    std::set<std::string> fillers;
    for (int r = 0; r < kestor::kDigestRows; ++r)
        for (int j = 0; j < kestor::kDigestColumns; ++j) {
            const std::string cell = DigestTable[r][j];
            if (cell.size() == 1)
                singles.insert(cell);
            else
                fillers.insert(cell);
        }
    EXPECT_EQ(95u, singles.size());
    for (int c = 0x20; c <= 0x7E; ++c) EXPECT_EQ(1u, singles.count(std::string(1, static_cast<char>(c)))) << c;
    ASSERT_EQ(1u, fillers.size());
    EXPECT_EQ(4u, fillers.begin()->size());
}

TEST(PasswordDigest, ConcatenatesColumnNumbers) {
    std::string expected;
    for (char c : std::string("MoonGate")) expected += std::to_string(ColumnOf(c));
    EXPECT_EQ(expected, PasswordDigest("MoonGate"));
    // Fixed for this program's table: a stored digest must never change between builds.
    EXPECT_EQ("101212410120", PasswordDigest("MoonGate"));
}

TEST(PasswordDigest, IgnoresBytesOutsidePrintableAscii) {
    EXPECT_EQ("", PasswordDigest(""));
    EXPECT_EQ("", PasswordDigest("密码"));  // every byte of these GBK characters is above 0x7E
    EXPECT_EQ(PasswordDigest("ab"), PasswordDigest("a\tb\x7F"));
}

TEST(PasswordDigest, CharactersOfOneColumnAreInterchangeable) {
    // '<' and 's' share column 0; 'J' and 'G' share column 1.
    EXPECT_EQ(PasswordDigest("<J"), PasswordDigest("sG"));
    EXPECT_NE(PasswordDigest("o"), PasswordDigest("O"));
    // Two-digit columns make different passwords collide: "d" (11) against "GG" (1, 1).
    EXPECT_EQ(PasswordDigest("d"), PasswordDigest("GG"));
}
