// The bindings both ways: what the application sets shows in the widget,
// and what the person does reaches the control as its action.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include "frontend/qt/button_binding.h"
#include "frontend/qt/image_view_binding.h"
#include "frontend/qt/label_binding.h"
#include "frontend/qt/line_edit_binding.h"
#include "frontend/qt/matrix_binding.h"
#include "frontend/qt/pop_up_binding.h"
#include "frontend_test_support.h"
#include "platform/controls/application.h"
#include "platform/runloop/clock.h"
#include "ui/qd_plain_text_formatter.h"

namespace frontend {
namespace {

using platform::Mode;
using testing::ActionRecorder;

class BindingTest : public ::testing::Test {
  protected:
    platform::ScopedApplication application;
    platform::ManualClock clock;
    platform::RunLoop loop{clock};
    std::shared_ptr<ActionRecorder> recorder = std::make_shared<ActionRecorder>();
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);

    template <class W>
    W* add() {
        auto* widget = new W;
        layout->addWidget(widget);
        return widget;
    }
};

// --- pop-up lists

class PopUpBindingTest : public BindingTest {
  protected:
    std::shared_ptr<platform::PopUpButton> popUp = platform::PopUpButton::create();
    QComboBox* combo = add<QComboBox>();

    std::shared_ptr<platform::Menu> menuOf(std::initializer_list<const char*> titles) {
        auto menu = platform::Menu::create("Volumes");
        for (const char* title : titles) {
            auto item = platform::MenuItem::create(title, ActionRecorder::action());
            item->setTarget(recorder);
            menu->addItem(item);
        }
        return menu;
    }
};

TEST_F(PopUpBindingTest, ShowsTheMenuTheApplicationGivesAndWhatItSelects) {
    new PopUpBinding(popUp, combo);
    popUp->setMenu(menuOf({"Norvik Duo", "Disk 1", "Disk 2"}));
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Norvik Duo");
    EXPECT_EQ(combo->itemText(2), "Disk 2");
    EXPECT_EQ(combo->currentIndex(), 0);

    popUp->selectItemAtIndex(2);
    EXPECT_EQ(combo->currentIndex(), 2);

    popUp->setEnabled(false);
    EXPECT_FALSE(combo->isEnabled());

    popUp->removeAllItems();
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(recorder->senders.empty()) << "the program's changes send nothing";
}

TEST_F(PopUpBindingTest, MirrorsTheStateItFindsAndEntriesChangedInPlace) {
    auto menu = menuOf({"No devices found", "Second"});
    menu->setAutoenablesItems(false);
    popUp->setMenu(menu);
    new PopUpBinding(popUp, combo);
    ASSERT_EQ(combo->count(), 2);

    menu->itemAtIndex(1)->setEnabled(false);
    menu->itemAtIndex(0)->setTitle("Renamed");
    testing::processPending();
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(model->item(1)->isEnabled());
    EXPECT_EQ(combo->itemText(0), "Renamed");
}

TEST_F(PopUpBindingTest, PickingAnEntrySendsItsActionWithTheEntryAsSender) {
    new PopUpBinding(popUp, combo);
    popUp->setMenu(menuOf({"First", "Second"}));
    window.show();
    combo->setFocus();

    QTest::keyClick(combo, Qt::Key_Down);

    ASSERT_EQ(recorder->senders.size(), 1u);
    EXPECT_EQ(recorder->senders[0], popUp->menu()->itemAtIndex(1).get());
    EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
}

TEST_F(PopUpBindingTest, AnOpenListTracksInEventTrackingModeAndThePickRunsAfterIt) {
    auto* binding = new PopUpBinding(popUp, combo);
    popUp->setMenu(menuOf({"First", "Second"}));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    combo->showPopup();
    EXPECT_TRUE(binding->isTracking());
    EXPECT_EQ(loop.currentMode(), Mode::EventTracking);

    QAbstractItemView* view = combo->view();
    const QRect second = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(testing::processUntil([&] { return !recorder->senders.empty(); }));

    EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
    EXPECT_EQ(recorder->modes.at(0), Mode::Default);
    EXPECT_FALSE(binding->isTracking());
    EXPECT_EQ(loop.currentMode(), Mode::Default);
}

TEST_F(PopUpBindingTest, ClosingTheListWithoutAPickSendsNothingAndEndsTracking) {
    new PopUpBinding(popUp, combo);
    popUp->setMenu(menuOf({"First", "Second"}));
    window.show();
    combo->showPopup();
    ASSERT_EQ(loop.currentMode(), Mode::EventTracking);
    combo->hidePopup();
    ASSERT_TRUE(testing::processUntil([&] { return loop.currentMode() == Mode::Default; }));
    EXPECT_TRUE(recorder->senders.empty());
}

// --- buttons and labels

TEST_F(BindingTest, ButtonShowsTitleStateAndSendsItsActionWhenClicked) {
    auto button = platform::Button::create("Rebuild");
    button->setTarget(recorder);
    button->setAction(ActionRecorder::action());
    auto* widget = add<QPushButton>();
    new ButtonBinding(button, widget);
    EXPECT_EQ(widget->text(), "Rebuild");

    QTest::mouseClick(widget, Qt::LeftButton);
    ASSERT_EQ(recorder->senders.size(), 1u);
    EXPECT_EQ(recorder->senders[0], button.get());

    button->setTitle("Save & Quit");
    EXPECT_EQ(widget->text(), "Save && Quit") << "an ampersand is shown, not a mnemonic";
    button->setEnabled(false);
    EXPECT_FALSE(widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(recorder->senders.size(), 1u);
    button->setHidden(true);
    EXPECT_TRUE(widget->isHidden());
}

TEST_F(BindingTest, LabelShowsTheFieldsTextAsPlainTextAndItsHiddenState) {
    auto field = platform::TextField::create("Healthy");
    auto* label = add<QLabel>();
    new LabelBinding(field, label);
    EXPECT_EQ(label->text(), "Healthy");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);

    field->setStringValue("<b>Rebuilding</b> (37%)");
    EXPECT_EQ(label->text(), "<b>Rebuilding</b> (37%)");
    field->setHidden(true);
    EXPECT_TRUE(label->isHidden());
    field->setHidden(false);
    EXPECT_FALSE(label->isHidden());
}

// --- the volume-name field

class NameFieldTest : public BindingTest {
  protected:
    std::shared_ptr<platform::TextField> field = platform::TextField::create();
    QLineEdit* edit = add<QLineEdit>();

