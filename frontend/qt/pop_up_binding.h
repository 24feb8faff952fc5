// Mirrors a PopUpButton into a QComboBox: its entries, their enabled state,
// the selection and the enabled state. A pick by the person goes back as the
// pop-up's user selection, which sends the entry's action. While the list is
// open the run loop runs in event-tracking mode.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

#include "platform/controls/pop_up_button.h"
#include "platform/runloop/run_loop.h"

class QComboBox;

namespace frontend {

class PopUpBinding : public QObject {
  public:
    PopUpBinding(std::shared_ptr<platform::PopUpButton> popUp, QComboBox* combo);
    ~PopUpBinding() override;

    bool isTracking() const { return tracking_.has_value(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void mirrorItems();
    void scheduleMirrorItems();
    void mirrorSelection();
    void mirrorEnabled();
    void picked(int index);
    void beginTracking();
    void endTracking();

    std::shared_ptr<platform::PopUpButton> popUp_;
    QPointer<QComboBox> combo_;
    QObject* popupContainer_ = nullptr;
    platform::Observation observation_;
    std::vector<platform::Observation> itemObservations_;
    std::optional<platform::RunLoop::ModeScope> tracking_;
    bool mirroring_ = false;
    bool mirrorPending_ = false;
};

}  // namespace frontend
