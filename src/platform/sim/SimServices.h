// The simulated system services: registry, files, the process's surroundings, power, shell, desktop,
// input lock and sound. Each implements its platform interface and records what the program asked of it
// for tests to check; each has setters for the situations a test plays.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include "platform/Os.h"

namespace kp::sim {

class SimOs;

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

// Keys and value names are case-insensitive (ASCII letters), as on Windows. Denials apply to the key and
// everything below it, also to keys created later. At the start the keys HKCU\Software and
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run exist, as on every installation.
class SimRegistry final : public IRegistry {
public:
    struct Value {
        uint32_t type = REG_NONE;
        std::string bytes;
    };

    SimRegistry();
    ~SimRegistry() override;

    RegKey Open(Hive hive, const std::string& path, Access access) override;
    RegKey Create(Hive hive, const std::string& path, Access access) override;
    void Close(RegKey key) override;
    bool QueryDword(RegKey key, const std::string& name, uint32_t& value) override;
    bool QueryString(RegKey key, const std::string& name, std::string& value, size_t bufferSize) override;
    bool SetDword(RegKey key, const std::string& name, uint32_t value) override;
    // Stores the bytes without a terminating zero.
    bool SetString(RegKey key, const std::string& name, const std::string& value) override;
    bool DeleteValue(RegKey key, const std::string& name) override;

    // Test side. The setters create the key; they ignore denials.
    void SetDword(Hive hive, const std::string& path, const std::string& name, uint32_t value);
    void SetString(Hive hive, const std::string& path, const std::string& name, const std::string& value);
    void SetRaw(Hive hive, const std::string& path, const std::string& name, uint32_t type,
                const std::string& bytes);
    // A REG_DWORD of exactly 4 bytes.
    std::optional<uint32_t> GetDword(Hive hive, const std::string& path, const std::string& name) const;
    // A REG_SZ, up to its first zero byte.
    std::optional<std::string> GetString(Hive hive, const std::string& path, const std::string& name) const;
    std::optional<Value> GetRaw(Hive hive, const std::string& path, const std::string& name) const;
    bool HasKey(Hive hive, const std::string& path) const;
    void DeleteKey(Hive hive, const std::string& path);  // with everything below it
    // Opening for Write or All and creating fail; reading works.
    void DenyWrite(Hive hive, const std::string& path);
    // Every open and create fails.
    void DenyAll(Hive hive, const std::string& path);
    // Opening or creating for All fails; reading and writing work.
    void DenyFull(Hive hive, const std::string& path);
    // Keys the program opened and has not closed.
    int OpenHandles() const { return static_cast<int>(m_handles.size()); }

private:
    struct Key;
    struct Handle {
        Hive hive;
        std::string path;  // folded
        bool write;
    };
    Key* Find(Hive hive, const std::string& foldedPath) const;
    Key* Make(Hive hive, const std::string& foldedPath);
    Key* KeyOf(RegKey key, bool forWrite);
    bool Denied(Hive hive, const std::string& foldedPath, Access access) const;

    std::unique_ptr<Key> m_roots[2];
    std::map<RegKey, Handle> m_handles;
    RegKey m_nextHandle = 0x100;
    std::vector<std::pair<Hive, std::string>> m_denyWrite, m_denyAll, m_denyFull;
};

// Files by path; paths are case-insensitive (ASCII letters), as on Windows.
class SimFiles final : public IFiles {
public:
    bool Read(const std::string& path, std::string& bytes, size_t maxBytes) override;
    bool WriteReplace(const std::string& path, const std::string& bytes) override;
    bool Exists(const std::string& path) override;
    bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;

    void Put(const std::string& path, const std::string& bytes);
    std::optional<std::string> Get(const std::string& path) const;
    bool Has(const std::string& path) const;
    void Remove(const std::string& path);
    // Read of this path fails from now on (the file exists but cannot be opened).
    void FailReads(const std::string& path);
    // Paths of the successful WriteReplace calls, in order.
    const std::vector<std::string>& Writes() const { return m_writes; }
    // Folders. Every folder on the way to a file exists with it; AddFolder makes one that may stay empty.
    // A folder link (a junction) lists as a reparse-point folder in its parent and, listed itself, shows
    // the entries of its target. Listings come in the order of the names, case folded.
    void AddFolder(const std::string& path);
    void AddFolderLink(const std::string& path, const std::string& target);

