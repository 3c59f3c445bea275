#include "platform/win32/Backend.h"

namespace kp::win32 {

Backend::Backend() {
    // The window classes of the common controls the dialogs use: list view, tab, up-down, date-time.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    InitCommonControlsEx(&controls);

    m_os.ui = &m_ui;
    m_os.clock = &m_clock;
    m_os.registry = &m_registry;
    m_os.system = &m_system;
    m_os.files = &m_files;
    m_os.power = &m_power;
    m_os.shell = &m_shell;
    m_os.desktop = &m_desktop;
    m_os.input = &m_input;
    m_os.sound = &m_sound;
    m_os.processes = &m_processes;
    m_os.fileDialogs = &m_fileDialogs;
    m_os.media = &m_media;
}

}  // namespace kp::win32
