// The application entry, as the platform's application main loop does it:
// create the application, load the interface, create the one delegate over
// its outlets, and run until the application ends.
#include <QApplication>
#include <QIcon>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "backends/backend_choice.h"
#include "frontend/qt/command_line.h"
#include "frontend/qt/front_end.h"
#include "frontend/qt/termination_signals.h"
#include "platform/controls/application.h"
#include "platform/controls/bundle.h"
#include "platform/runloop/clock.h"
#include "platform/runloop/run_loop.h"
#include "ui/library_problem_alert.h"
#include "ui/main_interface.h"

namespace {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const auto path = platform::Bundle::mainBundle().pathForResource(
            "norvik-raid-utility-" + std::to_string(size), "png");
        if (path) {
            icon.addFile(QString::fromStdString(path->string()), QSize(size, size));
        }
    }
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    if (const auto status = frontend::answerInformationalOptions(argc, argv, std::cout)) {
        return *status;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool simulator = backends::takeSimulatorFlag(args);

    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Norvik RAID Utility"));
    QGuiApplication::setDesktopFileName(QStringLiteral("norvik-raid-utility"));
    QApplication::setWindowIcon(applicationIcon());
    // The application object decides when closing a window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::SystemClock clock;
    platform::RunLoop loop(clock);
    platform::Application& application = platform::Application::sharedApplication();
    // Before launching, so the enclosure is there when the delegate looks.
    const backends::Backends chosen =
        backends::chooseBackends(backends::BackendRequest::fromEnvironment(simulator), loop);
    if (!chosen.libraryProblem.empty()) {
        std::cerr << "norvik-raid-utility: " << chosen.libraryProblem << "\n";
    }

    MainInterface ui = MainInterface::build();
    auto delegate = AppDelegate::create(ui);
    application.setDelegate(delegate);

    frontend::FrontEnd frontEnd(ui, application, loop);
    frontend::handleTerminationSignals([&application] { application.terminate(nullptr); });

    ui.window->makeKeyAndOrderFront(nullptr);
    application.finishLaunching();
    alertLibraryProblem(chosen.libraryProblem);
    if (!application.isTerminated()) {
        QApplication::exec();
    }
    // Qt's loop may also end without the application (the session logging
    // out): the delegate's shut-down runs all the same.
    application.terminate(nullptr);
    return 0;
}
