// Mirrors an ImageView into a QLabel showing a pixmap. An image whose file
// is missing or cannot be decoded shows as an empty label.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/controls/image_view.h"

class QLabel;

namespace frontend {

class ImageViewBinding : public QObject {
  public:
    ImageViewBinding(std::shared_ptr<platform::ImageView> view, QLabel* label);

  private:
    void mirror();

    std::shared_ptr<platform::ImageView> view_;
    QPointer<QLabel> label_;
    platform::Observation observation_;
    std::shared_ptr<platform::Image> shown_;
};

}  // namespace frontend
