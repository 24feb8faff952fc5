#include "frontend/qt/front_end.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <iostream>
#include <map>

#include "frontend/qt/application_binding.h"
#include "frontend/qt/button_binding.h"
#include "frontend/qt/guarded.h"
#include "frontend/qt/image_view_binding.h"
#include "frontend/qt/label_binding.h"
#include "frontend/qt/line_edit_binding.h"
#include "frontend/qt/matrix_binding.h"
#include "frontend/qt/pop_up_binding.h"
#include "frontend/qt/window_binding.h"
#include "ui_ConfigurationSheet.h"
#include "ui_MainWindow.h"

namespace frontend {

namespace {

template <class Control>
std::shared_ptr<Control> as(const platform::ObjectPtr& control) {
    return std::dynamic_pointer_cast<Control>(control);
}

}  // namespace

FrontEnd::FrontEnd(const MainInterface& ui,
                   platform::Application& application,
                   platform::RunLoop& loop)
    : application_(application), previousPresenter_(application.alertPresenter()) {
    translator_ = std::make_unique<BundleTranslator>();
    QCoreApplication::installTranslator(translator_.get());
    window_ = std::make_unique<QWidget>();
    Ui::MainWindow().setupUi(window_.get());
    // A child of the main window, so that it is modal to it alone.
    sheet_ = new QDialog(window_.get());
    Ui::ConfigurationSheet().setupUi(sheet_);
    if (auto* group = outlet<QButtonGroup>(QStringLiteral("raidPicker"))) {
        assignIdsFromTags(*group);
    }

    // Push buttons by the cell they show, for the windows' default buttons.
    auto buttons = std::make_shared<std::map<const platform::ButtonCell*, QPointer<QPushButton>>>();
    for (const auto& [name, control] : ui.outlets()) {
        if (auto button = as<platform::Button>(control)) {
            (*buttons)[button->cell().get()] = outlet<QPushButton>(QString::fromStdString(name));
        }
    }
    buttonForCell_ = [buttons](const platform::ButtonCell* cell) -> QPushButton* {
        auto it = buttons->find(cell);
        return it == buttons->end() ? nullptr : it->second.data();
    };

    for (const auto& [name, control] : ui.outlets()) {
        bind(name, control, ui);
    }
    for (const auto& name : unbound_) {
        std::cerr << "norvik-raid-utility: the interface files have no widget for outlet \"" << name
                  << "\"\n";
    }

    // The device list is where a keyboard user starts.
    if (auto* devicePicker = outlet<QWidget>(QStringLiteral("devicePicker"))) {
        devicePicker->setFocus(Qt::OtherFocusReason);
    }
    addShortcuts(ui.window);

    new ApplicationBinding(application_, window_.get());
    presenter_ = std::make_shared<MessageBoxPresenter>(window_.get());
    application_.setAlertPresenter(presenter_);
    driver_ = std::make_unique<RunLoopDriver>(loop);
}

FrontEnd::~FrontEnd() {
    if (application_.alertPresenter() == presenter_) {
        application_.setAlertPresenter(previousPresenter_);
    }
    driver_.reset();
    window_.reset();
    QCoreApplication::removeTranslator(translator_.get());
}

void FrontEnd::addShortcuts(const std::shared_ptr<platform::Window>& window) {
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window_.get());
    quit->setContext(Qt::ApplicationShortcut);
    QObject::connect(quit, &QShortcut::activated, window_.get(), [this] {
        guarded("Ctrl+Q", [this] { application_.terminate(nullptr); });
    });
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), window_.get());
    std::weak_ptr<platform::Window> weakWindow = window;
    QObject::connect(close, &QShortcut::activated, window_.get(), [weakWindow] {
        guarded("Ctrl+W", [&] {
            if (auto w = weakWindow.lock()) {
                w->close();
            }
        });
    });
}

QObject* FrontEnd::outlet(const QString& name) const {
    if (window_->objectName() == name) {
        return window_.get();
    }
    return window_->findChild<QObject*>(name);
}

void FrontEnd::bind(const std::string& name,
                    const platform::ObjectPtr& control,
                    const MainInterface& ui) {
    QObject* widget = outlet(QString::fromStdString(name));
    const auto& buttonForCell = buttonForCell_;

    bool bound = true;
    if (auto panel = as<platform::Panel>(control); panel && qobject_cast<QDialog*>(widget)) {
        auto cancel = ui.cancelButton;
        auto* binding =
            new SheetBinding(panel, static_cast<QWidget*>(widget), buttonForCell, [cancel] {
                if (cancel) {
                    cancel->performClick();
                }
            });
        binding->refresh();
    } else if (auto window = as<platform::Window>(control);
               window && widget && widget->isWidgetType()) {
        (new WindowBinding(window, static_cast<QWidget*>(widget), buttonForCell))->refresh();
    } else if (auto popUp = as<platform::PopUpButton>(control);
               popUp && qobject_cast<QComboBox*>(widget)) {
        new PopUpBinding(popUp, static_cast<QComboBox*>(widget));
    } else if (auto button = as<platform::Button>(control);
               button && qobject_cast<QAbstractButton*>(widget)) {
        new ButtonBinding(button, static_cast<QAbstractButton*>(widget));
    } else if (auto field = as<platform::TextField>(control);
               field && qobject_cast<QLineEdit*>(widget)) {
        new LineEditBinding(field, static_cast<QLineEdit*>(widget));
    } else if (field && qobject_cast<QLabel*>(widget)) {
        new LabelBinding(field, static_cast<QLabel*>(widget));
    } else if (auto matrix = as<platform::Matrix>(control);
               matrix && qobject_cast<QButtonGroup*>(widget)) {
        new MatrixBinding(matrix, static_cast<QButtonGroup*>(widget));
    } else if (auto image = as<platform::ImageView>(control);
               image && qobject_cast<QLabel*>(widget)) {
        new ImageViewBinding(image, static_cast<QLabel*>(widget));
    } else {
        bound = false;
    }
    if (!bound) {
        unbound_.push_back(name);
    }
}

}  // namespace frontend
