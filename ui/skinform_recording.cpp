#include "ui/skinform.h"

namespace ornavox {

void TskinForm::hotlinkbutton3Click(QObject*) {}

void TskinForm::hotlinkbutton4Click(QObject*)
{
    if (audiorec1->state == 1)
        audiorec1->stop();
}

void TskinForm::hotlinkbutton10Click(QObject*) {}

void TskinForm::ComboBox2Change(QObject*) {}

void TskinForm::SpeedButton1Click(QObject*) {}

void TskinForm::Timer1Timer(QObject*) {}

void TskinForm::hotlinkbutton1Click(QObject*) {}

} // namespace ornavox
