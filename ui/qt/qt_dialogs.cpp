#include "ui/qt/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace ornavox {

namespace {

// Qt's save dialog returns whatever name is in the box, the initial "*.mp3"
// included, and takes a path into a folder that does not exist. This one keeps
// the user in the dialog in both cases, so the recording is never pointed at a
// wildcard name or at a file that cannot be created.
class SaveFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.first());
            const QString name = chosen.fileName();
            if (name.contains(u'*') || name.contains(u'?')) {
                // A typed pattern picks the list entry with that mask.
                for (const QString& filter : nameFilters()) {
                    if (filter.endsWith(u'(' + name + u')'))
                        selectNameFilter(filter);
                }
                return;
            }
            if (!chosen.isDir() && !chosen.dir().exists()) {
                QMessageBox::warning(
                    this, windowTitle(),
                    tr("The folder %1 does not exist.").arg(QDir::toNativeSeparators(chosen.absolutePath())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

QtDialogs::QtDialogs(QWidget* parent) : parent_(parent)
{
}

Dialogs::Answer QtDialogs::ask_yes_no(const std::string& caption, const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    // Left to itself the box takes Escape and its close button for No. A
    // hidden button takes them instead, so that they answer nothing.
    QPushButton* unanswered = box.addButton(QMessageBox::Cancel);
    unanswered->hide();
    box.setEscapeButton(unanswered);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes))
        return Answer::Yes;
    if (box.clickedButton() == box.button(QMessageBox::No))
        return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtDialogs::get_save_file_name(const SaveFileOptions& options)
{
    SaveFileDialog dialog(parent_);
    // Qt's own dialog: the platform one ignores several of the settings below.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setSizeGripEnabled(true);
    dialog.setFilter(dialog.filter() | QDir::Hidden);

    QStringList filters;
    for (const auto& [name, mask] : options.filters)
        filters << QString::fromStdString(name + " (" + mask + ")");
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(options.default_suffix));

    dialog.setDirectory(QString::fromStdString(options.initial_dir));
    dialog.selectFile(QString::fromStdString(options.initial_name));

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first().toStdString();
}

} // namespace ornavox
