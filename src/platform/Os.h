// The platform services the system uses, split by concern. A backend (real or simulated) provides one
// object per concern; the portable code reaches them through Os().
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "platform/Types.h"

namespace kp {

class Dialog;
class PropertySheet;
class Wnd;

// How an open-file dialog ended.
enum class FileDialogResult { Ok, Cancelled, TooManyFiles };

// The user interface: modal runs, message boxes, the main window, resources.
class IUi {
public:
    virtual ~IUi() = default;
    virtual int RunModal(Dialog& dialog) = 0;
    virtual int RunSheet(PropertySheet& sheet) = 0;
    // A message box captioned with the application name; returns IDOK, IDYES or IDNO.
    virtual int MessageBox(const std::string& text, unsigned type) = 0;
    virtual void SetMainWindow(Wnd* wnd) = 0;
    virtual Wnd* MainWindow() const = 0;
    // Sends a private message to the main window and returns its result (0 without a main window).
    virtual intptr_t SendToMain(unsigned msg, uintptr_t wp, intptr_t lp) = 0;
    // Posts a message to a window; it is handled later in the message loop.
    virtual void PostMessage(Wnd& wnd, unsigned msg, uintptr_t wp, intptr_t lp) = 0;
    // Ends the outermost modal run; the process then ends with this code.
    virtual void PostQuit(int exitCode) = 0;
    virtual std::string LoadString(int id) = 0;
    virtual Point GetCursorPos() = 0;
    // Shows sub-menu `sub` of menu resource `menuId` at `at`; the chosen item reaches owner.OnCommand.
    // The caller brings the owner to the foreground first, or the menu stays open when the user clicks
    // elsewhere.
    virtual void TrackPopupMenu(int menuId, int sub, Point at, Wnd& owner) = 0;
};

// Clocks. Local time, UTC and the tick count are independent readings.
class IClock {
public:
    virtual ~IClock() = default;
    virtual SysTime LocalTime() = 0;
    virtual SysTime UtcTime() = 0;
    virtual uint32_t TickCount() = 0;
    // Milliseconds since Windows started, without the 32-bit wrap where the system keeps a 64-bit count
    // (Vista and later); elsewhere the tick count, which wraps after 49.7 days.
    virtual uint64_t MsSinceStart() = 0;
};

enum class Hive { CurrentUser, LocalMachine };
enum class Access { Read, Write, All };
using RegKey = uintptr_t;  // 0: no key

// The registry. Strings are GBK.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual RegKey Open(Hive hive, const std::string& path, Access access) = 0;  // 0 when it fails
    // Opens an existing key too, with the rights asked for (Write also reads); 0 on failure.
    virtual RegKey Create(Hive hive, const std::string& path, Access access) = 0;
    virtual void Close(RegKey key) = 0;
    // A DWORD value of 4 bytes; false when missing or of another type or size.
    virtual bool QueryDword(RegKey key, const std::string& name, uint32_t& value) = 0;
    // A string value read into a buffer of `bufferSize` bytes (terminator included); false when missing,
    // not a string, or too long for the buffer.
    virtual bool QueryString(RegKey key, const std::string& name, std::string& value, size_t bufferSize) = 0;
    virtual bool SetDword(RegKey key, const std::string& name, uint32_t value) = 0;
    virtual bool SetString(RegKey key, const std::string& name, const std::string& value) = 0;
    virtual bool DeleteValue(RegKey key, const std::string& name) = 0;
};

