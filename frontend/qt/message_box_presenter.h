// Shows alerts as QMessageBoxes: the buttons in the order added, the first
// the default (and what Escape or the close box answers), the icon after the
// alert's style. The application has put the run loop in modal-panel mode
// around present(); the box's nested Qt loop keeps it running meanwhile.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/controls/alert_presenter.h"

namespace frontend {

class MessageBoxPresenter : public platform::AlertPresenter {
  public:
    // Boxes are centred on `parent` when it is shown.
    explicit MessageBoxPresenter(QWidget* parent = nullptr) : parent_(parent) {}

    platform::ModalResponse present(const platform::Alert& alert) override;
    void abort() override;

    // The box being shown (the innermost one), for tests.
    QMessageBox* currentBox() const;

  private:
    QPointer<QWidget> parent_;
    std::vector<QPointer<QMessageBox>> open_;
};

}  // namespace frontend
