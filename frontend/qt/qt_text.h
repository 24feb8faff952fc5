// Text between our UTF-8 strings and Qt's UTF-16 ones.
#pragma once

#include <QString>
#include <string>

namespace frontend {

inline QString toQString(const std::string& s) {
    return QString::fromStdString(s);
}

inline std::string toStdString(const QString& s) {
    return s.toStdString();
}

// A title shown on a button or radio button: '&' is a mnemonic marker to
// Qt, so a literal one is doubled.
inline QString buttonText(const std::string& title) {
    return toQString(title).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace frontend
