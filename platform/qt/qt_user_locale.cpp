#include "platform/qt/qt_user_locale.h"

#include <QLocale>

namespace ornavox {

std::string QtUserLocale::grouped(uint64_t count) const
{
    return QLocale().toString(static_cast<qulonglong>(count)).toStdString();
}

std::string QtUserLocale::shortest_decimal(double value) const
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest).toStdString();
}

std::string QtUserLocale::zero_digit() const
{
    return QLocale().zeroDigit().toStdString();
}

} // namespace ornavox
