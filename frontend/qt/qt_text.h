// Text between our UTF-8 strings and Qt's UTF-16 ones.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
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

// `text` (already escaped) with the Alt mnemonic on the first `letter` in it,
// in either case; unchanged when the text has no such letter (another
// language's title) or `letter` is empty.
inline QString withMnemonic(QString text, const QString& letter) {
    if (letter.size() != 1) {
        return text;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;  // an escaped '&&'
        } else if (text[i].toCaseFolded() == letter[0].toCaseFolded()) {
            text.insert(i, QLatin1Char('&'));
            break;
        }
    }
    return text;
}

// The mnemonic letter the interface file gives a widget whose text comes from
// the program (dynamic property "mnemonic").
inline QString mnemonicOf(const QObject& widget) {
    return widget.property("mnemonic").toString();
}

}  // namespace frontend
