// MP3 playback through the media control interface; the device is chosen by the file's extension.
#include "platform/win32/Services.h"

#include <mmsystem.h>

namespace kp::win32 {

bool Media::Open(const std::string& path, uint32_t& deviceId) {
    const std::wstring element = Wide(path);
    MCI_OPEN_PARMSW open{};
    open.lpstrElementName = element.c_str();
    if (mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return false;
    deviceId = open.wDeviceID;
    return true;
}

// Nobody listens for the notification: the end of a track is found by asking the device's mode.
bool Media::Play(uint32_t deviceId) {
    MCI_PLAY_PARMS play{};
    return mciSendCommandW(deviceId, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

bool Media::Mode(uint32_t deviceId, uint32_t& mode) {
    if (deviceId == 0) return false;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    if (mciSendCommandW(deviceId, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0)
        return false;
    mode = static_cast<uint32_t>(status.dwReturn);
    return true;
}

bool Media::Close(uint32_t deviceId) {
    if (deviceId == 0) return false;
    MCI_GENERIC_PARMS close{};
    return mciSendCommandW(deviceId, MCI_CLOSE, MCI_NOTIFY | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close)) == 0;
}

}  // namespace kp::win32
