// The portable text layer: GBK comparison and search, the atoi rules, the text-mode file with its raw
// fields, and calendar arithmetic.
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
    std::string lines[4];
    uint32_t fields[3] = {};
    EXPECT_TRUE(r.ReadLine(lines[0]) && r.ReadUInt32(fields[0]) && r.ReadLine(lines[1]) && r.ReadLine(lines[2]));
    EXPECT_TRUE(r.ReadUInt32(fields[1]) && !r.ReadUInt32(fields[2]) && r.ReadLine(lines[3]) && r.AtEnd());
    EXPECT_EQ((kt::Strings{"[ItemCount]", "a", "b\rc", "ab\r"}), kt::Strings(lines, lines + 4)) << "a short field reads nothing";
    EXPECT_EQ((std::vector<uint32_t>{0x0A0B0A01u, 0x03020D1Au}), std::vector<uint32_t>(fields, fields + 2));
    EXPECT_FALSE(r.ReadLine(lines[0]) || r.ReadUInt32(fields[0]));
}

// Day by day from 1601 to 2400 as a calendar counts them: every date turns into its milliseconds and back,
// and the day of week moves on by one (1 January 1601 was a Monday).
TEST(SysTimeMath, EveryDayOfEightCenturiesRoundTripsWithItsWeekday) {
    const int64_t kDay = 86400000;
    auto date = [](const kp::SysTime& t) { return (t.wYear * 100 + t.wMonth) * 100 + t.wDay; };
    kp::SysTime day = kt::At(1601, 1, 1, 0, 0);
    for (int64_t n = 0; day.wYear < 2401; ++n) {
        const kp::SysTime t = kp::SysTimeFromMs(n * kDay + 45296789);
        ASSERT_EQ(n * kDay, kp::SysTimeToMs(day)) << date(day);
        ASSERT_EQ(date(day), date(t));
        ASSERT_EQ(123456789, ((t.wHour * 100 + t.wMinute) * 100 + t.wSecond) * 1000 + t.wMilliseconds);
        ASSERT_EQ((n + 1) % 7, t.wDayOfWeek) << date(day);
        ASSERT_EQ(t.wDayOfWeek, kp::DayOfWeek(day.wYear, day.wMonth, day.wDay));
        if (++day.wDay > kp::DaysInMonth(day.wYear, day.wMonth)) {
            day.wDay = 1;
            if (++day.wMonth > 12) day = kt::At(day.wYear + 1, 1, 1, 0, 0);
        }
    }
    EXPECT_EQ(0, kp::DaysInMonth(2026, 0) + kp::DaysInMonth(2026, 13));
    EXPECT_EQ(11644473600000, kp::SysTimeToMs(kt::At(1970, 1, 1, 0, 0)));
    // The last moment of a day is valid, one more of any field is not; so are a day 0, month 0 or 13, and 1600.
    kp::SysTime last = kt::At(2024, 2, 29, 23, 59, 59);
    last.wMilliseconds = 999;
    EXPECT_TRUE(kp::IsValidSysTime(last));
    for (auto field : {&kp::SysTime::wMilliseconds, &kp::SysTime::wSecond, &kp::SysTime::wMinute, &kp::SysTime::wHour,
                       &kp::SysTime::wDay}) {
        kp::SysTime t = last;
        ++(t.*field);
        EXPECT_FALSE(kp::IsValidSysTime(t));
    }
    for (kp::SysTime t : {kt::At(1600, 12, 31, 0, 0), kt::At(2026, 0, 1, 0, 0), kt::At(2026, 13, 1, 0, 0), kt::At(2026, 4, 0, 0, 0)})
        EXPECT_FALSE(kp::IsValidSysTime(t)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
}

}  // namespace
