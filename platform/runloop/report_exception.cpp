#include "platform/runloop/report_exception.h"

#include <cstdio>
#include <exception>
#include <string>

namespace platform {

void reportEscapedException(std::string_view where) noexcept {
    std::string what = "an exception of unknown type";
    try {
        if (auto current = std::current_exception()) {
            std::rethrow_exception(current);
        }
    } catch (const std::exception& e) {
        what = std::string("exception: ") + e.what();
    } catch (...) {
    }
    std::fprintf(stderr, "norvik-raid-utility: %s escaped %.*s; carrying on\n", what.c_str(),
                 static_cast<int>(where.size()), where.data());
}

}  // namespace platform
