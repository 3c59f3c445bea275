// Entry of Kestor.exe: installs the real platform and runs the program; the process ends with the code
// the program posted with its quit message.
#include "platform/win32/Backend.h"

#include "app/TovrelApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static kp::win32::Backend backend;
    kp::InstallOs(backend.Services());
    const int result = kestor::RunKestor();

    // The modal loop that saw the quit message has put it back for us.
    MSG quit;
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(quit.wParam);
    return result;
}
