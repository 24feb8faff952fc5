#include "frontend/qt/pop_up_binding.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QStandardItemModel>

#include "frontend/qt/guarded.h"
#include "frontend/qt/qt_text.h"

namespace frontend {

PopUpBinding::PopUpBinding(std::shared_ptr<platform::PopUpButton> popUp, QComboBox* combo)
    : QObject(combo), popUp_(std::move(popUp)), combo_(combo) {
    mirrorItems();
    mirrorEnabled();
    observation_ = popUp_->observe([this](platform::Observable&, platform::Change what) {
        switch (what) {
            case platform::Change::Items:
                mirrorItems();
                break;
            case platform::Change::Selection:
                mirrorSelection();
                break;
            case platform::Change::Enabled:
                mirrorEnabled();
                break;
            default:
                break;
        }
    });
    connect(combo_, &QComboBox::activated, this,
            [this](int index) { guarded("pop-up selection", [&] { picked(index); }); });
    // The list that opens is a window of its own; its showing and hiding
    // bracket the tracking.
    popupContainer_ = combo_->view()->parentWidget();
    if (popupContainer_ != nullptr) {
        popupContainer_->installEventFilter(this);
    }
}

// A binding dies with its widget, from inside the widget's destructor: it
// must not touch the widget then. An open list's tracking ends with it.
PopUpBinding::~PopUpBinding() = default;

bool PopUpBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched == popupContainer_) {
        if (event->type() == QEvent::Show) {
            beginTracking();
        } else if (event->type() == QEvent::Hide) {
            endTracking();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PopUpBinding::beginTracking() {
    if (!tracking_ && platform::RunLoop::current() != nullptr) {
        tracking_.emplace(*platform::RunLoop::current(), platform::Mode::EventTracking);
    }
}

void PopUpBinding::endTracking() {
    tracking_.reset();
}

void PopUpBinding::mirrorItems() {
    if (!combo_) {
        return;
    }
    mirroring_ = true;
    itemObservations_.clear();
    combo_->clear();
    const auto& menu = popUp_->menu();
    if (menu) {
        auto* model = qobject_cast<QStandardItemModel*>(combo_->model());
        for (const auto& item : menu->items()) {
            combo_->addItem(toQString(item->title()));
            if (model != nullptr) {
                model->item(combo_->count() - 1)->setEnabled(item->isEnabled());
            }
            // An entry renamed or disabled in place: mirror the whole list
            // again, once the item has finished notifying (the mirroring
            // drops this very observer).
            itemObservations_.push_back(
                item->observe([this](platform::Observable&, platform::Change what) {
                    if (what == platform::Change::Title || what == platform::Change::Enabled) {
                        scheduleMirrorItems();
                    }
                }));
        }
    }
    mirroring_ = false;
    mirrorSelection();
}

void PopUpBinding::scheduleMirrorItems() {
    if (mirrorPending_) {
        return;
    }
    mirrorPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            mirrorPending_ = false;
            mirrorItems();
        },
        Qt::QueuedConnection);
}

void PopUpBinding::mirrorSelection() {
    if (!combo_) {
        return;
    }
    const int index = popUp_->indexOfSelectedItem();
    if (combo_->currentIndex() != index) {
        mirroring_ = true;
        combo_->setCurrentIndex(index);
        mirroring_ = false;
    }
}

void PopUpBinding::mirrorEnabled() {
    if (combo_) {
        combo_->setEnabled(popUp_->isEnabled());
    }
}

void PopUpBinding::picked(int index) {
    if (mirroring_) {
        return;
    }
    // The list has closed: the action runs in the mode that was current
    // before tracking began.
    endTracking();
    // Keep the pop-up alive even if the action replaces the interface's hold on it.
    auto popUp = popUp_;
    popUp->userSelectItemAtIndex(index);
    // A refused pick leaves the old selection; show it again.
    mirrorSelection();
}

}  // namespace frontend
