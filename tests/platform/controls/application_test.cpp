// Sheets, modal alerts, action dispatch and termination.
#include "platform/controls/application.h"

#include <gtest/gtest.h>

#include "platform/controls/alert.h"
#include "platform/controls/scripted_alert_presenter.h"
#include "platform/runloop/virtual_time_driver.h"
#include "recorder.h"

namespace platform {
namespace {

using testing::Recorder;

class ApplicationTest : public ::testing::Test {
  protected:
    VirtualTimeDriver driver;
    ScopedApplication scoped;
    Application& app = scoped.application();
    std::shared_ptr<ScriptedAlertPresenter> presenter = std::make_shared<ScriptedAlertPresenter>();
    std::shared_ptr<Recorder> target = std::make_shared<Recorder>();

    void SetUp() override { app.setAlertPresenter(presenter); }

    static std::shared_ptr<Alert> warning(std::initializer_list<const char*> buttons) {
        auto alert = Alert::create();
        for (const char* title : buttons) {
            alert->addButtonWithTitle(title);
        }
        alert->setMessageText("WARNING1_TITLE");
        alert->setInformativeText("WARNING1_BODY");
        return alert;
    }
};

TEST_F(ApplicationTest, AlertAnswersTheButtonIndexPlus1000) {
    presenter->pressButtonTitled("CANCEL");
    presenter->pressButtonTitled("CONTINUE");
    presenter->pressButtonTitled("MISSING");
    EXPECT_EQ(warning({"CANCEL", "CONTINUE"})->runModal(), kAlertFirstButtonReturn);
    EXPECT_EQ(warning({"CANCEL", "CONTINUE"})->runModal(), kAlertSecondButtonReturn);
    EXPECT_EQ(warning({"CANCEL", "CONTINUE"})->runModal(), kModalResponseAbort);
    EXPECT_EQ(warning({"OK"})->runModal(), kModalResponseAbort);  // nothing scripted

    ASSERT_EQ(presenter->shown().size(), 4u);
    const ShownAlert& shown = presenter->shown()[1];
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"CANCEL", "CONTINUE"}));
    EXPECT_EQ(shown.messageText, "WARNING1_TITLE");
    EXPECT_EQ(shown.informativeText, "WARNING1_BODY");
    EXPECT_EQ(static_cast<int>(shown.style), 0);
    EXPECT_EQ(shown.mode, Mode::ModalPanel);
    EXPECT_EQ(driver.runLoop().currentMode(), Mode::Default);
    EXPECT_FALSE(app.isModal());
}

TEST_F(ApplicationTest, AnAlertWithoutButtonsGetsOkAndNoPresenterMeansAbort) {
    presenter->answer(kAlertFirstButtonReturn);
    auto alert = Alert::create();
    EXPECT_EQ(alert->runModal(), kAlertFirstButtonReturn);
    EXPECT_EQ(alert->buttonTitles(), std::vector<std::string>{"OK"});
    app.setAlertPresenter(nullptr);
    EXPECT_EQ(warning({"CANCEL", "CONTINUE"})->runModal(), kModalResponseAbort);
}

TEST_F(ApplicationTest, AbortModalEndsTheOpenAlertOnlyAndNeverALaterOne) {
    app.abortModal();  // no session: must not poison the next alert
    presenter->answerWith([&](const Alert&) {
        EXPECT_TRUE(app.isModal());
        app.abortModal();
        return kAlertSecondButtonReturn;  // the dialog closed on a button anyway
    });
    presenter->answer(kAlertSecondButtonReturn);
    const ModalResponse aborted = warning({"CANCEL", "CONTINUE"})->runModal();
    EXPECT_EQ(aborted, kModalResponseAbort);
    EXPECT_NE(aborted, kAlertFirstButtonReturn);
    EXPECT_NE(aborted, kAlertSecondButtonReturn);
    EXPECT_EQ(presenter->abortCount(), 1u);
    EXPECT_EQ(warning({"CANCEL", "CONTINUE"})->runModal(), kAlertSecondButtonReturn);
}

TEST_F(ApplicationTest, NestedAlertAbortEndsOnlyTheInnermost) {
    presenter->answerWith([&](const Alert&) {
        presenter->answerWith([&](const Alert&) {
            app.abortModal();
            return kAlertFirstButtonReturn;
        });
        EXPECT_EQ(warning({"OK"})->runModal(), kModalResponseAbort);
        return kAlertFirstButtonReturn;
    });
    EXPECT_EQ(warning({"OK"})->runModal(), kAlertFirstButtonReturn);
}

TEST_F(ApplicationTest, WorkWhileTheAlertIsOpenRunsOnlyInCommonModes) {
    std::vector<std::string> ran;
    driver.runLoop().performSelector(
        target, "scanForControllers", [&] { ran.push_back("scan"); }, seconds(1));
    driver.runLoop().performSelector(
        target, "updateDevice", [&] { ran.push_back("update"); }, seconds(1), kCommonModes);
    presenter->answerWith([&](const Alert&) {
        driver.fastForwardBy(seconds(2));
        EXPECT_EQ(ran, std::vector<std::string>{"update"});
        return kAlertFirstButtonReturn;
    });
    warning({"OK"})->runModal();
    driver.runUntilIdle();
    EXPECT_EQ(ran, (std::vector<std::string>{"update", "scan"}));
}

