// Alerts as message boxes: texts, icon and buttons as the alert has them,
// run application-modally in modal-panel mode, answering the pressed button.
#include "frontend/qt/message_box_presenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "frontend/qt/run_loop_driver.h"
#include "frontend_test_support.h"
#include "platform/controls/alert.h"
#include "platform/controls/application.h"

namespace frontend {
namespace {

using platform::Mode;

struct Seen {
    QString text;
    QString informative;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttonsLeftToRight;
    QString defaultButton;
    Qt::WindowModality modality = Qt::NonModal;
    Mode mode = Mode::Default;
};

class MessageBoxPresenterTest : public ::testing::Test {
  protected:
    platform::ScopedApplication scoped;
    platform::Application& application = scoped.application();
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    std::shared_ptr<MessageBoxPresenter> presenter = std::make_shared<MessageBoxPresenter>();
    Seen seen;

    void SetUp() override { application.setAlertPresenter(presenter); }

    std::shared_ptr<platform::Alert> warning() {
        auto alert = platform::Alert::create();
        alert->addButtonWithTitle("Cancel");
        alert->addButtonWithTitle("Continue");
        alert->setMessageText("All data on the enclosure will be erased");
        alert->setInformativeText("Back up <anything> you want to keep.");
        alert->setAlertStyle(platform::AlertStyle::Warning);
        return alert;
    }

    // Once the box is up: records what it shows, then does `act` to it.
    void whenShown(std::function<void(QMessageBox&)> act) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, act] {
            auto* box = presenter->currentBox();
            if (box == nullptr || !box->isVisible()) {
                return;
            }
            poll->stop();
            poll->deleteLater();
            seen.text = box->text();
            seen.informative = box->informativeText();
            seen.icon = box->icon();
            auto buttons = box->findChildren<QPushButton*>();
            std::sort(buttons.begin(), buttons.end(),
                      [](auto* a, auto* b) { return a->x() < b->x(); });
            for (auto* b : buttons) {
                seen.buttonsLeftToRight << b->text();
            }
            seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            seen.modality = box->windowModality();
            seen.mode = loop.currentMode();
            act(*box);
        });
        poll->start(5);
    }

    static QAbstractButton* buttonTitled(QMessageBox& box, const QString& title) {
        for (auto* b : box.buttons()) {
            if (b->text() == title) {
                return b;
            }
        }
        return nullptr;
    }
};

TEST_F(MessageBoxPresenterTest, ShowsTheAlertAndAnswersWithThePressedButton) {
    whenShown([](QMessageBox& box) { buttonTitled(box, "Continue")->click(); });
    const auto response = warning()->runModal();

    EXPECT_EQ(response, platform::kAlertSecondButtonReturn);
    EXPECT_EQ(seen.text, "All data on the enclosure will be erased");
    EXPECT_TRUE(seen.informative.contains("anything")) << seen.informative.toStdString();
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttonsLeftToRight, (QStringList{"Cancel", "Continue"}));
    EXPECT_EQ(seen.defaultButton, "Cancel");
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    EXPECT_EQ(seen.mode, Mode::ModalPanel);
    EXPECT_EQ(loop.currentMode(), Mode::Default);
}

TEST_F(MessageBoxPresenterTest, ReturnAndEscapeAnswerTheFirstButton) {
    for (auto key : {Qt::Key_Return, Qt::Key_Escape}) {
        whenShown([key](QMessageBox& box) { QTest::keyClick(&box, key); });
        EXPECT_EQ(warning()->runModal(), platform::kAlertFirstButtonReturn) << key;
    }
}

TEST_F(MessageBoxPresenterTest, AnAlertWithoutButtonsGetsOk) {
    auto alert = platform::Alert::create();
    alert->setMessageText("Two disks are needed");
    whenShown([](QMessageBox& box) { buttonTitled(box, "OK")->click(); });
    EXPECT_EQ(alert->runModal(), platform::kAlertFirstButtonReturn);
    EXPECT_EQ(seen.buttonsLeftToRight, QStringList{"OK"});
}

TEST_F(MessageBoxPresenterTest, AbortingTheModalSessionClosesTheBox) {
    whenShown([this](QMessageBox&) { application.abortModal(); });
    EXPECT_EQ(warning()->runModal(), platform::kModalResponseAbort);
    EXPECT_EQ(presenter->currentBox(), nullptr);
}

TEST_F(MessageBoxPresenterTest, RunLoopWorkOfTheCommonModesGoesOnWhileTheBoxIsOpen) {
    RunLoopDriver driver(loop);
    auto target = std::make_shared<platform::Object>();
    std::vector<std::string> ran;
    whenShown([&](QMessageBox& box) {
        loop.performSelector(
            target, "update", [&] { ran.push_back("update"); }, platform::Duration::zero(),
            platform::kCommonModes);
        loop.performSelector(
            target, "rescan", [&] { ran.push_back("rescan"); }, platform::Duration::zero(),
            Mode::Default);
        QTimer::singleShot(50, &box, [&box] { buttonTitled(box, "Cancel")->click(); });
    });
    warning()->runModal();
    EXPECT_EQ(ran, std::vector<std::string>{"update"});
    ASSERT_TRUE(testing::processUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ(ran.back(), "rescan");
}

}  // namespace
}  // namespace frontend
