// The interface files serve every outlet of the interface, with a widget of
// the kind the control needs, and the delegate's actions arrive through them.
#include "frontend/qt/front_end.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/app_delegate.h"
#include "frontend_test_support.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"

namespace frontend {
namespace {

class FrontEndTest : public ::testing::Test {
  protected:
    platform::ScopedApplication scoped;
    platform::Application& application = scoped.application();
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    MainInterface ui = MainInterface::build();
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create(ui);
    std::unique_ptr<FrontEnd> frontEnd;

    void SetUp() override {
        application.setDelegate(delegate);
        frontEnd = std::make_unique<FrontEnd>(ui, application, loop);
        ui.window->makeKeyAndOrderFront(nullptr);
    }
};

TEST_F(FrontEndTest, EveryOutletHasAWidgetOfTheRightKindNamedAfterIt) {
    EXPECT_TRUE(frontEnd->unboundOutlets().empty());
    const std::map<std::string, const char*> kinds = {{"window", "QWidget"},
                                                      {"theSheet", "QDialog"},
                                                      {"devicePicker", "QComboBox"},
                                                      {"picker", "QComboBox"},
                                                      {"type", "QLabel"},
                                                      {"capacity", "QLabel"},
                                                      {"status", "QLabel"},
                                                      {"disks", "QLabel"},
                                                      {"disksLabel", "QLabel"},
                                                      {"statusImage", "QLabel"},
                                                      {"name", "QLineEdit"},
                                                      {"raidPicker", "QButtonGroup"},
                                                      {"rebuildButton", "QPushButton"},
                                                      {"configButton", "QPushButton"},
                                                      {"unmountButton", "QPushButton"},
                                                      {"cancelButton", "QPushButton"},
                                                      {"configNowButton", "QPushButton"}};
    for (const auto& [name, _] : ui.outlets()) {
        QObject* widget = frontEnd->outlet(QString::fromStdString(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_STREQ(widget->metaObject()->className(), kinds.at(name)) << name;
    }
}

TEST_F(FrontEndTest, ShowsTheInterfacesInitialStateAndTheLayoutTags) {
    EXPECT_TRUE(frontEnd->mainWindow()->isVisible());
    EXPECT_FALSE(frontEnd->sheet()->isVisible());
    EXPECT_TRUE(frontEnd->outlet<QPushButton>("rebuildButton")->isHidden());
    EXPECT_FALSE(frontEnd->outlet<QPushButton>("configButton")->isEnabled());

    auto* group = frontEnd->outlet<QButtonGroup>("raidPicker");
    ASSERT_NE(group, nullptr);
    ASSERT_NE(group->button(AppDelegate::kLayoutIndividualDisks), nullptr);
    EXPECT_EQ(group->checkedId(), ui.raidPicker->selectedTag());
    EXPECT_EQ(application.alertPresenter(), frontEnd->alertPresenter());
}

TEST_F(FrontEndTest, ChoosingIndividualDisksOnTheSheetDisablesTheNameField) {
    ui.configButton->setEnabled(true);
    QTest::mouseClick(frontEnd->outlet<QPushButton>("configButton"), Qt::LeftButton);
    ASSERT_TRUE(frontEnd->sheet()->isVisible());

    auto* group = frontEnd->outlet<QButtonGroup>("raidPicker");
    QTest::mouseClick(group->button(AppDelegate::kLayoutIndividualDisks), Qt::LeftButton);
    EXPECT_FALSE(frontEnd->outlet<QLineEdit>("name")->isEnabled());
    QTest::mouseClick(group->button(AppDelegate::kLayoutRAID0), Qt::LeftButton);
    EXPECT_TRUE(frontEnd->outlet<QLineEdit>("name")->isEnabled());

    QTest::keyClick(frontEnd->sheet(), Qt::Key_Escape);
    EXPECT_FALSE(frontEnd->sheet()->isVisible());
}

// Every label and button can be reached with Alt and a letter; the value
// labels and the health image say what they are to a screen reader.
TEST_F(FrontEndTest, KeyboardAndScreenReaders) {
    for (const char* name :
         {"unmountButton", "rebuildButton", "configButton", "cancelButton", "configNowButton"}) {
        EXPECT_TRUE(frontEnd->outlet<QPushButton>(name)->text().contains(QLatin1Char('&'))) << name;
    }
    for (auto* button : frontEnd->outlet<QButtonGroup>("raidPicker")->buttons()) {
        EXPECT_TRUE(button->text().contains(QLatin1Char('&'))) << button->text().toStdString();
    }
    for (auto* label : frontEnd->mainWindow()->findChildren<QLabel*>() +
                           frontEnd->sheet()->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            EXPECT_TRUE(label->text().contains(QLatin1Char('&')))
                << label->objectName().toStdString();
        }
    }
    for (const char* value : {"type", "capacity", "status", "disks"}) {
        auto* label = frontEnd->outlet<QLabel>(value);
        EXPECT_FALSE(label->accessibleName().isEmpty()) << value;
        EXPECT_FALSE(label->accessibleDescription().isEmpty()) << value;
        EXPECT_NE(label->focusPolicy(), Qt::NoFocus) << value << " cannot be reached";
        const auto captions = frontEnd->mainWindow()->findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(captions.begin(), captions.end(),
                                [&](QLabel* caption) { return caption->buddy() == label; }))
            << value << " has no caption linked to it";
    }
    EXPECT_FALSE(frontEnd->outlet<QLabel>("statusImage")->accessibleDescription().isEmpty());

    ui.statusImage->setToolTip("A volume is degraded");
    EXPECT_EQ(frontEnd->outlet<QLabel>("statusImage")->accessibleName(), "A volume is degraded");
    EXPECT_EQ(frontEnd->outlet<QLabel>("statusImage")->toolTip(), "A volume is degraded");

    QApplication::setActiveWindow(frontEnd->mainWindow());
    EXPECT_EQ(frontEnd->mainWindow()->focusWidget(), frontEnd->outlet<QWidget>("devicePicker"));
}

TEST_F(FrontEndTest, ABusyApplicationShowsTheBusyCursor) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        const platform::Application::BusyScope busy;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        const platform::Application::BusyScope nested;
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FrontEndTest, ControlQQuits) {
    QApplication::setActiveWindow(frontEnd->mainWindow());
    QTest::keyClick(frontEnd->mainWindow(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(application.isTerminated());
}

TEST_F(FrontEndTest, ControlWClosesTheWindowWhichQuits) {
    QApplication::setActiveWindow(frontEnd->mainWindow());
    QTest::keyClick(frontEnd->mainWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(ui.window->isVisible());
    EXPECT_TRUE(application.isTerminated());
}

TEST(GermanSession, ShowsTheWindowsOwnLabelsAndButtonsInGerman) {
    platform::Bundle german(NORVIK_RESOURCES_DIR, "de_DE");
    platform::Bundle::ScopedMainBundle scope(german);
    platform::ScopedApplication scoped;
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    MainInterface ui = MainInterface::build();
    auto delegate = AppDelegate::create(ui);
    FrontEnd frontEnd(ui, scoped.application(), loop);

    QStringList texts;
    for (QWidget* widget : QApplication::allWidgets()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            text = group->title();
        }
        texts << text.remove(QLatin1Char('&'));  // mnemonics aside
        if (widget->isWindow() && !widget->windowTitle().isEmpty()) {
            texts << widget->windowTitle();
        }
    }
    for (const char* text :
         {"Norvik RAID-Dienstprogramm", "Gerät:", "Volume:", "Typ:", "Kapazität:", "Status:",
          "Datenträger in Schächten:", "Aushängen", "Konfigurieren …", "Gehäuse konfigurieren",
          "Die beiden Datenträger verwenden als", "Ein sicheres Volume (RAID 1, gespiegelt)",
          "Name des Volumes:", "Abbrechen", "Jetzt konfigurieren"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    for (const char* english : {"Device:", "Capacity:", "Configure Now", "Unmount"}) {
        EXPECT_FALSE(texts.contains(QString::fromUtf8(english))) << english;
    }
}

}  // namespace
}  // namespace frontend