TEST_F(ApplicationTest, SheetBeginsInDefaultModeAndEndsWithoutHiding) {
    auto window = Window::create("main");
    auto sheet = Panel::create("sheet");
    window->makeKeyAndOrderFront(nullptr);
    app.beginSheet(sheet, window);
    EXPECT_EQ(driver.runLoop().currentMode(), Mode::Default);
    EXPECT_EQ(window->attachedSheet(), sheet);
    EXPECT_EQ(sheet->sheetParent(), window);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(window->acceptsInput());

    auto other = Panel::create("other");
    app.beginSheet(other, window);  // one sheet per window
    EXPECT_EQ(window->attachedSheet(), sheet);
    EXPECT_FALSE(other->isVisible());

    app.endSheet(sheet);
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_FALSE(sheet->isSheet());
    EXPECT_TRUE(sheet->isVisible());
    sheet->orderOut(nullptr);
    EXPECT_FALSE(sheet->isVisible());

    app.endSheet(sheet);  // closing a closed sheet changes nothing
    app.endSheet(nullptr);
    EXPECT_TRUE(window->acceptsInput());
    app.beginSheet(sheet, window);
    EXPECT_EQ(window->attachedSheet(), sheet);
}

TEST_F(ApplicationTest, ActionDispatchSurvivesAnEscapingException) {
    Selector throwing("doRebuild:",
                      [](Object&, Object*) { throw std::runtime_error("library fault"); });
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(app.sendAction(throwing, target, nullptr));
    Selector throwingOther("doConfigure:", [](Object&, Object*) { throw 42; });
    EXPECT_TRUE(app.sendAction(throwingOther, target, nullptr));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("library fault"), std::string::npos);
    EXPECT_NE(err.find("doRebuild:"), std::string::npos);
    EXPECT_NE(err.find("doConfigure:"), std::string::npos);

    EXPECT_TRUE(app.sendAction(Recorder::selector("changeVolume:"), target, nullptr));
    EXPECT_EQ(target->actions, std::vector<std::string>{"changeVolume:"});
    EXPECT_FALSE(app.sendAction(Selector{}, target, nullptr));
    EXPECT_FALSE(app.sendAction(Recorder::selector("x"), WeakObjectPtr{}, nullptr));
}

struct Delegate : Recorder, ApplicationDelegate {
    bool quitAfterLastWindow = true;
    int willTerminate = 0;
    bool applicationShouldTerminateAfterLastWindowClosed(Application&) override {
        return quitAfterLastWindow;
    }
    void applicationWillTerminate(Object*) override { ++willTerminate; }
};

TEST_F(ApplicationTest, QuitsOnceAfterTheLastVisibleWindowClosesWhenTheDelegateAgrees) {
    auto delegate = std::make_shared<Delegate>();
    app.setDelegate(delegate);
    auto main = Window::create("main");
    auto second = Window::create("second");
    main->makeKeyAndOrderFront(nullptr);
    second->makeKeyAndOrderFront(nullptr);

    second->close();
    EXPECT_FALSE(app.isTerminated());
    main->close();
    EXPECT_TRUE(app.isTerminated());
    app.terminate(nullptr);
    EXPECT_EQ(delegate->willTerminate, 1);

    // A null target goes to the delegate.
    EXPECT_TRUE(app.sendAction(Recorder::selector("changeDevice:"), WeakObjectPtr{}, nullptr));
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"changeDevice:"});
}

TEST_F(ApplicationTest, StaysWhenTheDelegateDeclinesAndActivationIsObservable) {
    auto delegate = std::make_shared<Delegate>();
    delegate->quitAfterLastWindow = false;
    app.setDelegate(delegate);
    auto main = Window::create("main");
    main->makeKeyAndOrderFront(nullptr);
    main->close();
    EXPECT_FALSE(app.isTerminated());

    std::vector<Change> changes;
    auto watch = app.observe([&](Observable&, Change c) { changes.push_back(c); });
    app.activateIgnoringOtherApps(true);
    EXPECT_TRUE(app.isActive());
    EXPECT_EQ(app.activationCount(), 1u);
    EXPECT_EQ(changes, std::vector<Change>{Change::Active});
}

TEST_F(ApplicationTest, RunEndsOnTerminate) {
    auto delegate = std::make_shared<Delegate>();
    app.setDelegate(delegate);
    auto keepAlive = Timer::createRepeating(seconds(10), [](Timer&) {});
    driver.runLoop().addTimer(keepAlive, kCommonModes);
    driver.runLoop().performSelector(
        target, "quit", [&] { app.terminate(nullptr); }, seconds(25));
    app.run();
    EXPECT_TRUE(app.isTerminated());
    EXPECT_EQ(driver.now(), TimePoint{} + seconds(25));
}

}  // namespace
}  // namespace platform
