#include "Shell/QtRecordingFolderPicker.hpp"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace Quillfen {
namespace {

namespace fs = std::filesystem;

QFileDialog* openDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (dialog && dialog->isVisible()) return dialog;
    }
    return nullptr;
}

class QtRecordingFolderPickerTest : public testing::Test {
protected:
    void open() {
        picker.pickFolder({"Choose Recording Folder", "New camera recordings will be saved here automatically.",
                           "Choose", fs::path(start.path().toStdString())},
                          [this](std::optional<fs::path> folder) {
                              ++answers;
                              answer = std::move(folder);
                          });
    }

    QTemporaryDir start;
    QtRecordingFolderPicker picker;
    int answers = 0;
    std::optional<fs::path> answer;
};

TEST_F(QtRecordingFolderPickerTest, ShowsAFolderDialogWithTheRequestedTexts) {
    open();
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Choose Recording Folder");
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Choose");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->directory().absolutePath(), start.path());
    auto* message = dialog->findChild<QLabel*>("recordingFolderMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), "New camera recordings will be saved here automatically.");
    dialog->reject();
}

TEST_F(QtRecordingFolderPickerTest, AnswersOnceWithTheFolderOrWithNothingOnCancel) {
    open();
    QFileDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(answer);

    QTemporaryDir chosen;
    open();
    dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(chosen.path());
    static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept is not public
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(answer, fs::path(chosen.path().toStdString()));
}

}  // namespace
}  // namespace Quillfen
