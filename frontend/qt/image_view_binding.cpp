#include "frontend/qt/image_view_binding.h"

#include <QLabel>
#include <QPixmap>

namespace frontend {

ImageViewBinding::ImageViewBinding(std::shared_ptr<platform::ImageView> view, QLabel* label)
    : QObject(label), view_(std::move(view)), label_(label) {
    label_->setAlignment(Qt::AlignCenter);
    mirror();
    observation_ = view_->observe([this](platform::Observable&, platform::Change) { mirror(); });
}

void ImageViewBinding::mirror() {
    if (!label_) {
        return;
    }
    label_->setHidden(view_->isHidden());
    const QString words = QString::fromStdString(view_->toolTip());
    label_->setToolTip(words);
    // The picture alone says nothing to a screen reader.
    label_->setAccessibleName(words);
    const auto& image = view_->image();
    if (image == shown_) {
        return;
    }
    shown_ = image;
    QPixmap pixmap;
    if (image && !image->isEmpty()) {
        const auto& bytes = image->data();
        pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
    }
    if (pixmap.isNull()) {
        label_->clear();
        return;
    }
    // Drawn for the label's size with a little room around it, so the icon
    // reads the same whatever size its file was drawn at.
    // (The label may not be laid out yet: its minimum size is what the
    // interface file fixed it to.)
    QSize box = label_->minimumSize();
    if (box.isEmpty()) {
        box = QSize(56, 56);
    }
    const int side = std::max(16, std::min(box.width(), box.height()) - 8);
    const qreal ratio = label_->devicePixelRatioF();
    QPixmap scaled =
        pixmap.scaled(QSize(side, side) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    label_->setPixmap(scaled);
}

}  // namespace frontend
