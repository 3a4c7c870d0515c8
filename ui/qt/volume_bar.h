#pragma once

#include "ui/panel_layout.h"

#include <QSlider>

namespace ornavox {

// A horizontal track bar on the mixer's volume scale, ticks below the bar.
inline QSlider* new_volume_bar(QWidget* parent)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setRange(kVolumeScale.minimum, kVolumeScale.maximum);
    bar->setSingleStep(kVolumeScale.line_step);
    bar->setPageStep(kVolumeScale.page_step);
    bar->setTickInterval(kVolumeScale.tick_every);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

} // namespace ornavox
