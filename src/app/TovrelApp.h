// The application object: single instance, registry root, and the modal run of the main sheet.
#pragma once
#include <string>

namespace kestor {

class CTovrelApp {
public:
    // Always false: when it returns, the program ends.
    bool InitInstance();
};

// Selector 1: the computer name; 2: the logged-on user's name in lower case; anything else: "Error".
std::string LookUpName(int selector);

// The program's entry once the platform is installed: runs the one application object and returns when
// it has ended. The exit code is the one posted with the quit message, which the backend keeps.
int RunKestor();

}  // namespace kestor
