#include "platform/qt/qt_message_sink.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace ornavox {

QtMessageSink::QtMessageSink(QWidget* parent) : parent_(parent)
{
}

void QtMessageSink::show_message(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace ornavox
