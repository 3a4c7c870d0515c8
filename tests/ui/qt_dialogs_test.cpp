#include "platform/qt/qt_message_sink.h"
#include "ui/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace ornavox {
namespace {

void close_modal_boxes()
{
    // Hiding ends a dialog's exec() even where close() is refused (a message
    // box without an Escape button).
    while (QWidget* modal = QApplication::activeModalWidget())
        modal->hide();
}

// Runs act on the next visible top-level widget of type T that was not there
// when this was called, from a timer of the event loop the modal box spins.
// If none ever shows, or act fails the test, every modal box is closed so the
// test ends instead of hanging.
template <typename T>
void when_shown(std::function<void(T*)> act)
{
    QList<QPointer<QWidget>> before;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            before << widget;
    }
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, before, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* found = qobject_cast<T*>(widget);
            if (found && found->isVisible() && !before.contains(widget)) {
                timer->stop();
                timer->deleteLater();
                act(found);
                if (::testing::Test::HasFailure())
                    close_modal_boxes();
                return;
            }
        }
        if (++*tries == 1000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "expected a " << T::staticMetaObject.className() << " to open";
            close_modal_boxes();
        }
    });
    timer->start(10);
}

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Question;
    QMessageBox::StandardButtons buttons;
};

// The standard buttons the user can see.
ShownBox read_box(QMessageBox* box)
{
    QMessageBox::StandardButtons visible;
    for (QAbstractButton* button : box->buttons())
        if (button->isVisible())
            visible |= box->standardButton(button);
    return {box->windowTitle(), box->text(), box->icon(), visible};
}

