// The interface files serve every outlet of the interface, with a widget of
// the kind the control needs, and the delegate's actions arrive through them.
#include "frontend/qt/front_end.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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
    std::shared_ptr<AppDelegate> delegate = AppDelegate::create();
    std::unique_ptr<FrontEnd> frontEnd;

    void SetUp() override {
        ui.connect(*delegate);
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

TEST(GermanSession, ShowsTheWindowsOwnLabelsAndButtonsInGerman) {
    platform::Bundle german(NORVIK_RESOURCES_DIR, "de_DE");
    platform::Bundle::ScopedMainBundle scope(german);
    platform::ScopedApplication scoped;
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    MainInterface ui = MainInterface::build();
    auto delegate = AppDelegate::create();
    ui.connect(*delegate);
    FrontEnd frontEnd(ui, scoped.application(), loop);

    QStringList texts;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts << label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts << group->title();
        }
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
