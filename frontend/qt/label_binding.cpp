#include "frontend/qt/label_binding.h"

#include <QLabel>

#include "frontend/qt/qt_text.h"

namespace frontend {

LabelBinding::LabelBinding(std::shared_ptr<platform::TextField> field, QLabel* label)
    : QObject(label), field_(std::move(field)), label_(label) {
    // Texts come from the controller library and the string table: never
    // markup.
    label_->setTextFormat(Qt::PlainText);
    mirror();
    observation_ = field_->observe([this](platform::Observable&, platform::Change) { mirror(); });
}

void LabelBinding::mirror() {
    if (!label_) {
        return;
    }
    // A caption with a buddy shows its mnemonic; in any other label '&' is literal.
    const QString text = label_->buddy() != nullptr ? mnemonicText(field_->stringValue())
                                                    : toQString(field_->stringValue());
    if (label_->text() != text) {
        label_->setText(text);
    }
    const QString toolTip = toQString(field_->toolTip());
    if (label_->toolTip() != toolTip) {
        label_->setToolTip(toolTip);
    }
    label_->setEnabled(field_->isEnabled());
    label_->setHidden(field_->isHidden());
}

}  // namespace frontend
