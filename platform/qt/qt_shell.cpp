#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace ornavox {

void QtShell::open_file(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void QtShell::open_url(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace ornavox
