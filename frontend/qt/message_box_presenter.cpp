#include "frontend/qt/message_box_presenter.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>

#include "frontend/qt/qt_text.h"
#include "platform/controls/alert.h"

namespace frontend {

namespace {

QMessageBox::Icon iconFor(platform::AlertStyle style) {
    switch (style) {
        case platform::AlertStyle::Informational:
            return QMessageBox::Information;
        case platform::AlertStyle::Critical:
            return QMessageBox::Critical;
        case platform::AlertStyle::Warning:
            break;
    }
    return QMessageBox::Warning;
}

// The texts come from the string table and the controller library: shown as
// they are, never as markup.
QString plain(const std::string& text) {
    const QString s = toQString(text);
    return Qt::mightBeRichText(s) ? Qt::convertFromPlainText(s, Qt::WhiteSpaceNormal) : s;
}

}  // namespace

platform::ModalResponse MessageBoxPresenter::present(const platform::Alert& alert) {
    QWidget* parent = (parent_ && parent_->isVisible()) ? parent_.data() : nullptr;
    QMessageBox box(parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(iconFor(alert.alertStyle()));
    box.setTextFormat(Qt::PlainText);
    box.setText(toQString(alert.messageText()));
    box.setInformativeText(plain(alert.informativeText()));

    auto titles = alert.buttonTitles();
    if (titles.empty()) {
        titles.emplace_back("OK");
    }
    std::vector<QPushButton*> buttons;
    for (const auto& title : titles) {
        // One role for all keeps them in the order they were added.
        buttons.push_back(box.addButton(mnemonicText(title), QMessageBox::ActionRole));
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.front());

    open_.emplace_back(&box);
    box.exec();
    open_.pop_back();

    const auto* clicked = box.clickedButton();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == clicked) {
            return platform::kAlertFirstButtonReturn + static_cast<platform::ModalResponse>(i);
        }
    }
    return platform::kModalResponseAbort;
}

void MessageBoxPresenter::abort() {
    if (QMessageBox* box = currentBox()) {
        box->done(QDialog::Rejected);
    }
}

QMessageBox* MessageBoxPresenter::currentBox() const {
    return open_.empty() ? nullptr : open_.back().data();
}

}  // namespace frontend
