// The portable text layer: GBK comparison and search, atoi, the text-mode file, and calendar arithmetic.
#include <climits>

#include "Util.h"

namespace {

// User names and status words compare byte for byte; process names ignore the case of ASCII letters only,
// never that of a trail byte (薃 is CB 41, 薬 CB 61); 0x81 to 0xFE lead a double-byte character.
TEST(Gbk, ComparesSearchesAndParsesNumbersLikeTheCLibrary) {
    const struct { const char *a, *b; int cmp, icmp; } cases[] = {
        {"tom", "tom", 0, 0},     {"Tom", "tom", -1, 0},         {"tom", "tomas", -1, -1}, {"张三", "tom", 1, 1},
        {"a", "B", 1, -1},        {"AZ", "az", -1, 0},           {"@[", "`{", -1, -1},     {"X\xCB", "x\xCB", -1, 0},
        {"\xCB\x41", "\xCB\x61", -1, -1}, {"\x81\x41", "\x81\x61", -1, -1}, {"\xFE\x41", "\xFE\x61", -1, -1},
        {"\x80\x41", "\x80\x61", -1, 0},  {"\xFF\x41", "\xFF\x61", -1, 0},  {"\xCB\x41X", "\xCB\x41x", -1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ((std::vector<int>{c.cmp, -c.cmp, c.icmp, -c.icmp}), (std::vector<int>{kp::MbsCmp(c.a, c.b),
                  kp::MbsCmp(c.b, c.a), kp::MbsICmp(c.a, c.b), kp::MbsICmp(c.b, c.a)})) << testing::PrintToString(c.a);
    EXPECT_EQ("\xCB\x41" "abc", kp::MbsLower("\xCB\x41" "ABC"));
    // Searches find whole characters only: 誠 is D5 5C and 運 DF 5C, their second bytes a backslash's value.
    const size_t no = std::string::npos;
    for (const auto& [text, first, last] : {std::tuple{"C:\\x\\a.exe", 2ul, 4ul}, {"誠品.exe", no, no}, {"運\\", 2, 2},
                                            {"\xD5", no, no}, {"", no, no}})
        EXPECT_EQ(std::pair(first, last), std::pair(kp::MbsFind(text, "\\"), kp::MbsRFind(text, '\\'))) << text;
    EXPECT_EQ(std::pair(size_t{5}, no), std::pair(kp::MbsFind("C:\\誠\\", "\\", 3), kp::MbsFind("\xD5\\\\", "\\\\")));
    for (const auto& [text, value] : {std::pair{"5小时", 5}, {"\t\r\n 12", 12}, {"\x0E" "5", 0}, {"-7x", -7}, {"+3", 3},
                                      {"", 0}, {"- 5", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
                                      {"9999999999999", INT_MAX}, {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN}})
        EXPECT_EQ(value, kp::Atoi(text)) << testing::PrintToString(text);
}

// Every line feed written goes out as CR LF, one inside a raw field too; a lone CR and 0x1A are data; a field
// cut short reads nothing. Months 0 and 13 have no days; 1700 is no leap year, 2000 is one. The last moment of
// a leap day is a valid time, one more of any field is not, nor is a date before 1601.
TEST(TextFileAndCalendar, LinesAndRawFieldsThroughTheLineEndTranslationAndMonthLengths) {
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
    EXPECT_EQ("[ItemCount]|a|b\rc|ab\r|", l[0] + "|" + l[1] + "|" + l[2] + "|" + l[3] + "|" + l[4]);
    EXPECT_EQ((std::vector<uint32_t>{0x0A0B0A01u, 0x03020D1Au}), std::vector<uint32_t>(f, f + 2));
    std::string lengths;
    for (int year : {1700, 2000})
        for (int month = 0; month <= 13; ++month) lengths += std::to_string(kp::DaysInMonth(year, month)) + " ";
    EXPECT_EQ("0 31 28 31 30 31 30 31 31 30 31 30 31 0 0 31 29 31 30 31 30 31 31 30 31 30 31 0 ", lengths);
    std::string valid;
    for (const kp::SysTime& t : {kp::SysTime{2000, 2, 2, 29, 23, 59, 59, 999}, {2000, 2, 2, 29, 23, 59, 59, 1000},
                                 {2000, 2, 2, 29, 23, 59, 60, 999}, {2000, 2, 2, 29, 23, 60, 59, 999},
                                 {2000, 2, 2, 29, 24, 59, 59, 999}, {2000, 0, 2, 1}, {2000, 2, 2, 30, 23, 59, 59, 999},
                                 {2000, 13, 2, 29}, {1600, 12, 0, 31}})
        valid += std::to_string(kp::IsValidSysTime(t));
    EXPECT_EQ("100000000", valid);
}

}  // namespace
