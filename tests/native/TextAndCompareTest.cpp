// GBK comparisons, the atoi rules and the text-mode file.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "platform/Gbk.h"
#include "platform/TextFile.h"

using kp::Atoi;
using kp::MbsCmp;
using kp::MbsICmp;

TEST(GbkCompare, UserNamesAreByteExactAndCaseSensitive) {
    EXPECT_EQ(0, MbsCmp("tom", "tom"));
    EXPECT_NE(0, MbsCmp("Tom", "tom"));
    EXPECT_LT(MbsCmp("tom", "tomas"), 0);
    EXPECT_GT(MbsCmp("张三", "tom"), 0);  // double-byte text sorts after ASCII, byte-wise unsigned
    EXPECT_EQ(0, MbsCmp("张三", "张三"));
    EXPECT_NE(0, MbsCmp("张三", "张四"));
}

TEST(GbkCompare, ProcessNamesIgnoreAsciiCaseButNotTrailBytes) {
    EXPECT_EQ(0, MbsICmp("NOTEPAD.EXE", "notepad.exe"));
    EXPECT_EQ(0, MbsICmp("记事本.EXE", "记事本.exe"));
    EXPECT_LT(MbsICmp("a", "B"), 0);
    // "薃" is 0xCB 0x41 and "薬" 0xCB 0x61 in GBK: their trail bytes look like 'A' and 'a' but are part of
    // a double-byte character, so they must not be folded together.
    const std::string upper("\xCB\x41"), lower("\xCB\x61");
    EXPECT_NE(0, MbsICmp(upper, lower));
    EXPECT_EQ("\xCB\x41" "abc", kp::MbsLower("\xCB\x41" "ABC"));
    // A lone lead byte at the end is not a character start of anything: the text stays comparable.
    EXPECT_EQ(0, MbsICmp("X\xCB", "x\xCB"));
}

// The comparison folds as it goes; it must order every pair as the folded copies of the two texts do.
TEST(GbkCompare, CaseFreeOrderIsTheOrderOfTheFoldedTexts) {
    const char alphabet[] = {'A', 'a', 'Z', 'z', '.', '\x41', '\x61', '\xCB', '\xD5', '\xFF', '\x80'};
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    auto text = [&] {
        std::string s(next() % 6, ' ');
        for (char& c : s) c = alphabet[next() % sizeof alphabet];
        return s;
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = text(), b = i % 3 ? text() : kp::MbsLower(a);
        ASSERT_EQ(sign(MbsCmp(kp::MbsLower(a), kp::MbsLower(b))), sign(MbsICmp(a, b)))
            << testing::PrintToString(a) << " " << testing::PrintToString(b);
    }
}

// 誠 is D5 5C and 運 DF 5C: their second bytes have the value of a backslash.
TEST(GbkSearch, FindsOnlyWholeCharacters) {
    struct Case {
        const char* text;
        size_t first, last;
    };
    const size_t none = std::string::npos;
    const Case cases[] = {{"C:\\x\\a.exe", 2, 4}, {"C:\\x\\誠品.exe", 2, 4}, {"誠品.exe", none, none},
                          {"C:\\誠", 2, 2},            {"運\\", 2, 2},              {"\xD5", none, none},
                          {"", none, none}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(c.first, kp::MbsFind(c.text, "\\"));
        EXPECT_EQ(c.last, kp::MbsRFind(c.text, '\\'));
        EXPECT_EQ(c.last != none && c.last + 1 == std::string(c.text).size(), kp::MbsEndsWith(c.text, '\\'));
    }
    EXPECT_EQ(5u, kp::MbsFind("C:\\誠\\", "\\", 3)) << "searching on from a character start";
    EXPECT_EQ(std::string::npos, kp::MbsFind("\xD5\x5C\x5C", "\x5C\x5C")) << "a match must start a character";
}

