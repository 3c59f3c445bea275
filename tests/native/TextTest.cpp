// The portable text layer: GBK comparison and search, the atoi rules, the text-mode file with its raw
// fields, and calendar arithmetic.
#include <array>
#include <climits>

#include "Util.h"

namespace {

// User names and status words compare byte for byte; process names ignore the case of ASCII letters only,
// never that of a trail byte (薃 is CB 41, 薬 CB 61); 0x81 to 0xFE lead a double-byte character.
TEST(Gbk, ComparesByteExactOrFoldingOnlyAsciiLetters) {
    const struct { const char *a, *b; int cmp, icmp; } cases[] = {
        {"tom", "tom", 0, 0},     {"Tom", "tom", -1, 0},         {"tom", "tomas", -1, -1}, {"张三", "tom", 1, 1},
        {"a", "B", 1, -1},        {"AZ", "az", -1, 0},           {"@[", "`{", -1, -1},     {"X\xCB", "x\xCB", -1, 0},
        {"\xCB\x41", "\xCB\x61", -1, -1}, {"\x81\x41", "\x81\x61", -1, -1}, {"\xFE\x41", "\xFE\x61", -1, -1},
        {"\x80\x41", "\x80\x61", -1, 0},  {"\xFF\x41", "\xFF\x61", -1, 0},  {"\xCB\x41X", "\xCB\x41x", -1, 0},
        {"记事本.EXE", "记事本.exe", -1, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ((std::vector<int>{c.cmp, -c.cmp, c.icmp, -c.icmp}),
                  (std::vector<int>{kp::MbsCmp(c.a, c.b), kp::MbsCmp(c.b, c.a), kp::MbsICmp(c.a, c.b), kp::MbsICmp(c.b, c.a)}))
            << testing::PrintToString(std::string(c.a)) << " " << testing::PrintToString(std::string(c.b));
    }
    EXPECT_EQ("\xCB\x41" "abc", kp::MbsLower("\xCB\x41" "ABC"));
}

// 誠 is D5 5C and 運 DF 5C: their second bytes have the value of a backslash.
TEST(Gbk, FindsOnlyWholeCharactersAndParsesNumbersLikeTheCLibrary) {
    const size_t no = std::string::npos;
    for (const auto& [text, first, last] : {std::tuple{"C:\\x\\a.exe", 2ul, 4ul}, {"C:\\x\\誠品.exe", 2, 4}, {"誠品.exe", no, no},
                                            {"C:\\誠", 2, 2}, {"運\\", 2, 2}, {"\xD5", no, no}, {"", no, no}}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(first, kp::MbsFind(text, "\\"));
        EXPECT_EQ(last, kp::MbsRFind(text, '\\'));
        EXPECT_EQ(last != no && last + 1 == strlen(text), kp::MbsEndsWith(text, '\\'));
    }
    EXPECT_EQ(5u, kp::MbsFind("C:\\誠\\", "\\", 3)) << "on from a character start";
    EXPECT_EQ(no, kp::MbsFind("\xD5\x5C\x5C", "\x5C\x5C")) << "a match must start a character";
    for (const auto& [text, value] : {std::pair{"5小时", 5}, {"\t\r\n 12", 12}, {"\x0E" "5", 0}, {"-7x", -7}, {"+3", 3},
                                      {"", 0}, {"- 5", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
                                      {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN}})
        EXPECT_EQ(value, kp::Atoi(text)) << testing::PrintToString(text);
}

// Every line feed written goes out as CR LF, one inside a raw field too; a lone CR and 0x1A are data.
TEST(TextFile, WritesAndReadsLinesAndRawFieldsThroughTheLineEndTranslation) {
    kp::TextWriter w;
    w.WriteLine("[ItemCount]");
    w.WriteUInt32(0x0A0B0A01u);
    w.Write("a\nb\rc");
    w.WriteLine("");
    EXPECT_EQ(std::string("[ItemCount]\r\n\x01\r\n\x0B\r\na\r\nb\rc\r\n"), w.Bytes());
    kp::TextReader r(w.Bytes() + "\x1A\x0D\x02\x03" "ab\r");
    std::string l[5];
    uint32_t f[3] = {};
    EXPECT_TRUE(r.ReadLine(l[0]) && r.ReadUInt32(f[0]) && r.ReadLine(l[1]) && r.ReadLine(l[2]) && r.ReadUInt32(f[1]));
    EXPECT_TRUE(!r.ReadUInt32(f[2]) && r.ReadLine(l[3]) && r.AtEnd() && !r.ReadLine(l[4]) && !r.ReadUInt32(f[2]));
    EXPECT_EQ("[ItemCount]|a|b\rc|ab\r|", l[0] + "|" + l[1] + "|" + l[2] + "|" + l[3] + "|" + l[4]) << "a short field reads nothing";
    EXPECT_EQ((std::vector<uint32_t>{0x0A0B0A01u, 0x03020D1Au}), std::vector<uint32_t>(f, f + 2));
}

// Day by day from 1601 to 2400 as a calendar counts them (1 January 1601 was a Monday): every date is valid,
// turns into its milliseconds and back with its day of week; one more of any field of a time is invalid.
TEST(SysTimeMath, EveryDayOfEightCenturiesRoundTripsWithItsWeekday) {
    const auto show = [](const kp::SysTime& t) {
        return std::array<int, 8>{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek};
    };
    kp::SysTime day{1601, 1, 1, 1, 12, 34, 56, 789};
    for (int64_t ms = 45296789; day.wYear < 2401; ms += 86400000) {
        ASSERT_EQ(show(day), show(kp::SysTimeFromMs(ms)));
        ASSERT_TRUE(kp::SysTimeToMs(day) == ms && kp::IsValidSysTime(day)) << testing::PrintToString(show(day));
        ASSERT_EQ(day.wDayOfWeek, kp::DayOfWeek(day.wYear, day.wMonth, day.wDay)) << testing::PrintToString(show(day));
        day.wDayOfWeek = (day.wDayOfWeek + 1) % 7;
        if (++day.wDay <= kp::DaysInMonth(day.wYear, day.wMonth)) continue;
        day.wDay = 1;
        day.wYear += ++day.wMonth > 12;
        if (day.wMonth > 12) day.wMonth = 1;
    }
    EXPECT_EQ(0, kp::DaysInMonth(2026, 0) + kp::DaysInMonth(2026, 13));
    for (const kp::SysTime& t : {kp::SysTime{1600, 12, 0, 31}, kp::SysTime{2023, 2, 0, 29}, kp::SysTime{2026, 13, 0, 1},
                                 kp::SysTime{2026, 1, 0, 1, 24}, kp::SysTime{2026, 1, 0, 1, 0, 60},
                                 kp::SysTime{2026, 1, 0, 1, 0, 0, 60}, kp::SysTime{2026, 1, 0, 1, 0, 0, 0, 1000}})
        EXPECT_FALSE(kp::IsValidSysTime(t)) << testing::PrintToString(show(t));
}

}  // namespace
