#pragma once

#include <memory>
#include <string>

#include "platform/controls/image.h"
#include "platform/controls/observable.h"

namespace platform {

class ImageView : public Observable {
  public:
    static std::shared_ptr<ImageView> create();

    // Null when no image was set.
    const std::shared_ptr<Image>& image() const { return image_; }
    void setImage(std::shared_ptr<Image> image);

    // What the image says, in words: shown on hover and read by screen readers.
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string text);

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);

  protected:
    ImageView() = default;

  private:
    std::shared_ptr<Image> image_;
    std::string toolTip_;
    bool hidden_ = false;
};

}  // namespace platform
