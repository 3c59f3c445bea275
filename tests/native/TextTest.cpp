// The portable text layer: GBK comparison and search, atoi, the text-mode file, calendar arithmetic.
#include "Util.h"

namespace {

// User names and status words compare byte for byte; process names ignore the case of ASCII letters only,
// never that of a trail byte (薃 is CB 41, 薬 CB 61); 0x81 to 0xFE lead a double-byte character.
TEST(Gbk, ComparesSearchesAndParsesNumbersLikeTheCLibrary) {
    std::string signs;  // of MbsCmp(a, b), -MbsCmp(b, a), MbsICmp(a, b), -MbsICmp(b, a)
    for (const auto& [a, b] : {std::pair{"tom", "tom"}, {"Tom", "tom"}, {"tom", "tomas"}, {"张三", "tom"}, {"a", "B"},
                               {"AZ", "az"}, {"@[", "`{"}, {"X\xCB", "x\xCB"}, {"\xCB\x41", "\xCB\x61"},
                               {"\x81\x41", "\x81\x61"}, {"\xFE\x41", "\xFE\x61"}, {"\x80\x41", "\x80\x61"},
                               {"\xFF\x41", "\xFF\x61"}, {"\xCB\x41X", "\xCB\x41x"}}) {
        for (int r : {kp::MbsCmp(a, b), -kp::MbsCmp(b, a), kp::MbsICmp(a, b), -kp::MbsICmp(b, a)})
            signs += r < 0 ? '-' : r > 0 ? '+' : '0';
        signs += ' ';
    }
    EXPECT_EQ("0000 --00 ---- ++++ ++-- --00 ---- --00 ---- ---- ---- --00 --00 --00 ", signs);
    EXPECT_EQ("\xCB\x41" "abc", kp::MbsLower("\xCB\x41" "ABC"));
    // Searches find whole characters only: 誠 is D5 5C and 運 DF 5C.
    std::string found;
    for (const char* t : {"C:\\x\\a.exe", "誠品.exe", "運\\", "\xD5", ""})
        found += std::to_string(int(kp::MbsFind(t, "\\"))) + "," + std::to_string(int(kp::MbsRFind(t, '\\'))) + " ";
    EXPECT_EQ("2,4 -1,-1 2,2 -1,-1 -1,-1 ", found);
    EXPECT_EQ(5u, kp::MbsFind("C:\\誠\\", "\\", 3));
    EXPECT_EQ(std::string::npos, kp::MbsFind("\xD5\\\\", "\\\\"));
    std::string numbers;
    for (const char* t : {"5小时", "\t\r\n 12", "\x0E" "5", "-7x", "+3", "", "- 5", "2147483647", "2147483648",
                          "9999999999999", "-2147483648", "-99999999999"})
        numbers += std::to_string(kp::Atoi(t)) + " ";
    EXPECT_EQ("5 12 0 -7 3 0 0 2147483647 2147483647 2147483647 -2147483648 -2147483648 ", numbers);
}

// Every line feed written goes out as CR LF, in a raw field too; a lone CR and 0x1A are data; a field cut short
// reads nothing. Months 0 and 13 have no days; 1700 is no leap year, 2000 is. The last moment of a leap day is
// valid, one more of any field is not, nor is a date before 1601.
TEST(TextFileAndCalendar, LinesAndRawFieldsThroughTheLineEndTranslationAndMonthLengths) {
    kp::TextWriter w;
    w.WriteLine("[ItemCount]");
    w.WriteUInt32(0x0A0B0A01u);
    w.Write("a\nb\rc");
    w.WriteLine("");
    EXPECT_EQ(std::string("[ItemCount]\r\n\x01\r\n\x0B\r\na\r\nb\rc\r\n"), w.Bytes());
    kp::TextReader r("\r\n" + w.Bytes() + "\x1A\x0D\x02\x03" "ab\r");
    std::string l[6], lines;
    uint32_t f[3] = {};
    EXPECT_TRUE(r.ReadLine(l[0]) && r.ReadLine(l[1]) && r.ReadUInt32(f[0]) && r.ReadLine(l[2]) && r.ReadLine(l[3]));
    EXPECT_TRUE(r.ReadUInt32(f[1]) && !r.ReadUInt32(f[2]) && r.ReadLine(l[4]) && r.AtEnd() && !r.ReadLine(l[5]));
    EXPECT_FALSE(r.ReadUInt32(f[2]));
    for (const std::string& line : l) lines += line + "|";
    EXPECT_EQ("|[ItemCount]|a|b\rc|ab\r||", lines);
    EXPECT_EQ(kp::Format("%x %x", 0x0A0B0A01u, 0x03020D1Au), kp::Format("%x %x", f[0], f[1]));
    std::string days;
    for (int year : {1700, 2000})
        for (int month = 0; month <= 13; ++month) days += std::to_string(kp::DaysInMonth(year, month)) + " ";
    EXPECT_EQ("0 31 28 31 30 31 30 31 31 30 31 30 31 0 0 31 29 31 30 31 30 31 31 30 31 30 31 0 ", days);
    std::string valid;
    for (const kp::SysTime& t : {kp::SysTime{2000, 2, 2, 29, 23, 59, 59, 999}, {2000, 2, 2, 29, 23, 59, 59, 1000},
                                 {2000, 2, 2, 29, 23, 59, 60, 999}, {2000, 2, 2, 29, 23, 60, 59, 999},
                                 {2000, 2, 2, 29, 24, 59, 59, 999}, {2000, 0, 2, 1}, {2000, 2, 2, 30, 23, 59, 59, 999},
                                 {2000, 13, 2, 29}, {1600, 12, 0, 31}, {2000, 12, 0, 31}, {2024, 2, 0, 29}, {1601, 1, 0, 1}})
        valid += std::to_string(kp::IsValidSysTime(t));
    EXPECT_EQ("100000000111", valid);
    // Moved across a year end, onto a leap day, over a century's 28 February both ways, with the day of week.
    std::string moved;
    for (const auto& [t, ms] : {std::pair{kt::At(1999, 12, 31, 23, 59, 59), 1000LL},
                                {kt::At(2000, 2, 28, 23, 0), 3600000LL}, {kt::At(2100, 3, 1, 0, 0), -1LL},
                                {kt::At(1601, 1, 1, 0, 0), 0LL}, {kt::At(2099, 1, 25, 12, 0), 400 * 86400000LL}}) {
        const kp::SysTime m = kp::AddMs(t, ms);
        moved += kp::Format("%d-%d-%d %d %d:%d:%d.%d ", m.wYear, m.wMonth, m.wDay, m.wDayOfWeek, m.wHour, m.wMinute,
                            m.wSecond, m.wMilliseconds);
    }
    EXPECT_EQ("2000-1-1 6 0:0:0.0 2000-2-29 2 0:0:0.0 2100-2-28 0 23:59:59.999 1601-1-1 1 0:0:0.0 "
              "2100-3-1 1 12:0:0.0 ",
              moved);
}

}  // namespace
