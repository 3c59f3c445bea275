// The simulated media device over virtual time.
#include "platform/sim/SimMedia.h"

#include "platform/Gbk.h"
#include "platform/sim/SimOs.h"

namespace kp::sim {

bool SimMedia::Open(const std::string& path, uint32_t& deviceId) {
    m_calls.push_back(Call{Call::Open, path, m_os.Now()});
    auto track = m_tracks.find(MbsLower(path));
    if (path.empty() || track == m_tracks.end()) return false;
    deviceId = m_nextId++;
    m_devices[deviceId] = Device{path, track->second};
    return true;
}

bool SimMedia::Play(uint32_t deviceId) {
    auto it = m_devices.find(deviceId);
    if (it == m_devices.end()) return false;
    it->second.startedAt = m_os.Now();
    m_calls.push_back(Call{Call::Play, it->second.path, m_os.Now()});
    return true;
}

bool SimMedia::Mode(uint32_t deviceId, uint32_t& mode) {
    auto it = m_devices.find(deviceId);
    if (it == m_devices.end()) return false;
    const Device& d = it->second;
    const bool playing = d.startedAt >= 0 && m_os.Now() - d.startedAt < d.length;
    mode = playing ? MCI_MODE_PLAY : MCI_MODE_STOP;
    return true;
}

bool SimMedia::Close(uint32_t deviceId) {
    auto it = m_devices.find(deviceId);
    if (it == m_devices.end()) return false;
    m_calls.push_back(Call{Call::Close, it->second.path, m_os.Now()});
    m_devices.erase(it);
    return true;
}

void SimMedia::AddTrack(const std::string& path, int64_t lengthMs) { m_tracks[MbsLower(path)] = lengthMs; }

std::vector<std::string> SimMedia::Playing() const {
    std::vector<std::string> out;
    for (const auto& [id, d] : m_devices)
        if (d.startedAt >= 0 && m_os.Now() - d.startedAt < d.length) out.push_back(d.path);
    return out;
}

std::vector<std::string> SimMedia::Plays() const {
    std::vector<std::string> out;
    for (const Call& c : m_calls)
        if (c.what == Call::Play) out.push_back(c.path);
    return out;
}

}  // namespace kp::sim
