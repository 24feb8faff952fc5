// Nothing may escape a Qt slot: an exception unwinding through Qt's event
// loop is undefined behaviour. The application's own dispatch already reports
// what escapes an action; this catches the rest on the way back to Qt.
#pragma once

#include <string_view>
#include <utility>

#include "platform/runloop/report_exception.h"

namespace frontend {

template <class F>
void guarded(std::string_view where, F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (...) {
        platform::reportEscapedException(where);
    }
}

}  // namespace frontend
