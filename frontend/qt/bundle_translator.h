// The interface files' fixed texts from our string table: each text in the
// .ui files carries its string-table key as its comment ("UI_DEVICE_LABEL"),
// which uic passes to translate() as the disambiguation. Texts without a key
// stay as the files have them.
#pragma once

#include <QTranslator>

namespace frontend {

class BundleTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* context,
                      const char* sourceText,
                      const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};

}  // namespace frontend