    void SetUp() override {
        auto formatter = std::make_shared<QDPlainTextFormatter>();
        formatter->setMaxLength(15);
        field->setFormatter(formatter);
        new LineEditBinding(field, edit);
        window.show();
        edit->setFocus();
    }
};

struct TypingCase {
    const char* start;
    int selectionStart;
    int selectionLength;
    const char* typed;
    bool paste;
    const char* expected;
    int caret;
};

class NameFieldEdits : public NameFieldTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(NameFieldEdits, AreCutToFifteenCharacters) {
    const TypingCase& c = GetParam();
    field->setStringValue(c.start);
    if (c.selectionLength > 0) {
        edit->setSelection(c.selectionStart, c.selectionLength);
    } else {
        edit->setCursorPosition(c.selectionStart);
    }
    if (c.paste) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.typed));
        edit->paste();
    } else {
        QTest::keyClicks(edit, QString::fromUtf8(c.typed));
    }
    EXPECT_EQ(edit->text().toStdString(), c.expected);
    EXPECT_EQ(field->stringValue(), c.expected) << "the field holds what the widget shows";
    EXPECT_EQ(edit->cursorPosition(), c.caret);
}

INSTANTIATE_TEST_SUITE_P(
    Formatter,
    NameFieldEdits,
    ::testing::Values(TypingCase{"", 0, 0, "My mirrored backup disk", false, "My mirrored bac", 15},
                      TypingCase{"0123456789", 10, 0, "abcdefghij", true, "0123456789abcde", 15},
                      TypingCase{"ABCDEFGHIJKLMNO", 3, 3, "wxyz", false, "ABCwxyGHIJKLMNO", 6},
                      TypingCase{"ABCDEFGHIJKLMNO", 3, 3, "wxyz", true, "ABCwxyGHIJKLMNO", 6},
                      TypingCase{"ABCDEFGHIJKLMNO", 15, 0, "P", false, "ABCDEFGHIJKLMNO", 15},
                      TypingCase{"Norvik", 6, 0, " Duo", false, "Norvik Duo", 10}));

