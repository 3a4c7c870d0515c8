#include "ui/qt/level_meter_widget.h"

#include <QPainter>

namespace ornavox {

LevelMeterWidget::LevelMeterWidget(const MeterBox& box, QWidget* parent) : QWidget(parent)
{
    setGeometry(box.left, box.top, box.width, box.height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Level meter"));
}

void LevelMeterWidget::show_reading(const MeterReading& reading)
{
    if (reading == reading_)
        return;
    reading_ = reading;
    update();
}

void LevelMeterWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const MeterRect& r : meter_picture(reading_, width(), height()))
        painter.fillRect(r.left, r.top, r.width, r.height, QColor::fromRgb(r.colour));
}

} // namespace ornavox
