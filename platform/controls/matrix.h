// A column of radio cells, each with a tag; exactly one is selected once
// there is any.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/button_cell.h"
#include "platform/controls/observable.h"
#include "platform/controls/target_action.h"

namespace platform {

class Matrix : public Observable, public TargetAction {
  public:
    static std::shared_ptr<Matrix> create();

    // The first cell added becomes the selected one.
    std::shared_ptr<ButtonCell> addCell(std::string title, int tag);
    const std::vector<std::shared_ptr<ButtonCell>>& cells() const { return cells_; }

    // Null / -1 when the matrix has no cells.
    std::shared_ptr<ButtonCell> selectedCell() const;
    int selectedTag() const;
    int selectedIndex() const { return selectedIndex_; }

    // From the program; nothing is sent. False (selection unchanged) when no
    // cell carries the tag / the index is out of range.
    bool selectCellWithTag(int tag);
    bool selectCellAtIndex(int index);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The user picked cell `index`: selects it and sends the matrix's action
    // with the matrix as sender. Ignored when the matrix or the cell is
    // disabled or the index is out of range. Returns whether it was sent.
    bool userSelectCellAtIndex(int index);

  protected:
    Matrix() = default;

  private:
    std::vector<std::shared_ptr<ButtonCell>> cells_;
    int selectedIndex_ = -1;
    bool enabled_ = true;
};

}  // namespace platform
