// Mirrors a Matrix of radio cells into a QButtonGroup whose button ids are
// the cells' tags: the selected cell, each cell's title and enabled state,
// and the matrix's enabled state. The person's pick goes back as the
// matrix's user selection, which sends its action.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/controls/matrix.h"

class QButtonGroup;
class QAbstractButton;

namespace frontend {

class MatrixBinding : public QObject {
  public:
    MatrixBinding(std::shared_ptr<platform::Matrix> matrix, QButtonGroup* group);

  private:
    void mirror();
    void picked(int id);
    int cellIndexForTag(int tag) const;

    std::shared_ptr<platform::Matrix> matrix_;
    QPointer<QButtonGroup> group_;
    platform::Observation observation_;
    std::vector<platform::Observation> cellObservations_;
};

// Gives each button of the group the id held in its "tag" property (the
// interface file's way of naming the layout code a button stands for).
void assignIdsFromTags(QButtonGroup& group);

}  // namespace frontend
