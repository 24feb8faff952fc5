// The real front end over the real simulator: libmv_api.so loaded from the
// build tree, the device feed on the world file, and the world changed with
// the norvik-sim command, as a person testing the hardware would. Every wait
// is one of the system's own delays (1.0 s rescan, 1 s update, 10 s refresh
// timer, the rebuild time) plus a margin, and ends as soon as the window
// shows what is expected.
//
// With NORVIK_SCREENSHOT_DIR set, the window is also saved at each step
// (the pictures in docs/).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "app/app_delegate.h"
#include "backends/backend_choice.h"
#include "frontend/qt/front_end.h"
#include "frontend_test_support.h"
#include "model/library_binding.h"
#include "model/loaded_library.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"
#include "platform/devices/device_tree.h"
#include "platform/runloop/clock.h"

namespace frontend {
namespace {

using testing::processUntil;

constexpr int kMargin = 3000;            // ms on top of the system's own delays
constexpr int kRescanDelay = 1000;       // after the enclosure appears or vanishes
constexpr int kUpdateDelay = 1000;       // after a disk appears or vanishes
constexpr int kRefreshInterval = 10000;  // the refresh timer while a mirror exists
constexpr int kRebuildSeconds = 2;

QString text(const std::string& key) {
    return QString::fromStdString(platform::Bundle::mainBundle().localizedString(key));
}

// What a button reads, without its mnemonic marker.
QString shownText(const QAbstractButton& button) {
    return QString(button.text()).remove(QLatin1Char('&'));
}

// A control's text from the table as the button reads it.
QString shownText(const std::string& key) {
    return text(key).remove(QLatin1Char('&'));
}

class EndToEnd : public ::testing::Test {
  protected:
    QTemporaryDir worldDir;
    platform::SystemClock clock;
    platform::RunLoop loop{clock};
    platform::ScopedApplication scoped;
    platform::Application& application = scoped.application();
    platform::devices::DeviceTree tree;
    platform::devices::DeviceTree::Scope treeScope{tree};
    // Restores the process-wide library when the test ends.
    ScopedControllerLibrary boundLibrary{nullptr};
    backends::Backends chosen;
    MainInterface ui = MainInterface::build();
    std::shared_ptr<AppDelegate> delegate;
    std::unique_ptr<FrontEnd> frontEnd;
    QStringList alertsSeen;

    void SetUp() override {
        ASSERT_TRUE(worldDir.isValid());
        // Read by this process's simulator library and feed and by norvik-sim.
        ::setenv("NORVIK_SIM_WORLD", worldDir.filePath("world.json").toLocal8Bit().constData(), 1);
        sim({"reset"});
        sim({"rebuild-time", std::to_string(kRebuildSeconds)});
        sim({"auto-rebuild", "off"});

        // The environment alone asks for the simulator, as it does for a user.
        chosen = backends::chooseBackends(backends::BackendRequest::fromEnvironment(false), loop);
        ASSERT_EQ(chosen.kind, backends::BackendKind::Simulator);
        ASSERT_TRUE(chosen.libraryProblem.empty()) << chosen.libraryProblem;

        delegate = AppDelegate::create(ui);
        application.setDelegate(delegate);
        ASSERT_NE(chosen.devices, nullptr);
        frontEnd = std::make_unique<FrontEnd>(ui, application, loop);
        ASSERT_TRUE(frontEnd->unboundOutlets().empty());
        ui.window->makeKeyAndOrderFront(nullptr);
        application.finishLaunching();
    }

    void TearDown() override {
        application.terminate(nullptr);
        loop.removeSource(chosen.devices);
        frontEnd.reset();
        ::unsetenv("NORVIK_SIM_WORLD");
    }

