// Writes the seed corpora of the list-file fuzz targets: files the program's own writers produce from
// rows built the way the pages build them, and a few damaged copies of them.
//   build/fuzz/kestor_fuzz_seeds tests/fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ListRows.h"
#include "player/PlaylistFile.h"
#include "scheduler/ReminderFile.h"
#include "usercontrol/UserLimitFile.h"

namespace {

std::string g_root;
bool g_failed = false;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    const std::string path = g_root + "/" + target + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        g_failed = true;
    }
}

kp::SysTime At(int month, int day, int hour, int minute) {
    kp::SysTime t;
    t.wYear = 2026;
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = static_cast<uint16_t>(hour);
    t.wMinute = static_cast<uint16_t>(minute);
    return t;
}

// The damaged copies.
std::string Cut(const std::string& bytes, size_t keep) { return bytes.substr(0, keep); }
std::string LineFeedsOnly(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
    return out;
}
// The raw count field follows the 13 bytes of "[ItemCount]\r\n" (for counts without a 10 byte).
std::string WithCount(std::string bytes, uint32_t count) {
    for (int i = 0; i < 4; ++i) bytes[13 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    return bytes;
}

struct Reminder {
    kp::SysTime when;
    const char* message;
};

std::string Reminders(const std::vector<Reminder>& reminders) {
    kp::sim::SimListView list = fuzz::ListWithColumns(2);
    list.sorted = true;
    for (const Reminder& r : reminders) {
        const uint32_t packed = kestor::PackTime(r.when);
        const int row = list.InsertItem(list.GetItemCount(), kestor::ReminderTimeText(packed));
        list.SetItemText(row, 1, r.message);
        list.SetItemData(row, packed);
    }
    kp::TextWriter out;
    kestor::WriteReminders(list, list.GetItemCount(), out);
    return out.Bytes();
}

struct Limit {
    const char* user;
    int hours, rest;  // 0: none
    bool window;
};

std::string Limits(const std::vector<Limit>& limits) {
    kp::sim::SimListView list = fuzz::ListWithColumns(4);
    list.sorted = true;
    for (const Limit& l : limits) {
        const int row = list.InsertItem(list.GetItemCount(), l.user);
        if (l.hours > 0) list.SetItemText(row, 1, kestor::HoursText(l.hours));
        if (l.rest > 0) list.SetItemText(row, 2, kestor::RestText(l.rest));
        if (l.window) list.SetItemText(row, 3, kestor::WindowText(At(1, 1, 8, 0), At(1, 1, 21, 30)));
        list.SetItemData(row, l.window ? kestor::kLimitDailyWindow : kestor::kLimitContinuousOnly);
    }
    kp::TextWriter out;
    kestor::WriteUserLimits(list, list.GetItemCount(), out);
    return out.Bytes();
}

std::string Playlist(const std::vector<std::string>& paths) {
    kp::sim::SimListBox list;
    list.sorted = true;
    for (const std::string& path : paths) list.AddString(path);
    return kestor::WritePlaylist(list);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];

    // The reminder target's "now" is 15 June, 12:00: the first three are expired or due at it.
    const std::string reminders = Reminders({{At(1, 1, 8, 0), "新年"},
                                             {At(6, 15, 12, 0), "到点了"},
                                             {At(6, 15, 12, 1), "开会"},
                                             {At(6, 20, 8, 30), "交电费"},
                                             {At(12, 24, 20, 0), "平安夜"}});
    Put("ReminderFileFuzz", "five.ini", reminders);
    // Packed bytes 10, 13 and 26: line ends and the end-of-file mark inside a raw field.
    Put("ReminderFileFuzz", "raw-line-ends.ini", Reminders({{At(10, 13, 10, 26), "a"}, {At(12, 10, 13, 10), ""}}));
    Put("ReminderFileFuzz", "cut.ini", Cut(reminders, reminders.size() - 9));
    Put("ReminderFileFuzz", "huge-count.ini", WithCount(reminders, 0x7FFFFFFF));
    Put("ReminderFileFuzz", "line-feeds.ini", LineFeedsOnly(reminders));

    const std::string limits = Limits({{"tom", 2, 10, true}, {"小明", 1, 0, false}, {"guest", 0, 0, true}});
    Put("UserLimitFileFuzz", "three.ini", limits);
    Put("UserLimitFileFuzz", "ten.ini",
        Limits({{"u0", 1, 5, false}, {"u1", 2, 10, false}, {"u2", 3, 15, true}, {"u3", 4, 20, false},
                {"u4", 5, 25, true}, {"u5", 1, 30, false}, {"u6", 2, 35, false}, {"u7", 3, 40, true},
                {"u8", 4, 45, false}, {"u9", 5, 50, false}}));
    Put("UserLimitFileFuzz", "cut.ini", Cut(limits, limits.size() - 6));
    Put("UserLimitFileFuzz", "huge-count.ini", WithCount(limits, 0xFFFFFFFF));
    Put("UserLimitFileFuzz", "line-feeds.ini", LineFeedsOnly(limits));

    const std::string playlist =
        Playlist({"C:\\Music\\a.mp3", "D:\\歌曲\\月亮代表我的心.mp3", "\\\\server\\share\\b.wma", "C:\\x.mid"});
    Put("PlaylistFileFuzz", "four.m3u", playlist);
    Put("PlaylistFileFuzz", "empty-line.m3u", "C:\\a.mp3\r\n\r\nC:\\b.mp3\r\n");
    Put("PlaylistFileFuzz", "no-last-line-end.m3u", Cut(playlist, playlist.size() - 2));
    Put("PlaylistFileFuzz", "line-feeds.m3u", LineFeedsOnly(playlist));

    // The text-mode file under the list files.
    Put("TextFileFuzz", "reminders.ini", reminders);
    Put("TextFileFuzz", "limits.ini", limits);
    return g_failed ? 1 : 0;
}