// The process and its surroundings.
class ISystem {
public:
    virtual ~ISystem() = default;
    // Creates (or opens) a named mutex held until the process ends; `existed` tells whether it was there.
    virtual bool CreateNamedMutex(const std::string& name, bool& existed) = 0;
    virtual std::string CurrentDirectory() = 0;
    virtual bool ComputerName(std::string& name) = 0;
    virtual bool UserName(std::string& name) = 0;
    virtual std::string WindowsDirectory() = 0;
    // The system folder (System32 on NT), without a trailing backslash.
    virtual std::string SystemDirectory() = 0;
    // The program file's base name without extension ("Kestor" for Kestor.exe).
    virtual std::string AppName() = 0;
    // The program file's full path.
    virtual std::string ModulePath() = 0;
    // The packed version value of GetVersion: major in bits 0-7, minor in 8-15, build in 16-30, and
    // bit 31 set on the Windows 95 line.
    virtual uint32_t Version() = 0;
};

// One entry of a folder listing.
struct FolderEntry {
    std::string name;  // without the folder
    bool folder = false;
    bool reparsePoint = false;  // a link or junction: a folder seen through it may lie anywhere
};

// Files and folders. Paths are GBK.
class IFiles {
public:
    virtual ~IFiles() = default;
    // Reads at most `maxBytes` bytes of a file; false when it cannot be opened.
    virtual bool Read(const std::string& path, std::string& bytes, size_t maxBytes) = 0;
    // Writes a whole file through a temporary file in the same folder that then replaces the old file,
    // so a failure never leaves a half-written file behind. false when anything failed.
    virtual bool WriteReplace(const std::string& path, const std::string& bytes) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Every entry of a folder but "." and "..", hidden and system ones included, in the order the file
    // system gives them. false when the folder cannot be listed.
    virtual bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
};

// Ending the Windows session.
class IPower {
public:
    virtual ~IPower() = default;
    virtual bool ExitWindows(unsigned flags) = 0;
};

// The shell: the notification-area icon and opening targets.
class IShell {
public:
    virtual ~IShell() = default;
    virtual bool AddTrayIcon(Wnd& owner, unsigned id, int iconResource, unsigned callbackMessage,
                             const std::string& tip) = 0;
    virtual bool DeleteTrayIcon(Wnd& owner, unsigned id) = 0;
    virtual bool Open(const std::string& target) = 0;
};

// The top-level windows of the desktop (all processes), for clearing and restoring the desktop.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // Top-level windows in z-order, front to back.
    virtual std::vector<WindowRef> TopLevelWindows() = 0;
    virtual WindowRef DesktopWindow() = 0;
    virtual bool IsWindow(WindowRef w) = 0;
    virtual bool IsVisible(WindowRef w) = 0;
    virtual bool IsIconic(WindowRef w) = 0;
    virtual bool HasParent(WindowRef w) = 0;
    virtual std::string Title(WindowRef w) = 0;
    virtual void ShowMinimizedNoActivate(WindowRef w) = 0;
    virtual void Restore(WindowRef w) = 0;  // restore and repaint
};

// Holding the user's input inside one window.
class IInputLock {
public:
    virtual ~IInputLock() = default;
    // A hook that swallows every mouse message of the desktop; 0 when the system refuses it.
    virtual uintptr_t InstallMouseHook() = 0;
    virtual void RemoveMouseHook(uintptr_t hook) = 0;
    // A hook that swallows the task-switching keys (Alt+Tab, Alt+Esc, Ctrl+Esc, the Windows keys) and lets
    // every other key through; 0 when refused.
    virtual uintptr_t InstallTaskKeyHook() = 0;
    virtual void RemoveTaskKeyHook(uintptr_t hook) = 0;
    // The screen-saver-running flag; `previous` receives the earlier state.
    virtual void SetScreenSaverRunning(bool running, uint32_t& previous) = 0;
    // Confines the cursor to a rectangle of the screen; null frees it.
    virtual void ClipCursor(const Rect* rect) = 0;
    virtual void ReleaseCapture() = 0;
};

// Sounds.
class ISound {
public:
    virtual ~ISound() = default;
    // Plays a wave file and returns when it has finished.
    virtual bool PlaySync(const std::string& path) = 0;
};