TEST(QtMessageSink, ShowsAPlainBoxTitledWithTheProgramName)
{
    ShownBox shown;
    when_shown<QMessageBox>([&](QMessageBox* box) {
        shown = read_box(box);
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageSink sink;
    sink.show_message("Unkonw error");

    EXPECT_EQ(shown.title, QStringLiteral("Ornavox"));
    EXPECT_EQ(shown.text, QStringLiteral("Unkonw error"));
    EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
    EXPECT_EQ(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(QtDialogs, AsksYesOrNoWithTheGivenCaptionAndText)
{
    QtDialogs dialogs(nullptr);
    for (const auto& [button, answer] :
         {std::pair{QMessageBox::Yes, Dialogs::Answer::Yes}, std::pair{QMessageBox::No, Dialogs::Answer::No}}) {
        ShownBox shown;
        when_shown<QMessageBox>([&, button = button](QMessageBox* box) {
            shown = read_box(box);
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.ask_yes_no("MP3 File already exists", "Append to exists file or save to new file?"), answer);
        EXPECT_EQ(shown.title, QStringLiteral("MP3 File already exists"));
        EXPECT_EQ(shown.text, QStringLiteral("Append to exists file or save to new file?"));
        EXPECT_EQ(shown.icon, QMessageBox::NoIcon);
        EXPECT_EQ(shown.buttons, QMessageBox::Yes | QMessageBox::No);
    }
}

// Escape and the box's close button answer neither Yes nor No.
TEST(QtDialogs, AQuestionPutAwayIsAnsweredByNeither)
{
    QtDialogs dialogs(nullptr);
    when_shown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.ask_yes_no("MP3 File already exists", "Append to exists file or save to new file?"),
              Dialogs::Answer::Cancel);
    when_shown<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(dialogs.ask_yes_no("MP3 File already exists", "Append to exists file or save to new file?"),
              Dialogs::Answer::Cancel);
}

// What the user does: types into the file name box and presses Save.
void type_and_save(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_TRUE(edit && buttons);
    edit->setText(name);
    QAbstractButton* save = buttons->button(QDialogButtonBox::Save);
    ASSERT_TRUE(save && save->isEnabled()) << "Save is not enabled for " << name.toStdString();
    save->click();
}

class SaveDialog : public ::testing::Test {
protected:
    SaveDialog()
    {
        options.initial_dir = folder() + "/";
        options.initial_name = "*.mp3";
        options.default_suffix = "mp3";
        options.filters = {{"MP3 files", "*.mp3"}, {"Wave files", "*.wav"}, {"Raw files", "*.raw"}};
    }

    std::string folder() const { return dir.path().toStdString(); }

    void write_file(const QString& name, const QByteArray& content)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir dir;
    QtDialogs dialogs{nullptr};
    Dialogs::SaveFileOptions options;
};

TEST_F(SaveDialog, OpensWithTheGivenSettingsAndCancelGivesNothing)
{
    bool checked = false;
    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->directory().absolutePath(), dir.path());
        EXPECT_EQ(dialog->nameFilters(), QStringList({"MP3 files (*.mp3)", "Wave files (*.wav)", "Raw files (*.raw)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("MP3 files (*.mp3)"));
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("mp3"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dialog->filter().testFlag(QDir::Hidden));
        EXPECT_TRUE(dialog->isSizeGripEnabled());
        EXPECT_TRUE(dialog->isModal());
        checked = true;
        dialog->reject();
    });
    EXPECT_EQ(dialogs.get_save_file_name(options), std::nullopt);
    EXPECT_TRUE(checked);
}

TEST_F(SaveDialog, AddsTheDefaultSuffixToATypedName)
{
    when_shown<QFileDialog>([](QFileDialog* dialog) { type_and_save(dialog, QStringLiteral("take1")); });
    EXPECT_EQ(dialogs.get_save_file_name(options), folder() + "/take1.mp3");
}

TEST_F(SaveDialog, AsksBeforeReplacingAnExistingFile)
{
    write_file(QStringLiteral("old.mp3"), "recorded");
    QString question;
    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        when_shown<QMessageBox>([&, dialog](QMessageBox* box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
            // Declining leaves the dialog open for another choice.
            EXPECT_TRUE(dialog->isVisible());
            dialog->reject();
        });
        type_and_save(dialog, QStringLiteral("old.mp3"));
    });
    EXPECT_EQ(dialogs.get_save_file_name(options), std::nullopt);
    EXPECT_TRUE(question.contains(QStringLiteral("old.mp3"))) << question.toStdString();

    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        when_shown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        type_and_save(dialog, QStringLiteral("old.mp3"));
    });
    EXPECT_EQ(dialogs.get_save_file_name(options), folder() + "/old.mp3");
}

TEST_F(SaveDialog, RefusesAFileInAFolderThatDoesNotExist)
{
    const QString missing = dir.filePath(QStringLiteral("missing/take.mp3"));
    QString error;
    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        when_shown<QMessageBox>([&, dialog](QMessageBox* box) {
            error = box->text();
            box->button(QMessageBox::Ok)->click();
            EXPECT_TRUE(dialog->isVisible());
            dialog->reject();
        });
        type_and_save(dialog, missing);
    });
    EXPECT_EQ(dialogs.get_save_file_name(options), std::nullopt);
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist"))) << error.toStdString();
}

TEST_F(SaveDialog, APatternInTheNameBoxIsNoFileName)
{
    QString filter_after_pattern;
    when_shown<QFileDialog>([&](QFileDialog* dialog) {
        // The box opens holding "*.mp3"; Save must not return it as a file.
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_TRUE(buttons);
        buttons->button(QDialogButtonBox::Save)->click();
        ASSERT_TRUE(dialog->isVisible());
        type_and_save(dialog, QStringLiteral("*.wav"));
        ASSERT_TRUE(dialog->isVisible());
        filter_after_pattern = dialog->selectedNameFilter();
        type_and_save(dialog, QStringLiteral("take"));
    });
    EXPECT_EQ(dialogs.get_save_file_name(options), folder() + "/take.mp3");
    EXPECT_EQ(filter_after_pattern, QStringLiteral("Wave files (*.wav)"));
}

} // namespace
} // namespace ornavox
