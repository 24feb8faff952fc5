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

// A control's text from the string table, as Qt shows it: '&' before a
// letter or digit marks the Alt mnemonic and "&&" is an ampersand, as the
// tables write them; any other '&' ("Save & Quit") is shown as it is.
inline QString mnemonicText(const std::string& title) {
    const QString text = toQString(title);
    const QLatin1Char ampersand('&');
    QString shown;
    shown.reserve(text.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != ampersand) {
            shown += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == ampersand) {
            shown += QLatin1String("&&");
            ++i;
        } else if (i + 1 < text.size() && text[i + 1].isLetterOrNumber()) {
            shown += ampersand;
        } else {
            shown += QLatin1String("&&");
        }
    }
    return shown;
}

}  // namespace frontend