TEST(AtoiRules, ParsesLikeTheCLibrary) {
    EXPECT_EQ(5, Atoi("5小时"));
    EXPECT_EQ(12, Atoi("  12"));
    EXPECT_EQ(-7, Atoi("-7x"));
    EXPECT_EQ(3, Atoi("+3"));
    EXPECT_EQ(0, Atoi(""));
    EXPECT_EQ(0, Atoi("小时"));
    EXPECT_EQ(0, Atoi("- 5"));
    EXPECT_EQ(INT_MAX, Atoi("99999999999999999999"));
    EXPECT_EQ(INT_MIN, Atoi("-99999999999999999999"));
    EXPECT_EQ(INT_MIN, Atoi("-2147483648"));
}

TEST(TextFile, LineFeedInsideARawFieldIsWrittenAsCrLfAndReadBack) {
    kp::TextWriter w;
    w.WriteLine("[ItemCount]");
    w.WriteUInt32(0x0A0B0A01u);  // two 0x0A bytes inside the field
    w.WriteLine("D");
    // 0x01 0x0A 0x0B 0x0A: both line feeds of the field go out as CR LF.
    EXPECT_EQ(std::string("[ItemCount]\r\n\x01\r\n\x0B\r\nD\r\n"), w.Bytes());

    kp::TextReader r(w.Bytes());
    std::string line;
    uint32_t v = 0;
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ("[ItemCount]", line);
    ASSERT_TRUE(r.ReadUInt32(v));
    EXPECT_EQ(0x0A0B0A01u, v);
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ("D", line);
    EXPECT_FALSE(r.ReadLine(line));
}

TEST(TextFile, CtrlZIsDataAndALoneCarriageReturnIsKept) {
    kp::TextReader r(std::string("\x1A\x0D\x02\x03rest\r\nlast", 14));
    uint32_t v = 0;
    ASSERT_TRUE(r.ReadUInt32(v));
    EXPECT_EQ(0x03020D1Au, v);
    std::string line;
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ("rest", line);
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ("last", line);  // no line end at the very end
    EXPECT_TRUE(r.AtEnd());

    kp::TextReader cr(std::string("a\rb\r\n"));
    ASSERT_TRUE(cr.ReadLine(line));
    EXPECT_EQ("a\rb", line);
}

TEST(TextFile, ShortFieldConsumesNothing) {
    kp::TextReader r(std::string("\x01\x02", 2));
    uint32_t v = 7;
    EXPECT_FALSE(r.ReadUInt32(v));
    std::string line;
    ASSERT_TRUE(r.ReadLine(line));
    EXPECT_EQ(std::string("\x01\x02"), line);
}

// Whatever the bytes, reading ends, every call either consumes data or reports the end, and a reader
// fed the writer's output gets the same lines back.
TEST(TextFile, ReaderSurvivesArbitraryBytes) {
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(next() % 64, '\0');
        for (char& c : bytes) {
            const uint32_t r = next() >> 16;
            c = static_cast<char>(r % 4 == 0 ? "\r\n\x1A\0"[r % 3] : r & 0xFF);
        }
        kp::TextReader reader(bytes);
        std::string line;
        uint32_t value = 0;
        size_t calls = 0;
        while (!reader.AtEnd()) {
            const bool ok = (next() & 1) ? reader.ReadLine(line) : (reader.ReadUInt32(value) || reader.ReadLine(line));
            ASSERT_TRUE(ok);
            ASSERT_LT(++calls, bytes.size() + 2) << "no progress in round " << round;
        }
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_FALSE(reader.ReadUInt32(value));

        // The same bytes, minus line feeds, as lines and fields through the writer come back unchanged.
        std::string text = bytes;
        text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
        const uint32_t field = next();
        kp::TextWriter writer;
        writer.WriteLine(text);
        writer.WriteUInt32(field);
        writer.WriteLine(text);
        kp::TextReader back(writer.Bytes());
        ASSERT_TRUE(back.ReadLine(line));
        EXPECT_EQ(text, line);
        ASSERT_TRUE(back.ReadUInt32(value));
        EXPECT_EQ(field, value);
        ASSERT_TRUE(back.ReadLine(line));
        EXPECT_EQ(text, line);
        EXPECT_TRUE(back.AtEnd());
    }
}
