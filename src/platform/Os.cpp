#include "platform/Os.h"

namespace kp {

namespace {
Os g_os;
}

Os& TheOs() { return g_os; }

void InstallOs(const Os& os) { g_os = os; }

}  // namespace kp
