#include "platform/controls/image_view.h"

#include <utility>

namespace platform {

std::shared_ptr<ImageView> ImageView::create() {
    return std::shared_ptr<ImageView>(new ImageView());
}

void ImageView::setImage(std::shared_ptr<Image> image) {
    image_ = std::move(image);
    notify(Change::Image);
}

void ImageView::setToolTip(std::string text) {
    if (text != toolTip_) {
        toolTip_ = std::move(text);
        notify(Change::ToolTip);
    }
}

void ImageView::setHidden(bool hidden) {
    if (hidden != hidden_) {
        hidden_ = hidden;
        notify(Change::Hidden);
    }
}

}  // namespace platform
