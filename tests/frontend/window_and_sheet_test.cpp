// Windows, the sheet and the application: the window's state shows, the
// sheet is a window-modal dialog on its window, and closing the window ends
// the application when the delegate agrees.
#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "frontend/qt/application_binding.h"
#include "frontend/qt/window_binding.h"
#include "frontend_test_support.h"
#include "platform/controls/application.h"
#include "platform/controls/button.h"

namespace frontend {
namespace {

class QuittingDelegate : public platform::ApplicationDelegate {
  public:
    bool applicationShouldTerminateAfterLastWindowClosed(platform::Application&) override {
        return quits;
    }
    void applicationWillTerminate(platform::Object*) override { ++willTerminate; }
    bool quits = true;
    int willTerminate = 0;
};

class WindowAndSheetTest : public ::testing::Test {
  protected:
    platform::ScopedApplication scoped;
    platform::Application& application = scoped.application();
    std::shared_ptr<QuittingDelegate> delegate = std::make_shared<QuittingDelegate>();

    std::shared_ptr<platform::Window> window = platform::Window::create("Norvik RAID Utility");
    std::shared_ptr<platform::Panel> panel = platform::Panel::create("Configure");
    std::shared_ptr<platform::Button> cancel = platform::Button::create("Cancel");
    std::unique_ptr<QWidget> windowWidget = std::make_unique<QWidget>();
    QDialog* dialog = new QDialog(windowWidget.get());
    QPushButton* cancelWidget = new QPushButton(dialog);
    QPushButton* otherWidget = new QPushButton(dialog);
    int dismissals = 0;

    void SetUp() override {
        application.setDelegate(delegate);
        auto buttonFor = [this](const platform::ButtonCell* cell) -> QPushButton* {
            return cell == cancel->cell().get() ? cancelWidget : nullptr;
        };
        (new WindowBinding(window, windowWidget.get(), buttonFor))->refresh();
        (new SheetBinding(panel, dialog, buttonFor, [this] { ++dismissals; }))->refresh();
        new ApplicationBinding(application, windowWidget.get());
        window->makeKeyAndOrderFront(nullptr);
    }
};

TEST_F(WindowAndSheetTest, TheWindowShowsItsTitleAndVisibility) {
    EXPECT_TRUE(windowWidget->isVisible());
    EXPECT_EQ(windowWidget->windowTitle(), "Norvik RAID Utility");
    window->setTitle("Other");
    EXPECT_EQ(windowWidget->windowTitle(), "Other");
    window->orderOut(nullptr);
    EXPECT_FALSE(windowWidget->isVisible());
}

TEST_F(WindowAndSheetTest, TheSheetOpensAsAWindowModalDialogOnItsWindowAndCloses) {
    EXPECT_FALSE(dialog->isVisible());
    application.beginSheet(panel, window);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->parentWidget(), windowWidget.get());
    EXPECT_TRUE(dialog->isWindow());

    application.endSheet(panel);
    panel->orderOut(nullptr);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(windowWidget->isVisible());
}

TEST_F(WindowAndSheetTest, EscapeAndTheCloseBoxAskTheSheetToCancelInsteadOfHidingIt) {
    application.beginSheet(panel, window);
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(dialog->isVisible()) << "only the cancel action closes the sheet";
    dialog->close();
    EXPECT_EQ(dismissals, 2);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(WindowAndSheetTest, TheDefaultButtonCellIsTheDialogsDefaultButton) {
    panel->setDefaultButtonCell(cancel->cell());
    EXPECT_TRUE(cancelWidget->isDefault());
    EXPECT_FALSE(otherWidget->isDefault());
    panel->setDefaultButtonCell(nullptr);
    EXPECT_FALSE(cancelWidget->isDefault());
}

TEST_F(WindowAndSheetTest, ClosingTheLastWindowEndsTheApplicationWhenTheDelegateAgrees) {
    windowWidget->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(windowWidget->isVisible());
    EXPECT_TRUE(application.isTerminated());
    EXPECT_EQ(delegate->willTerminate, 1);
}

TEST_F(WindowAndSheetTest, ClosingTheWindowKeepsTheApplicationWhenTheDelegateSaysSo) {
    delegate->quits = false;
    windowWidget->close();
    EXPECT_FALSE(windowWidget->isVisible());
    EXPECT_FALSE(application.isTerminated());
}

}  // namespace
}  // namespace frontend
