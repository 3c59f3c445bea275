// The common file dialogs on Win32 (GetOpenFileNameW).
#pragma once
#include "platform/win32/Win32.h"

namespace kp::win32 {

class FileDialogs : public IFileDialogs {
public:
    bool OpenFile(const std::string& filter, const std::string& defaultExt, const std::string& initialDir,
                  std::string& path) override;
};

}  // namespace kp::win32