    static void sim(const std::vector<std::string>& args) {
        const QString program = QCoreApplication::applicationDirPath() + "/../bin/norvik-sim";
        QStringList arguments;
        for (const auto& a : args) {
            arguments << QString::fromStdString(a);
        }
        QProcess process;
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(10000)) << program.toStdString();
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    template <class W>
    W* widget(const char* name) {
        auto* w = frontEnd->outlet<W>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString device() { return widget<QComboBox>("devicePicker")->currentText(); }
    QString status() { return widget<QLabel>("status")->text(); }

    // Which of the three health icons the window shows: the one whose picture
    // is nearest to the label's (scaling may shift a pixel value by one).
    std::string shownIcon() {
        auto* label = widget<QLabel>("statusImage");
        if (label->pixmap().isNull()) {
            return "none";
        }
        const QImage shown = label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        std::string nearest = "none";
        double best = 1e18;
        for (const char* name :
             {"icon_healthcheck_ok", "icon_healthcheck_warning", "icon_healthcheck_wrong"}) {
            const auto path = platform::Bundle::mainBundle().pathForResource(name, "png");
            if (!path) {
                continue;
            }
            const QImage icon =
                QImage(QString::fromStdString(path->string()))
                    .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32);
            double distance = 0;
            for (int y = 0; y < shown.height(); ++y) {
                for (int x = 0; x < shown.width(); ++x) {
                    const QRgb a = shown.pixel(x, y), b = icon.pixel(x, y);
                    distance += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
                }
            }
            if (distance < best) {
                best = distance;
                nearest = name;
            }
        }
        return nearest;
    }

    // Answers each alert as it opens by pressing the next title of `presses`.
    void answerAlerts(QStringList presses) {
        auto* poll = new QTimer(frontEnd->mainWindow());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, presses]() mutable {
            auto* box = frontEnd->alertPresenter()->currentBox();
            if (box == nullptr || !box->isVisible() || presses.isEmpty()) {
                if (presses.isEmpty()) {
                    poll->deleteLater();
                }
                return;
            }
            alertsSeen << box->text();
            const QString press = presses.takeFirst();
            for (auto* button : box->buttons()) {
                if (button->text() == press) {
                    if (alertsSeen.size() == 1) {
                        screenshot("rebuild-warning", box);
                    }
                    button->click();
                    return;
                }
            }
            ADD_FAILURE() << "no button " << press.toStdString() << " on "
                          << box->text().toStdString();
            box->reject();
        });
        poll->start(10);
    }

    void screenshot(const char* name, QWidget* overlay = nullptr) {
        const char* dir = std::getenv("NORVIK_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0') {
            return;
        }
        QImage picture = frontEnd->mainWindow()->grab().toImage();
        if (overlay != nullptr) {
            picture = withSheet(picture, overlay->grab().toImage());
        }
        const QDir out(QString::fromLocal8Bit(dir));
        out.mkpath(QStringLiteral("."));
        EXPECT_TRUE(picture.save(out.filePath(QString::fromLatin1(name) + ".png"))) << name;
    }

    // The window with a sheet over its top, as a desktop shows one.
    static QImage withSheet(const QImage& window, const QImage& sheet) {
        QImage picture(std::max(window.width(), sheet.width() + 40),
                       std::max(window.height(), sheet.height() + 40), QImage::Format_RGB32);
        picture.fill(QColor(236, 236, 236));
        QPainter p(&picture);
        p.drawImage(0, 0, window);
        p.fillRect(picture.rect(), QColor(0, 0, 0, 60));
        const QPoint at((picture.width() - sheet.width()) / 2, 12);
        for (int i = 6; i > 0; --i) {
            p.fillRect(QRect(at, sheet.size()).adjusted(-i, -i / 2, i, i), QColor(0, 0, 0, 10));
        }
        p.drawImage(at, sheet);
        p.setPen(QColor(120, 120, 120));
        p.drawRect(QRect(at, sheet.size()).adjusted(-1, -1, 0, 0));
        return picture;
    }
};

