#pragma once

#include <QSlider>

namespace ornavox {

// A horizontal track bar on the mixer's volume scale: 0 to 65535, arrow-key
// step 256, page step 4096, a tick every 4096 below the bar.
inline QSlider* new_volume_bar(QWidget* parent)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setRange(0, 65535);
    bar->setSingleStep(256);
    bar->setPageStep(4096);
    bar->setTickInterval(4096);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

} // namespace ornavox
