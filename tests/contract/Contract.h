// The platform contract: the checks are written once (ContractTest.cpp) and run over each backend; a
// backend's file says how it is made and how a test plants what the program never writes itself.
#pragma once
#include <memory>
#include <string>
#include "platform/Os.h"
#include "platform/Wnd.h"

namespace contract {

void Check(bool ok, const char* what, int line);
#define CHECK(cond) contract::Check((cond), #cond, __LINE__)

inline const char* const kKey = "Software\\KestorContract";  // under HKEY_CURRENT_USER
enum class Odd { Binary, ShortDword, ExpandString };

class Platform {
public:
    virtual ~Platform() = default;
    // A value under kKey the program never writes: 4 binary bytes, a DWORD of 2 bytes, an expandable string.
    virtual void SetOdd(kp::RegKey key, const char* name, Odd odd) = 0;
    virtual std::string Folder() = 0;  // a folder for the files, not there yet
    virtual void MakeFolder(const std::string& path) = 0;
    virtual void ExpectMessageBox() = 0;
    virtual void KeepSheetRunning() = 0;  // the next sheet runs on its own timers until it ends itself
    virtual void PressApply(kp::Wnd& sheet) = 0;
    virtual int QuitCode() = 0;  // of the quit message posted inside the sheet; -1 when none
    // Checks of the backend alone, with no counterpart in the other one.
    virtual void TestOwnServices() {}
};

std::unique_ptr<Platform> MakePlatform();

}  // namespace contract