TEST_F(EndToEnd, FollowsTheEnclosureThroughUnplugPlugPullInsertAndARebuild) {
    const QString nameOfEnclosure = "Norvik Duo Thunderbolt";
    const QString healthy = text("LD_STATUS_FUNCTIONAL");
    const QString degraded = text("LD_STATUS_DEGRADE");

    // Start-up: the first rescan runs 1.0 s after launch.
    ASSERT_TRUE(processUntil([&] { return device() == nameOfEnclosure && status() == healthy; },
                             kRescanDelay + kMargin))
        << device().toStdString() << " / " << status().toStdString();
    EXPECT_EQ(widget<QComboBox>("picker")->currentText(), "Norvik Duo");
    EXPECT_EQ(widget<QLabel>("disks")->text(), "0, 1");
    EXPECT_EQ(shownIcon(), "icon_healthcheck_ok");
    EXPECT_FALSE(widget<QPushButton>("rebuildButton")->isEnabled());
    screenshot("healthy-mirror");

    sim({"unplug"});
    ASSERT_TRUE(
        processUntil([&] { return device() == "No devices found"; }, kRescanDelay + kMargin));
    EXPECT_FALSE(widget<QComboBox>("picker")->isEnabled());
    EXPECT_EQ(shownIcon(), "icon_healthcheck_wrong");
    EXPECT_FALSE(widget<QPushButton>("configButton")->isEnabled());
    screenshot("no-devices");

    sim({"plug"});
    ASSERT_TRUE(processUntil([&] { return device() == nameOfEnclosure && status() == healthy; },
                             kRescanDelay + kMargin));

    sim({"pull", "1"});
    ASSERT_TRUE(processUntil([&] { return status() == degraded; }, kUpdateDelay + kMargin))
        << status().toStdString();
    EXPECT_EQ(shownIcon(), "icon_healthcheck_warning");
    EXPECT_EQ(widget<QLabel>("disks")->text(), "0");
    screenshot("degraded-mirror");

    sim({"insert", "1"});
    auto* rebuild = widget<QPushButton>("rebuildButton");
    // The new disk is listed once the update after its arrival ran.
    ASSERT_TRUE(processUntil([&] { return widget<QComboBox>("picker")->count() == 2; },
                             kUpdateDelay + kMargin));
    ASSERT_TRUE(rebuild->isVisible() && rebuild->isEnabled());
    EXPECT_EQ(status(), degraded) << "auto-rebuild is off: the rebuild waits for the person";

    // Through the window's own button and both warnings.
    answerAlerts({text("CONTINUE"), text("OK")});
    QTest::mouseClick(rebuild, Qt::LeftButton);
    ASSERT_EQ(alertsSeen.size(), 2);
    EXPECT_EQ(alertsSeen[0], text("WARNING1_REBUILD_TITLE"));
    // The replacement in slot 1 is named as the window names it.
    EXPECT_EQ(alertsSeen[1], text("WARNING2_REBUILD_TITLE").replace("%@", text("DISK_2")));

    const QRegularExpression rebuilding(
        "^" + QRegularExpression::escape(text("LD_STATUS_REBUILDING")) + R"( \(\d{1,3}%\)$)");
    ASSERT_TRUE(processUntil([&] { return rebuilding.match(status()).hasMatch(); }, kMargin))
        << status().toStdString();
    EXPECT_EQ(shownText(*rebuild), shownText("CANCEL"));
    EXPECT_TRUE(rebuild->isEnabled());
    EXPECT_EQ(shownIcon(), "icon_healthcheck_ok");
    // Half-way through, choosing the volume again shows the progress made.
    sim({"advance", "1"});
    const QString before = status();
    emit widget<QComboBox>("picker")->activated(0);
    EXPECT_TRUE(rebuilding.match(status()).hasMatch()) << status().toStdString();
    EXPECT_NE(status(), before);
    screenshot("rebuilding");

    // The texts follow on the refresh timer's next tick after the rebuild ends.
    ASSERT_TRUE(processUntil([&] { return status() == healthy; },
                             kRebuildSeconds * 1000 + kRefreshInterval + kMargin))
        << status().toStdString();
    EXPECT_EQ(shownText(*rebuild), shownText("REBUILD"));
    EXPECT_FALSE(rebuild->isEnabled());
}

TEST_F(EndToEnd, TheConfigurationSheetOpensOnTheWindowAndCancelCloses) {
    auto* configure = widget<QPushButton>("configButton");
    ASSERT_TRUE(processUntil([&] { return configure->isEnabled(); }, kRescanDelay + kMargin));

    QTest::mouseClick(configure, Qt::LeftButton);
    QDialog* sheet = frontEnd->sheet();
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->parentWidget(), frontEnd->mainWindow());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(widget<QLineEdit>("name")->text(), text("DEFAULTNAME"));
    EXPECT_TRUE(widget<QPushButton>("cancelButton")->isDefault());
    screenshot("configuration-sheet", sheet);

    QTest::keyClicks(widget<QLineEdit>("name"), " with a much longer name");
    EXPECT_EQ(widget<QLineEdit>("name")->text().size(), 15);

    QTest::mouseClick(widget<QPushButton>("cancelButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(frontEnd->mainWindow()->isVisible());
}

}  // namespace
}  // namespace frontend
