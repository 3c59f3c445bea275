// The simulated media device: files a test makes playable, each with its length, play in virtual time.
// A device is open from Open to Close; its mode is "stopped" until Play, "playing" for the track's length
// from Play on, and "stopped" again after it. Every call is recorded for tests to check.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "platform/Os.h"

namespace kp::sim {

class SimOs;

class SimMedia final : public IMedia {
public:
    struct Call {
        enum What { Open, Play, Close } what;
        std::string path;
        int64_t at;  // virtual ms
    };

    explicit SimMedia(SimOs& os) : m_os(os) {}
    bool Open(const std::string& path, uint32_t& deviceId) override;
    bool Play(uint32_t deviceId) override;
    bool Mode(uint32_t deviceId, uint32_t& mode) override;
    bool Close(uint32_t deviceId) override;

    // A file the device can open (paths case-insensitive), playing for `lengthMs`; any other path fails
    // to open, as a missing or damaged file does.
    void AddTrack(const std::string& path, int64_t lengthMs);
    // The tracks of open devices that are playing now, in the order they were opened.
    std::vector<std::string> Playing() const;
    int OpenDevices() const { return static_cast<int>(m_devices.size()); }
    // Every open (also one that failed), every play and every close of an open device.
    const std::vector<Call>& Calls() const { return m_calls; }
    // The paths of the Play calls, in order.
    std::vector<std::string> Plays() const;

private:
    struct Device {
        std::string path;
        int64_t length;
        int64_t startedAt = -1;  // -1 until played
    };
    SimOs& m_os;
    std::map<std::string, int64_t> m_tracks;  // by folded path
    std::map<uint32_t, Device> m_devices;
    uint32_t m_nextId = 1;
    std::vector<Call> m_calls;
};

}  // namespace kp::sim