// One process of a snapshot, as the system reports it. The executable text is the file name alone on the
// NT family and may be a full path elsewhere.
struct ProcessEntry {
    uint32_t id = 0;
    uint32_t parentId = 0;
    int threads = 0;
    int usage = 0;
    std::string exeFile;  // GBK
};

// Why a snapshot holds no processes.
enum class SnapshotStatus {
    Ok,
    Failed,   // the snapshot could not be taken
    NoEntry,  // it was taken, but its first entry could not be read
};

using ProcessHandle = uintptr_t;  // 0: none

// The running processes: snapshots, ending one, starting a program.
class IProcesses {
public:
    virtual ~IProcesses() = default;
    // Every process, in the order the system lists them; `entries` is empty unless the status is Ok.
    virtual SnapshotStatus Snapshot(std::vector<ProcessEntry>& entries) = 0;
    // The number of processes of a fresh snapshot, without their texts; 0 unless the status is Ok.
    virtual SnapshotStatus Count(int& count) = 0;
    // Opens a process with the right to end it and nothing more; 0 when that is refused or there is no
    // such process. While the handle is open the identifier is not given to another process.
    virtual ProcessHandle OpenToEnd(uint32_t id) = 0;
    virtual bool Terminate(ProcessHandle process, unsigned exitCode) = 0;
    virtual void Close(ProcessHandle process) = 0;
    // Starts the program of this full path, shown without being activated, in its own folder. Returns
    // what WinExec returns: above 31 when it started, else 0 (out of resources), 2 (file not found),
    // 3 (path not found), 11 (bad format) or another system error code below 32.
    virtual unsigned Start(const std::string& path) = 0;
};

// The common file dialogs. Each runs modally over `owner`; the timers of every window keep firing
// meanwhile, and the process's current directory is left where it was. `filter` pairs descriptions and
// patterns with "|" and ends at the first "||" ("所有文件 (*.exe)|*.exe||"); `defaultExt` is added to a
// name typed without one.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // One existing file: read-only files hidden, the path must exist; an empty `initialDir` lets the
    // system choose. true on OK, with the chosen file's full path.
    virtual bool OpenFile(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                          const std::string& initialDir, std::string& path) = 0;
    // Several files allowed. On Ok, `paths` holds the full path of each chosen file in the order the
    // dialog gives them; TooManyFiles means the names chosen did not fit what the dialog can return.
    virtual FileDialogResult OpenFiles(Wnd& owner, const std::string& filter, const std::string& defaultExt,
                                       std::vector<std::string>& paths) = 0;
    // The shell's folder browser (no root, no title). false when it was cancelled or what was chosen is
    // not a folder of the file system.
    virtual bool BrowseForFolder(Wnd& owner, std::string& folder) = 0;
};

// The media control interface: one device per open file, chosen by the file's extension.
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;

class IMedia {
public:
    virtual ~IMedia() = default;
    // Opens a file shareably and waits until it is open; false when no device takes it.
    virtual bool Open(const std::string& path, uint32_t& deviceId) = 0;
    // Plays from the start and returns at once.
    virtual bool Play(uint32_t deviceId) = 0;
    // The device's mode (MCI_MODE_PLAY while it plays); false for a device that is not open.
    virtual bool Mode(uint32_t deviceId, uint32_t& mode) = 0;
    virtual bool Close(uint32_t deviceId) = 0;
};

struct Os {
    IUi* ui = nullptr;
    IClock* clock = nullptr;
    IRegistry* registry = nullptr;
    ISystem* system = nullptr;
    IFiles* files = nullptr;
    IPower* power = nullptr;
    IShell* shell = nullptr;
    IDesktop* desktop = nullptr;
    IInputLock* input = nullptr;
    ISound* sound = nullptr;
    IProcesses* processes = nullptr;
    IFileDialogs* fileDialogs = nullptr;
    IMedia* media = nullptr;
};

// The services in force; a backend installs them once before the application starts.
Os& TheOs();
void InstallOs(const Os& os);

}  // namespace kp
