#pragma once

#include <memory>

#include "platform/controls/image.h"
#include "platform/controls/observable.h"

namespace platform {

class ImageView : public Observable {
  public:
    static std::shared_ptr<ImageView> create();

    // Null when no image was set.
    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image);

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

  protected:
    ImageView() = default;

  private:
    std::shared_ptr<Image> image_;
    bool hidden_ = false;
};

}  // namespace platform
