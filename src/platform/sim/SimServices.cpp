#include "platform/sim/SimServices.h"

#include <algorithm>

#include "platform/Gbk.h"
#include "platform/sim/SimOs.h"

namespace kp::sim {

// ---------------------------------------------------------------- registry

struct SimRegistry::Key {
    std::map<std::string, std::unique_ptr<Key>> children;  // by folded name
    std::map<std::string, Value> values;                    // by folded name
};

namespace {

// Folded path segments, without empty ones: "Software\\Kestor\\" and "software\\kestor" are one key.
std::vector<std::string> Segments(const std::string& folded) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= folded.size()) {
        size_t end = MbsFind(folded, "\\", start);
        if (end == std::string::npos) end = folded.size();
        if (end > start) out.push_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string FoldPath(const std::string& path) {
    std::string joined;
    for (const std::string& s : Segments(MbsLower(path))) {
        if (!joined.empty()) joined += '\\';
        joined += s;
    }
    return joined;
}

std::string DwordBytes(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

uint32_t DwordOf(const std::string& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool IsUnder(const std::string& path, const std::string& top) {
    return top.empty() || path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 &&
                                          path[top.size()] == '\\');
}

}  // namespace

SimRegistry::SimRegistry() {
    m_roots[0] = std::make_unique<Key>();
    m_roots[1] = std::make_unique<Key>();
    // Keys every Windows installation has.
    Make(Hive::CurrentUser, "software");
    Make(Hive::LocalMachine, "software\\microsoft\\windows\\currentversion\\run");
}

SimRegistry::~SimRegistry() = default;

SimRegistry::Key* SimRegistry::Find(Hive hive, const std::string& foldedPath) const {
    Key* key = m_roots[static_cast<int>(hive)].get();
    for (const std::string& s : Segments(foldedPath)) {
        auto it = key->children.find(s);
        if (it == key->children.end()) return nullptr;
        key = it->second.get();
    }
    return key;
}

SimRegistry::Key* SimRegistry::Make(Hive hive, const std::string& foldedPath) {
    Key* key = m_roots[static_cast<int>(hive)].get();
    for (const std::string& s : Segments(foldedPath)) {
        std::unique_ptr<Key>& child = key->children[s];
        if (!child) child = std::make_unique<Key>();
        key = child.get();
    }
    return key;
}

bool SimRegistry::Denied(Hive hive, const std::string& foldedPath, Access access) const {
    auto listed = [&](const std::vector<std::pair<Hive, std::string>>& denials) {
        for (const auto& d : denials)
            if (d.first == hive && IsUnder(foldedPath, d.second)) return true;
        return false;
    };
    return listed(m_denyAll) || (access != Access::Read && listed(m_denyWrite)) ||
           (access == Access::All && listed(m_denyFull));
}

RegKey SimRegistry::Open(Hive hive, const std::string& path, Access access) {
    const std::string folded = FoldPath(path);
    const bool write = access != Access::Read;
    if (Denied(hive, folded, access) || !Find(hive, folded)) return 0;
    const RegKey handle = m_nextHandle;
    m_nextHandle += 4;
    m_handles[handle] = Handle{hive, folded, write};
    return handle;
}

RegKey SimRegistry::Create(Hive hive, const std::string& path, Access access) {
    const std::string folded = FoldPath(path);
    if (Denied(hive, folded, access == Access::Read ? Access::Write : access)) return 0;
    Make(hive, folded);
    const RegKey handle = m_nextHandle;
    m_nextHandle += 4;
    m_handles[handle] = Handle{hive, folded, true};
    return handle;
}

void SimRegistry::Close(RegKey key) { m_handles.erase(key); }

SimRegistry::Key* SimRegistry::KeyOf(RegKey key, bool forWrite) {
    auto it = m_handles.find(key);
    if (it == m_handles.end() || (forWrite && !it->second.write)) return nullptr;
    return Find(it->second.hive, it->second.path);  // null when the key was deleted meanwhile
}

bool SimRegistry::QueryDword(RegKey key, const std::string& name, uint32_t& value) {
    Key* k = KeyOf(key, false);
    if (!k) return false;
    auto it = k->values.find(MbsLower(name));
    if (it == k->values.end() || it->second.type != REG_DWORD || it->second.bytes.size() != 4) return false;
    value = DwordOf(it->second.bytes);
    return true;
}

bool SimRegistry::QueryString(RegKey key, const std::string& name, std::string& value, size_t bufferSize) {
    Key* k = KeyOf(key, false);
    if (!k) return false;
    auto it = k->values.find(MbsLower(name));
    if (it == k->values.end()) return false;
    const Value& v = it->second;
    if (v.type != REG_SZ) return false;  // an expandable string is not taken for one
    const std::string text = v.bytes.substr(0, v.bytes.find('\0'));
    // The data as stored must fit, and so must the text with the terminator the caller relies on.
    if (v.bytes.size() > bufferSize || text.size() + 1 > bufferSize) return false;
    value = text;
    return true;
}

bool SimRegistry::SetDword(RegKey key, const std::string& name, uint32_t value) {
    Key* k = KeyOf(key, true);
    if (!k) return false;
    k->values[MbsLower(name)] = Value{REG_DWORD, DwordBytes(value)};
    return true;
}

bool SimRegistry::SetString(RegKey key, const std::string& name, const std::string& value) {
    Key* k = KeyOf(key, true);
    if (!k) return false;
    k->values[MbsLower(name)] = Value{REG_SZ, value};
    return true;
}

bool SimRegistry::DeleteValue(RegKey key, const std::string& name) {
    Key* k = KeyOf(key, true);
    return k && k->values.erase(MbsLower(name)) > 0;
}

void SimRegistry::SetDword(Hive hive, const std::string& path, const std::string& name, uint32_t value) {
    SetRaw(hive, path, name, REG_DWORD, DwordBytes(value));
}

void SimRegistry::SetString(Hive hive, const std::string& path, const std::string& name,
                            const std::string& value) {
    SetRaw(hive, path, name, REG_SZ, value);
}

void SimRegistry::SetRaw(Hive hive, const std::string& path, const std::string& name, uint32_t type,
                         const std::string& bytes) {
    Make(hive, FoldPath(path))->values[MbsLower(name)] = Value{type, bytes};
}

std::optional<SimRegistry::Value> SimRegistry::GetRaw(Hive hive, const std::string& path,
                                                      const std::string& name) const {
    const Key* k = Find(hive, FoldPath(path));
    if (!k) return std::nullopt;
    auto it = k->values.find(MbsLower(name));
    if (it == k->values.end()) return std::nullopt;
    return it->second;
}

std::optional<uint32_t> SimRegistry::GetDword(Hive hive, const std::string& path, const std::string& name) const {
    const auto v = GetRaw(hive, path, name);
    if (!v || v->type != REG_DWORD || v->bytes.size() != 4) return std::nullopt;
    return DwordOf(v->bytes);
}

std::optional<std::string> SimRegistry::GetString(Hive hive, const std::string& path,
                                                  const std::string& name) const {
    const auto v = GetRaw(hive, path, name);
    if (!v || v->type != REG_SZ) return std::nullopt;
    return v->bytes.substr(0, v->bytes.find('\0'));
}

bool SimRegistry::HasKey(Hive hive, const std::string& path) const { return Find(hive, FoldPath(path)); }

void SimRegistry::DeleteKey(Hive hive, const std::string& path) {
    std::vector<std::string> segments = Segments(FoldPath(path));
    if (segments.empty()) return;
    const std::string last = segments.back();
    segments.pop_back();
    Key* parent = m_roots[static_cast<int>(hive)].get();
    for (const std::string& s : segments) {
        auto it = parent->children.find(s);
        if (it == parent->children.end()) return;
        parent = it->second.get();
    }
    parent->children.erase(last);
}

void SimRegistry::DenyWrite(Hive hive, const std::string& path) { m_denyWrite.emplace_back(hive, FoldPath(path)); }

void SimRegistry::DenyAll(Hive hive, const std::string& path) { m_denyAll.emplace_back(hive, FoldPath(path)); }

void SimRegistry::DenyFull(Hive hive, const std::string& path) { m_denyFull.emplace_back(hive, FoldPath(path)); }

// ---------------------------------------------------------------- files

bool SimFiles::Read(const std::string& path, std::string& bytes, size_t maxBytes) {
    const std::string key = MbsLower(path);
    auto it = m_files.find(key);
    if (it == m_files.end() || m_failReads.count(key)) return false;
    bytes = it->second.bytes.substr(0, maxBytes);
    return true;
}

bool SimFiles::TakeStep() {
    ++m_stepsTaken;
    if (m_stepsTaken != m_failAtStep) return true;
    m_failAtStep = 0;
    return false;
}

bool SimFiles::WriteReplace(const std::string& path, const std::string& bytes) {
    const std::string key = MbsLower(path);
    const size_t slash = key.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : key.substr(0, slash);
    if (!TakeStep() || m_readOnlyFolders.count(folder)) return false;
    for (int step = 0; step < 4; ++step)  // write, flush, close, rename
        if (!TakeStep()) return false;
    m_files[key] = File{path, bytes};
    m_writes.push_back(path);
    return true;
}

void SimFiles::SetReadOnlyFolder(const std::string& folder, bool readOnly) {
    if (readOnly)
        m_readOnlyFolders.insert(MbsLower(folder));
    else
        m_readOnlyFolders.erase(MbsLower(folder));
}

bool SimFiles::Exists(const std::string& path) { return Has(path); }

void SimFiles::Put(const std::string& path, const std::string& bytes) { m_files[MbsLower(path)] = File{path, bytes}; }

std::optional<std::string> SimFiles::Get(const std::string& path) const {
    auto it = m_files.find(MbsLower(path));
    if (it == m_files.end()) return std::nullopt;
    return it->second.bytes;
}

bool SimFiles::Has(const std::string& path) const { return m_files.count(MbsLower(path)) != 0; }

void SimFiles::Remove(const std::string& path) { m_files.erase(MbsLower(path)); }

void SimFiles::FailReads(const std::string& path) { m_failReads.insert(MbsLower(path)); }

// ---------------------------------------------------------------- system, power, shell

bool SimSystem::CreateNamedMutex(const std::string& name, bool& existed) {
    existed = !m_mutexes.insert(name).second;
    return true;
}

bool SimSystem::ComputerName(std::string& name) {
    if (!m_computerName) return false;
    name = *m_computerName;
    return true;
}

bool SimSystem::UserName(std::string& name) {
    if (!m_userName) return false;
    name = *m_userName;
    return true;
}

bool SimPower::ExitWindows(unsigned flags) {
    m_calls.push_back(flags);
    return true;
}

bool SimShell::AddTrayIcon(Wnd& owner, unsigned id, int iconResource, unsigned callbackMessage,
                           const std::string& tip) {
    for (const TrayIcon& icon : m_icons)
        if (icon.owner == &owner && icon.id == id) return false;
    m_icons.push_back(TrayIcon{id, &owner, iconResource, callbackMessage, tip});
    return true;
}

bool SimShell::DeleteTrayIcon(Wnd& owner, unsigned id) {
    auto it = std::find_if(m_icons.begin(), m_icons.end(),
                           [&](const TrayIcon& icon) { return icon.owner == &owner && icon.id == id; });
    if (it == m_icons.end()) return false;
    m_icons.erase(it);
    return true;
}

bool SimShell::Open(const std::string& target) {
    m_opened.push_back(target);
    return true;
}

// ---------------------------------------------------------------- desktop

std::vector<WindowRef> SimDesktop::TopLevelWindows() {
    std::vector<WindowRef> out;
    for (WindowRef w : m_zOrder)
        if (IsWindow(w)) out.push_back(w);
    return out;
}

bool SimDesktop::IsWindow(WindowRef w) {
    auto it = m_fakes.find(w);
    if (it != m_fakes.end()) return it->second.alive;
    if (w == kDesktopRef) return true;
    for (const auto& win : m_os.m_windows)
        if (win->Ref() == w) return !win->IsDestroyed();
    return false;
}

bool SimDesktop::IsVisible(WindowRef w) {
    auto it = m_fakes.find(w);
    if (it != m_fakes.end()) return it->second.alive && it->second.visible;
    if (w == kDesktopRef) return true;
    for (const auto& win : m_os.m_windows)
        if (win->Ref() == w) return !win->IsDestroyed() && win->IsVisible();
    return false;
}

bool SimDesktop::IsIconic(WindowRef w) {
    auto it = m_fakes.find(w);
    return it != m_fakes.end() && it->second.alive && it->second.minimized;
}

bool SimDesktop::HasParent(WindowRef w) {
    auto it = m_fakes.find(w);
    return it != m_fakes.end() && it->second.hasParent;
}

std::string SimDesktop::Title(WindowRef w) {
    auto it = m_fakes.find(w);
    if (it != m_fakes.end()) return it->second.alive ? it->second.title : std::string();
    for (const auto& win : m_os.m_windows)
        if (win->Ref() == w && !win->IsDestroyed()) return win->Caption();
    return std::string();
}

void SimDesktop::ShowMinimizedNoActivate(WindowRef w) {
    m_calls.push_back(Call{Call::Minimize, w});
    auto it = m_fakes.find(w);
    if (it != m_fakes.end() && it->second.alive) {
        it->second.minimized = true;
        it->second.visible = true;
    }
}

void SimDesktop::Restore(WindowRef w) {
    m_calls.push_back(Call{Call::Restore, w});
    auto it = m_fakes.find(w);
    if (it != m_fakes.end() && it->second.alive) {
        it->second.minimized = false;
        it->second.visible = true;
    }
}

WindowRef SimDesktop::AddDesktopWindow(const std::string& title, bool visible, bool minimized, bool hasParent) {
    const WindowRef w = m_nextRef;
    m_nextRef += 4;
    m_fakes[w] = Fake{title, visible, minimized, hasParent, true};
    m_zOrder.push_back(w);
    return w;
}

void SimDesktop::CloseDesktopWindow(WindowRef w) {
    auto it = m_fakes.find(w);
    if (it != m_fakes.end()) it->second.alive = false;
}

bool SimDesktop::IsMinimized(WindowRef w) const {
    auto it = m_fakes.find(w);
    return it != m_fakes.end() && it->second.minimized;
}

void SimDesktop::BringToFront(WindowRef w) {
    Forget(w);
    m_zOrder.insert(m_zOrder.begin(), w);
}

void SimDesktop::Forget(WindowRef w) { m_zOrder.erase(std::remove(m_zOrder.begin(), m_zOrder.end(), w), m_zOrder.end()); }

// ---------------------------------------------------------------- input lock, sound

uintptr_t SimInputLock::Install(uintptr_t& slot, bool refuse, const char* what) {
    m_log.push_back(std::string("Install") + what);
    if (refuse) return 0;
    slot = m_nextHook;
    m_nextHook += 4;
    return slot;
}

void SimInputLock::Remove(uintptr_t& slot, uintptr_t hook, const char* what) {
    m_log.push_back(std::string("Remove") + what);
    if (hook == 0 || hook != slot) {
        ++m_badRemovals;
        return;
    }
    slot = 0;
}

uintptr_t SimInputLock::InstallMouseHook() { return Install(m_mouseHook, m_refuseMouse, "MouseHook"); }

void SimInputLock::RemoveMouseHook(uintptr_t hook) { Remove(m_mouseHook, hook, "MouseHook"); }

uintptr_t SimInputLock::InstallTaskKeyHook() { return Install(m_keyHook, false, "TaskKeyHook"); }

void SimInputLock::RemoveTaskKeyHook(uintptr_t hook) { Remove(m_keyHook, hook, "TaskKeyHook"); }

void SimInputLock::SetScreenSaverRunning(bool running, uint32_t& previous) {
    m_log.push_back(running ? "ScreenSaver 1" : "ScreenSaver 0");
    previous = m_screenSaver ? 1 : 0;
    m_screenSaver = running;
}

void SimInputLock::ClipCursor(const Rect* rect) {
    m_log.push_back(rect ? "Clip" : "Unclip");
    if (rect)
        m_clip = *rect;
    else
        m_clip.reset();
}

bool SimSound::PlaySync(const std::string& path) {
    m_plays.push_back(Played{path, m_os.Now()});
    return true;
}

}  // namespace kp::sim
