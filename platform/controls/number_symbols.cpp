#include "platform/controls/number_symbols.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>

namespace platform {

NumberSymbols NumberSymbols::ofLocale(const std::string& locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.")) {
        return {};
    }
    const locale_t numeric = ::newlocale(LC_NUMERIC_MASK, locale.c_str(), locale_t(0));
    if (numeric == locale_t(0)) {
        return {};
    }
    NumberSymbols symbols;
    const char* radix = ::nl_langinfo_l(RADIXCHAR, numeric);
    if (radix && *radix) {
        symbols.decimalSeparator = radix;
    }
    // Some locales group with nothing: then there is nothing between the groups.
    const char* grouping = ::nl_langinfo_l(THOUSEP, numeric);
    symbols.groupingSeparator = grouping ? grouping : "";
    ::freelocale(numeric);
    return symbols;
}

std::string NumberSymbols::sessionLocale() {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return value;
        }
    }
    return {};
}

const NumberSymbols& NumberSymbols::session() {
    static const NumberSymbols symbols = ofLocale(sessionLocale());
    return symbols;
}

}  // namespace platform
