#include "frontend/qt/bundle_translator.h"

#include <cstring>

#include "frontend/qt/qt_text.h"
#include "platform/controls/bundle.h"

namespace frontend {

QString BundleTranslator::translate(const char*, const char*, const char* key, int) const {
    if (!key || !*key) {
        return {};
    }
    const std::string text = platform::Bundle::mainBundle().localizedString(key);
    // A key the tables lack comes back as itself: keep the file's own text then.
    return text == key ? QString() : toQString(text);
}

}  // namespace frontend
