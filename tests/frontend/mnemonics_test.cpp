// Every control of every window can be reached with Alt and a letter, and no
// letter of a window reaches two of its controls, in every shipped language.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <vector>

#include "app/app_delegate.h"
#include "frontend/qt/front_end.h"
#include "frontend/qt/qt_text.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"

namespace frontend {
namespace {

// Each control (name, text) must hold an Alt letter no other one holds.
void expectOwnLetters(const std::string& window,
                      const std::vector<std::pair<QString, QString>>& controls) {
    QMap<QString, QString> holders;
    for (const auto& [name, text] : controls) {
        const QString letter = QKeySequence::mnemonic(text).toString();
        EXPECT_FALSE(letter.isEmpty()) << window << ": " << name.toStdString() << " \""
                                       << text.toStdString() << "\" has no mnemonic";
        EXPECT_TRUE(letter.isEmpty() || !holders.contains(letter))
            << window << ": " << letter.toStdString() << " is taken by "
            << holders.value(letter).toStdString() << " and " << name.toStdString();
        holders.insert(letter, name);
    }
}

// The controls a window draws itself (not those of a window it owns).
std::vector<std::pair<QString, QString>> controlsOf(QWidget* window) {
    std::vector<std::pair<QString, QString>> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(widget);
        auto* group = qobject_cast<QGroupBox*>(widget);
        if (widget->window() != window) {
            continue;
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            controls.emplace_back(button->objectName(), button->text());
        } else if (group && !group->title().isEmpty()) {
            controls.emplace_back(group->objectName(), group->title());
        } else if (label && label->buddy()) {
            controls.emplace_back(label->objectName(), label->text());
        }
    }
    return controls;
}

class Mnemonics : public ::testing::TestWithParam<const char*> {
  protected:
    platform::Bundle bundle{NORVIK_RESOURCES_DIR, GetParam()};
    platform::Bundle::ScopedMainBundle bundleScope{bundle};
    platform::ScopedApplication scoped;
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    MainInterface ui = MainInterface::build();
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create(ui);
};

TEST_P(Mnemonics, EachControlHasOneOfItsOwnInItsWindow) {
    FrontEnd frontEnd(ui, scoped.application(), loop);
    expectOwnLetters("main window", controlsOf(frontEnd.mainWindow()));
    expectOwnLetters("sheet", controlsOf(frontEnd.sheet()));
    // While a mirror rebuilds, the rebuild button cancels.
    ui.rebuildButton->setTitle(bundle.localizedString("CANCEL"));
    expectOwnLetters("main window, rebuilding", controlsOf(frontEnd.mainWindow()));

    // The button rows of the configuration and rebuild flows' alerts.
    for (const auto& row : std::vector<std::vector<const char*>>{
             {"OK"}, {"CANCEL", "CONTINUE"}, {"CANCEL", "OK"}, {"DONE", "DISKUTILITY"}}) {
        std::vector<std::pair<QString, QString>> buttons;
        for (const char* key : row) {
            buttons.emplace_back(key, mnemonicText(bundle.localizedString(key)));
        }
        expectOwnLetters(std::string("alert with ") + row.back(), buttons);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, Mnemonics, ::testing::Values("en", "de"));

}  // namespace
}  // namespace frontend