    // Faults of the disk. A WriteReplace takes the five steps of the real one: create the temporary file
    // in the target's folder, write the bytes, flush, close, and rename it over the target. A failing step
    // removes the temporary file and leaves the target as it was.
    // The nth step from now (1: the next one) fails; 0 cancels.
    void FailNthStep(int n) { m_failAtStep = n > 0 ? m_stepsTaken + n : 0; }
    // Steps taken by every WriteReplace so far.
    int StepsTaken() const { return m_stepsTaken; }
    // Files cannot be created in this folder (a read-only folder), or can again.
    void SetReadOnlyFolder(const std::string& folder, bool readOnly = true);

private:
    struct File {
        std::string path;
        std::string bytes;
    };
    // Counts a step; false when it is the one set to fail.
    bool TakeStep();
    std::string Resolve(std::string foldedFolder) const;
    std::map<std::string, File> m_files;  // by folded path
    std::set<std::string> m_failReads, m_readOnlyFolders;
    std::vector<std::string> m_writes;
    int m_stepsTaken = 0;
    int m_failAtStep = 0;
    std::map<std::string, std::string> m_folders;  // folded path -> path as given
    std::map<std::string, std::string> m_links;    // folded path -> target
};

class SimSystem final : public ISystem {
public:
    bool CreateNamedMutex(const std::string& name, bool& existed) override;
    std::string CurrentDirectory() override { return m_currentDirectory; }
    bool ComputerName(std::string& name) override;
    bool UserName(std::string& name) override;
    std::string WindowsDirectory() override { return m_windowsDirectory; }
    std::string SystemDirectory() override { return m_windowsDirectory + "\\system32"; }
    std::string AppName() override { return "Kestor"; }
    std::string ModulePath() override { return m_currentDirectory + "\\Kestor.exe"; }
    uint32_t Version() override { return m_version; }

    // nullopt makes the call fail.
    void SetUserName(std::optional<std::string> name) { m_userName = std::move(name); }
    void SetComputerName(std::optional<std::string> name) { m_computerName = std::move(name); }
    void SetWindowsDirectory(std::string dir) { m_windowsDirectory = std::move(dir); }
    // Another process holds this mutex (a second copy of the program is starting).
    void MarkMutexExisting(const std::string& name) { m_mutexes.insert(name); }
    // What GetVersion gives; Windows XP SP3 (5.1, build 2600) unless set.
    void SetVersion(uint32_t version) { m_version = version; }

private:
    std::optional<std::string> m_userName = std::string("user");
    std::optional<std::string> m_computerName = std::string("KESTOR-PC");
    std::string m_currentDirectory = "C:\\Kestor";
    std::string m_windowsDirectory = "C:\\WINDOWS";
    std::set<std::string> m_mutexes;
    uint32_t m_version = 0x0A280105;
};

class SimPower final : public IPower {
public:
    bool ExitWindows(unsigned flags) override;
    const std::vector<unsigned>& Calls() const { return m_calls; }

private:
    std::vector<unsigned> m_calls;
};

class SimShell final : public IShell {
public:
    struct TrayIcon {
        unsigned id = 0;
        Wnd* owner = nullptr;
        int icon = 0;
        unsigned callbackMessage = 0;
        std::string tip;
    };

    bool AddTrayIcon(Wnd& owner, unsigned id, int iconResource, unsigned callbackMessage,
                     const std::string& tip) override;
    bool DeleteTrayIcon(Wnd& owner, unsigned id) override;
    bool Open(const std::string& target) override;

    const std::vector<TrayIcon>& TrayIcons() const { return m_icons; }
    const std::vector<std::string>& Opened() const { return m_opened; }

private:
    std::vector<TrayIcon> m_icons;
    std::vector<std::string> m_opened;
};

// The desktop's top-level windows: fake windows of other programs, which a test adds, and the sim's own
// sheet and modal dialogs. The front of the z-order is the window most recently shown or brought up.
class SimDesktop final : public IDesktop {
public:
    struct Call {
        enum What { Minimize, Restore } what;
        WindowRef window;
    };

