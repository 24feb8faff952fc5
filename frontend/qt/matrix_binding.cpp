#include "frontend/qt/matrix_binding.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QVariant>

#include "frontend/qt/guarded.h"
#include "frontend/qt/qt_text.h"

namespace frontend {

void assignIdsFromTags(QButtonGroup& group) {
    for (QAbstractButton* button : group.buttons()) {
        bool ok = false;
        const int tag = button->property("tag").toInt(&ok);
        if (ok) {
            group.setId(button, tag);
        }
    }
}

MatrixBinding::MatrixBinding(std::shared_ptr<platform::Matrix> matrix, QButtonGroup* group)
    : QObject(group), matrix_(std::move(matrix)), group_(group) {
    group_->setExclusive(true);
    mirror();
    observation_ = matrix_->observe([this](platform::Observable&, platform::Change) { mirror(); });
    for (const auto& cell : matrix_->cells()) {
        cellObservations_.push_back(
            cell->observe([this](platform::Observable&, platform::Change) { mirror(); }));
    }
    connect(group_, &QButtonGroup::idClicked, this,
            [this](int id) { guarded("matrix selection", [&] { picked(id); }); });
}

int MatrixBinding::cellIndexForTag(int tag) const {
    const auto& cells = matrix_->cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i]->tag() == tag) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void MatrixBinding::mirror() {
    if (!group_) {
        return;
    }
    const int selectedTag = matrix_->selectedTag();
    for (QAbstractButton* button : group_->buttons()) {
        const int index = cellIndexForTag(group_->id(button));
        if (index < 0) {
            // No cell stands behind this button: it cannot be chosen.
            button->setEnabled(false);
            continue;
        }
        const auto& cell = matrix_->cells()[static_cast<std::size_t>(index)];
        if (!cell->title().empty()) {
            button->setText(mnemonicText(cell->title()));
        }
        button->setEnabled(matrix_->isEnabled() && cell->isEnabled());
        const bool selected = cell->tag() == selectedTag;
        if (button->isChecked() != selected) {
            button->setChecked(selected);
        }
    }
}

void MatrixBinding::picked(int id) {
    auto matrix = matrix_;
    const int index = cellIndexForTag(id);
    if (index >= 0) {
        matrix->userSelectCellAtIndex(index);
    }
    // A refused pick: the radio buttons show the matrix's selection again.
    mirror();
}

}  // namespace frontend
