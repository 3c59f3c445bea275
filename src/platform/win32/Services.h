// The real implementations of the platform services, one class per concern. Backend bundles them.
#pragma once
#include <vector>

#include "platform/win32/Win32.h"

namespace kp::win32 {

class Ui : public IUi {
public:
    explicit Ui(ISystem& system) : m_system(system) {}
    int RunModal(Dialog& dialog) override;
    int RunSheet(PropertySheet& sheet) override;
    int MessageBox(const std::string& text, unsigned type) override;
    void SetMainWindow(Wnd* wnd) override { m_main = wnd; }
    Wnd* MainWindow() const override { return m_main; }
    intptr_t SendToMain(unsigned msg, uintptr_t wp, intptr_t lp) override;
    void PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp) override;
    void PostQuit(int exitCode) override;
    std::string LoadString(int id) override;
    Point GetCursorPos() override;
    void TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner) override;

private:
    HWND ModalOwner() const;
    ISystem& m_system;
    Wnd* m_main = nullptr;
};

class FileDialogs : public IFileDialogs {
public:
    bool OpenFile(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                  const std::string& initialDir, std::string& path) override;
    FileDialogResult OpenFiles(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                               std::vector<std::string>& paths) override;
    bool BrowseForFolder(Wnd& owner, std::string& folder) override;
};

class Clock : public IClock {
public:
    SysTime LocalTime() override;
    SysTime UtcTime() override;
    uint32_t TickCount() override;
    uint64_t MsSinceStart() override;
};

class Registry : public IRegistry {
public:
    RegKey Open(Hive hive, const std::string& path, Access access) override;
    RegKey Create(Hive hive, const std::string& path, Access access) override;
    void Close(RegKey key) override;
    bool QueryDword(RegKey key, const std::string& name, uint32_t& value) override;
    bool QueryString(RegKey key, const std::string& name, std::string& value, size_t bufferSize) override;
    bool SetDword(RegKey key, const std::string& name, uint32_t value) override;
    bool SetString(RegKey key, const std::string& name, const std::string& value) override;
    bool DeleteValue(RegKey key, const std::string& name) override;
};

class System : public ISystem {
public:
    bool CreateNamedMutex(const std::string& name, bool& existed) override;
    std::string CurrentDirectory() override;
    bool ComputerName(std::string& name) override;
    bool UserName(std::string& name) override;
    std::string WindowsDirectory() override;
    std::string SystemDirectory() override;
    std::string AppName() override;
    std::string ModulePath() override;
    uint32_t Version() override;

private:
    std::vector<HANDLE> m_mutexes;  // held, never closed, until the process ends
};

class Files : public IFiles {
public:
    bool Read(const std::string& path, std::string& bytes, size_t maxBytes) override;
    bool WriteReplace(const std::string& path, const std::string& bytes) override;
    bool Exists(const std::string& path) override;
    bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
};

class Power : public IPower {
public:
    bool ExitWindows(unsigned flags) override;
};

class Shell : public IShell {
public:
    bool AddTrayIcon(Wnd& owner, unsigned id, int iconResource, unsigned callbackMessage,
                     const std::string& tip) override;
    bool DeleteTrayIcon(Wnd& owner, unsigned id) override;
    bool Open(const std::string& target) override;
};

class Desktop : public IDesktop {
public:
    std::vector<WindowRef> TopLevelWindows() override;
    WindowRef DesktopWindow() override;
    bool IsWindow(WindowRef w) override;
    bool IsVisible(WindowRef w) override;
    bool IsIconic(WindowRef w) override;
    bool HasParent(WindowRef w) override;
    std::string Title(WindowRef w) override;
    void ShowMinimizedNoActivate(WindowRef w) override;
    void Restore(WindowRef w) override;
};

class InputLock : public IInputLock {
public:
    uintptr_t InstallMouseHook() override;
    void RemoveMouseHook(uintptr_t hook) override;
    uintptr_t InstallTaskKeyHook() override;
    void RemoveTaskKeyHook(uintptr_t hook) override;
    void SetScreenSaverRunning(bool running, uint32_t& previous) override;
    void ClipCursor(const Rect* rect) override;
    void ReleaseCapture() override;
};

class Sound : public ISound {
public:
    bool PlaySync(const std::string& path) override;
};

class Media : public IMedia {
public:
    bool Open(const std::string& path, uint32_t& deviceId) override;
    bool Play(uint32_t deviceId) override;
    bool Mode(uint32_t deviceId, uint32_t& mode) override;
    bool Close(uint32_t deviceId) override;
};

// The native handle behind a created Wnd; null when it has no window.
HWND HandleOf(const Wnd& wnd);

}  // namespace kp::win32