    explicit SimDesktop(SimOs& os) : m_os(os) {}
    std::vector<WindowRef> TopLevelWindows() override;
    WindowRef DesktopWindow() override { return kDesktopRef; }
    bool IsWindow(WindowRef w) override;
    bool IsVisible(WindowRef w) override;
    bool IsIconic(WindowRef w) override;
    bool HasParent(WindowRef w) override;
    std::string Title(WindowRef w) override;
    void ShowMinimizedNoActivate(WindowRef w) override;
    void Restore(WindowRef w) override;

    // A window of another program, placed behind the windows there are.
    WindowRef AddDesktopWindow(const std::string& title, bool visible = true, bool minimized = false,
                               bool hasParent = false);
    void CloseDesktopWindow(WindowRef w);
    bool IsMinimized(WindowRef w) const;
    const std::vector<Call>& Calls() const { return m_calls; }

    static constexpr WindowRef kDesktopRef = 0x10010;

private:
    friend class SimOs;
    friend class SimWindow;
    struct Fake {
        std::string title;
        bool visible, minimized, hasParent, alive;
    };
    // The sim's own windows come to the front.
    void BringToFront(WindowRef w);
    void Forget(WindowRef w);

    SimOs& m_os;
    std::map<WindowRef, Fake> m_fakes;
    std::vector<WindowRef> m_zOrder;  // front first; fakes and the sim's own top-level windows
    WindowRef m_nextRef = 0x20000;
    std::vector<Call> m_calls;
};

class SimInputLock final : public IInputLock {
public:
    uintptr_t InstallMouseHook() override;
    void RemoveMouseHook(uintptr_t hook) override;
    uintptr_t InstallTaskKeyHook() override;
    void RemoveTaskKeyHook(uintptr_t hook) override;
    void SetScreenSaverRunning(bool running, uint32_t& previous) override;
    void ClipCursor(const Rect* rect) override;
    void ReleaseCapture() override { ++m_releaseCaptures; m_log.push_back("ReleaseCapture"); }

    void RefuseMouseHook(bool refuse) { m_refuseMouse = refuse; }
    // The hooks in place; 0 for none.
    uintptr_t MouseHook() const { return m_mouseHook; }
    uintptr_t TaskKeyHook() const { return m_keyHook; }
    bool ScreenSaverRunning() const { return m_screenSaver; }
    const std::optional<Rect>& Clip() const { return m_clip; }
    int ReleaseCaptures() const { return m_releaseCaptures; }
    // Removals of a hook that was not in place (a second removal, a wrong handle).
    int BadRemovals() const { return m_badRemovals; }
    // Every call in order: "InstallMouseHook", "RemoveMouseHook", "InstallTaskKeyHook",
    // "RemoveTaskKeyHook", "ScreenSaver 1", "ScreenSaver 0", "Clip", "Unclip", "ReleaseCapture".
    const std::vector<std::string>& Log() const { return m_log; }

private:
    uintptr_t Install(uintptr_t& slot, bool refuse, const char* what);
    void Remove(uintptr_t& slot, uintptr_t hook, const char* what);

    bool m_refuseMouse = false;
    uintptr_t m_mouseHook = 0, m_keyHook = 0, m_nextHook = 0x7000;
    bool m_screenSaver = false;
    std::optional<Rect> m_clip;
    int m_releaseCaptures = 0, m_badRemovals = 0;
    std::vector<std::string> m_log;
};

// PlaySync returns at once; no virtual time passes while the sound "plays".
class SimSound final : public ISound {
public:
    struct Played {
        std::string path;
        int64_t at;  // virtual ms
    };
    explicit SimSound(SimOs& os) : m_os(os) {}
    bool PlaySync(const std::string& path) override;
    const std::vector<Played>& Plays() const { return m_plays; }

private:
    SimOs& m_os;
    std::vector<Played> m_plays;
};

}  // namespace kp::sim
