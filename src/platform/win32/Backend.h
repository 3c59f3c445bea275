// The real platform: every service of Os() on Win32. Create one (it registers the common controls),
// install it, then run the program.
#pragma once
#include "platform/win32/OpenFileDialog.h"
#include "platform/win32/Processes.h"
#include "platform/win32/Services.h"

namespace kp::win32 {

class Backend {
public:
    Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;
    const Os& Services() const { return m_os; }

private:
    System m_system;
    Ui m_ui{m_system};
    Clock m_clock;
    Registry m_registry;
    Files m_files;
    Power m_power;
    Shell m_shell;
    Desktop m_desktop;
    InputLock m_input;
    Sound m_sound;
    Processes m_processes;
    FileDialogs m_fileDialogs;
    Media m_media;
    Os m_os;
};

}  // namespace kp::win32
