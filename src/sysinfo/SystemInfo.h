// The system information page: the operating system with its banner, names, today's date, the time since
// Windows started, the local and UTC clocks, and the three power buttons.
#pragma once
#include <cstdint>
#include <string>
#include "app/KestorPage.h"
#include "controls/BitmapStatic.h"
#include "controls/LinkStatic.h"
#include "platform/Types.h"

namespace kestor {

class CSystemInfo : public KestorPage {
public:
    static constexpr unsigned kClockTimer = 10002;
    CSystemInfo();
    bool OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    void OnTimer(unsigned id) override;
    // Refreshes the clock texts at once and keeps them running, once a second.
    void StartClock();
    void StopClock();

    // "3天4小时05分06秒" for the milliseconds since Windows started.
    static std::string FormatUptime(uint64_t msSinceStart);
    // "8:05:09": hours never padded, minutes and seconds always two digits.
    static std::string FormatClock(const kp::SysTime& t);
    // "2003年7月5日".
    static std::string FormatDate(const kp::SysTime& t);
    // The text for a GetVersion value and its banner bitmap (0 for none); the text is empty for a system
    // the page does not name.
    struct OsDescription {
        std::string text;
        int banner = 0;
    };
    static OsDescription DescribeOs(uint32_t version);

private:
    void RefreshClocks();
    CLinkStatic m_aboutLink;  // "关于：Kestor", opens the about box
    CBitmapStatic m_banner;
};

}  // namespace kestor
