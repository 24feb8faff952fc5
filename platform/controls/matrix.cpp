#include "platform/controls/matrix.h"

#include <utility>

#include "platform/controls/application.h"

namespace platform {

std::shared_ptr<Matrix> Matrix::create() {
    return std::shared_ptr<Matrix>(new Matrix());
}

std::shared_ptr<ButtonCell> Matrix::addCell(std::string title, int tag) {
    auto cell = ButtonCell::create(std::move(title), tag);
    cell->setControlView(weak_from_this());
    cells_.push_back(cell);
    notify(Change::Items);
    if (selectedIndex_ < 0) {
        selectedIndex_ = 0;
        notify(Change::Selection);
    }
    return cell;
}

std::shared_ptr<ButtonCell> Matrix::selectedCell() const {
    return selectedIndex_ < 0 ? nullptr : cells_[static_cast<std::size_t>(selectedIndex_)];
}

int Matrix::selectedTag() const {
    auto cell = selectedCell();
    return cell ? cell->tag() : -1;
}

bool Matrix::selectCellWithTag(int tag) {
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        if (cells_[i]->tag() == tag) {
            return selectCellAtIndex(static_cast<int>(i));
        }
    }
    return false;
}

bool Matrix::selectCellAtIndex(int index) {
    if (index < 0 || index >= static_cast<int>(cells_.size())) {
        return false;
    }
    if (index != selectedIndex_) {
        selectedIndex_ = index;
        notify(Change::Selection);
    }
    return true;
}

void Matrix::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        notify(Change::Enabled);
    }
}

bool Matrix::userSelectCellAtIndex(int index) {
    if (!enabled_ || index < 0 || index >= static_cast<int>(cells_.size()) ||
        !cells_[static_cast<std::size_t>(index)]->isEnabled()) {
        return false;
    }
    selectCellAtIndex(index);
    return sendAction(this);
}

}  // namespace platform
