#include <gtest/gtest.h>

#include "platform/controls/application.h"
#include "platform/controls/button.h"
#include "platform/controls/matrix.h"
#include "platform/controls/window.h"
#include "recorder.h"

namespace platform {
namespace {

using testing::Recorder;

class ButtonsAndMatrixTest : public ::testing::Test {
  protected:
    ScopedApplication app;
    std::shared_ptr<Recorder> target = std::make_shared<Recorder>();
};

TEST_F(ButtonsAndMatrixTest, MatrixTagsSelectionAndUserPick) {
    auto matrix = Matrix::create();
    EXPECT_EQ(matrix->selectedCell(), nullptr);
    EXPECT_EQ(matrix->selectedTag(), -1);
    matrix->addCell("RAID 0", 1);
    matrix->addCell("RAID 1", 2);
    matrix->addCell("Individual", 3);
    matrix->setTarget(target);
    matrix->setAction(Recorder::selector("configureMatrixAction:"));
    EXPECT_EQ(matrix->selectedTag(), 1);  // the first cell is selected from the start

    EXPECT_TRUE(matrix->selectCellWithTag(3));
    EXPECT_EQ(matrix->selectedCell()->title(), "Individual");
    EXPECT_FALSE(matrix->selectCellWithTag(7));
    EXPECT_EQ(matrix->selectedTag(), 3);
    EXPECT_TRUE(target->actions.empty());  // selecting from the program sends nothing

    EXPECT_TRUE(matrix->userSelectCellAtIndex(1));
    EXPECT_EQ(matrix->selectedTag(), 2);
    EXPECT_EQ(target->actions, std::vector<std::string>{"configureMatrixAction:"});
    EXPECT_EQ(target->senders[0], matrix.get());

    matrix->cells()[0]->setEnabled(false);
    EXPECT_FALSE(matrix->userSelectCellAtIndex(0));
    EXPECT_FALSE(matrix->userSelectCellAtIndex(3));
    EXPECT_EQ(matrix->selectedTag(), 2);
}

TEST_F(ButtonsAndMatrixTest, ClickSendsTheActionUnlessDisabledOrHidden) {
    auto button = Button::create("Configure");
    button->setTarget(target);
    button->setAction(Recorder::selector("configureDevice:"));
    std::vector<Change> changes;
    auto watch = button->observe([&](Observable&, Change c) { changes.push_back(c); });

    EXPECT_TRUE(button->performClick());
    button->setEnabled(false);
    EXPECT_FALSE(button->performClick());
    button->setEnabled(true);
    button->setHidden(true);
    EXPECT_FALSE(button->performClick());
    button->setTitle("Cancel");

    EXPECT_EQ(target->actions.size(), 1u);
    EXPECT_EQ(target->senders[0], button.get());
    EXPECT_EQ(changes, (std::vector<Change>{Change::Enabled, Change::Enabled, Change::Hidden,
                                            Change::Title}));
}

TEST_F(ButtonsAndMatrixTest, ReturnOnAPanelClicksItsDefaultButtonCell) {
    auto sheet = Panel::create();
    auto cancel = Button::create("Cancel");
    cancel->setTarget(target);
    cancel->setAction(Recorder::selector("doCancel:"));
    EXPECT_FALSE(sheet->performDefaultButtonClick());
    sheet->setDefaultButtonCell(cancel->cell());
    EXPECT_TRUE(sheet->performDefaultButtonClick());
    EXPECT_EQ(target->actions, std::vector<std::string>{"doCancel:"});
    EXPECT_EQ(target->senders[0], cancel.get());
}

TEST(Observable, ObserversStopWithTheirObservationEvenDuringANotification) {
    auto window = Window::create();
    int first = 0;
    int second = 0;
    Observation secondWatch;
    auto firstWatch = window->observe([&](Observable&, Change) {
        ++first;
        secondWatch.reset();
    });
    secondWatch = window->observe([&](Observable&, Change) { ++second; });
    window->setTitle("Norvik");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_FALSE(secondWatch.active());
    {
        Observation moved = std::move(firstWatch);
        EXPECT_TRUE(moved.active());
    }
    window->setTitle("again");
    EXPECT_EQ(first, 1);
    window.reset();  // an Observation may outlive its control
    Observation late;
    late.reset();
}

}  // namespace
}  // namespace platform
