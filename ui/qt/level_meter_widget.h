#pragma once

#include "ui/meter_layout.h"

#include <QWidget>

namespace ornavox {

// A level meter as the window's description draws it. It takes no pointer
// events: a press on it reaches what lies below (the skin's drag area).
// GUI thread.
class LevelMeterWidget : public QWidget {
public:
    LevelMeterWidget(const MeterBox& box, QWidget* parent);
    void show_reading(const MeterReading& reading);
    const MeterReading& reading() const { return reading_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    MeterReading reading_;
};

} // namespace ornavox