TEST_F(NameFieldTest, TextTheProgramSetsIsShownWhole) {
    field->setStringValue("A default name longer than fifteen");
    EXPECT_EQ(edit->text(), "A default name longer than fifteen");
    field->setEnabled(false);
    EXPECT_FALSE(edit->isEnabled());
}

TEST_F(NameFieldTest, AnEditOfAnOverlongTextLeavesFieldAndWidgetAgreeing) {
    field->setStringValue("A default name longer than fifteen");
    edit->setCursorPosition(edit->text().size());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(field->stringValue(), edit->text().toStdString());
    EXPECT_EQ(field->selectedRange().location, static_cast<std::size_t>(edit->cursorPosition()));
}

// --- the layout matrix

class MatrixBindingTest : public BindingTest {
  protected:
    std::shared_ptr<platform::Matrix> matrix = platform::Matrix::create();
    QButtonGroup* group = new QButtonGroup(&window);
    std::vector<QRadioButton*> radios;

    void SetUp() override {
        for (int tag : {1, 2, 3}) {
            auto* radio = add<QRadioButton>();
            radio->setProperty("tag", tag);
            group->addButton(radio);
            radios.push_back(radio);
        }
        assignIdsFromTags(*group);
        matrix->addCell("RAID 0", 1);
        matrix->addCell("RAID 1", 2);
        matrix->addCell("Individual disks", 3);
        matrix->setTarget(recorder);
        matrix->setAction(ActionRecorder::action());
        new MatrixBinding(matrix, group);
        window.show();
    }
};

TEST_F(MatrixBindingTest, ButtonIdsAreTheTagsAndTheSelectionShows) {
    EXPECT_EQ(group->id(radios[2]), 3);
    EXPECT_TRUE(radios[0]->isChecked());
    EXPECT_EQ(radios[1]->text(), "RAID 1");

    matrix->selectCellWithTag(3);
    EXPECT_TRUE(radios[2]->isChecked());
    EXPECT_FALSE(radios[0]->isChecked());
    EXPECT_TRUE(recorder->senders.empty());

    matrix->cells()[1]->setEnabled(false);
    EXPECT_FALSE(radios[1]->isEnabled());
}

TEST_F(MatrixBindingTest, PickingALayoutSelectsItsCellAndSendsTheMatrixAction) {
    QTest::mouseClick(radios[2], Qt::LeftButton);
    EXPECT_EQ(matrix->selectedTag(), 3);
    ASSERT_EQ(recorder->senders.size(), 1u);
    EXPECT_EQ(recorder->senders[0], matrix.get());

    matrix->setEnabled(false);
    EXPECT_FALSE(radios[0]->isEnabled());
}

// --- the health icon

TEST_F(BindingTest, ImageViewShowsTheImageFileAndNothingForAMissingOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("icon.png");
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(path));

    auto view = platform::ImageView::create();
    auto* label = add<QLabel>();
    label->setMinimumSize(56, 56);
    new ImageViewBinding(view, label);
    EXPECT_TRUE(label->pixmap().isNull());

    view->setImage(platform::Image::initWithContentsOfFile(path.toStdString()));
    ASSERT_FALSE(label->pixmap().isNull());
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), QSize(48, 48));

    view->setImage(
        platform::Image::initWithContentsOfFile(dir.filePath("missing.png").toStdString()));
    EXPECT_TRUE(label->pixmap().isNull());
}

}  // namespace
}  // namespace frontend
