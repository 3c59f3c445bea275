#include "platform/sim/SimErrors.h"

#include <cerrno>

#include <iconv.h>

namespace kp::sim {

std::string GbkToUtf8(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return gbk;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Not GBK here: show one byte as '?' and go on after it.
            out += '?';
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace kp::sim
