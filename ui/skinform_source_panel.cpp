// The mixer panel: the record source group and the playback rows, over the
// mixer component.
#include "ui/skinform.h"

#include "platform/qt/qt_one_shot_timer.h"
#include "ui/throttled_write.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace ornavox {

namespace {

constexpr std::chrono::milliseconds kLevelWriteInterval{50};
constexpr int kRowHeight = 16;

} // namespace

void TskinForm::wire_mixer()
{
    mixer->onmixeropen = [this](const std::vector<line>& lines, const std::vector<control>& ctls) {
        mixermixeropen(lines, ctls);
    };
    mixer->onvolumechange = [this](uint32_t sort, uint32_t volume) { mixervolumechange(sort, volume); };
    mixer->onmutechange = [this](uint32_t sort, uint32_t mute) { mixermutechange(sort, mute); };
    // Several changes of the sound system come together (a new sink brings
    // its monitor source): one rebuild answers them all.
    mixer->onlineschange = [this](tmixer*) {
        if (rebuild_pending_)
            return;
        rebuild_pending_ = true;
        QTimer::singleShot(0, this, [this] { rebuild_mixer_panel(); });
    };

    connect(ComboBox1, &QComboBox::activated, this, until_closed([this] { ComboBox1Change(ControlId::ComboBox1); }));
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            until_closed([this] { ComboBox1Change(ControlId::ComboBox1); }));
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    connect(SpeedButton3, &QPushButton::clicked, this,
            until_closed([this] { SpeedButton3Click(ControlId::SpeedButton3); }));
    record_level_write_ = std::make_unique<ThrottledWrite>(
        [this](int value) { mixer->setvolume(kRecordLevel, static_cast<uint32_t>(value)); }, kLevelWriteInterval,
        std::make_unique<QtOneShotTimer>());
    connect(TrackBar1, &QSlider::valueChanged, this, until_closed([this] { TrackBar1Change(ControlId::TrackBar1); }));
}

void TskinForm::open_mixer()
{
    mixer->open();
}

int32_t TskinForm::autodetect_source()
{
    return mixer->autodetect();
}

void TskinForm::close_mixer()
{
    mixer->close();
}

void TskinForm::mixermixeropen(const std::vector<line>& record_lines, const std::vector<control>& playback_ctls)
{
    // The box's text and selection stay as they are, although a box that
    // gets its first item selects it.
    const int selected = ComboBox1->currentIndex();
    const QString text = ComboBox1->currentText();
    for (const line& l : record_lines)
        if (l.control_count > 0)
            ComboBox1->addItem(QString::fromStdString(l.name));
    if (selected < 0) {
        ComboBox1->setCurrentIndex(-1);
        ComboBox1->setEditText(text);
    }

    QWidget* rows = ScrollBox1->widget();
    for (size_t n = 0; n < playback_ctls.size(); ++n) {
        const QString name = QString::fromStdString(playback_ctls[n].name);
        const int top = kRowHeight * static_cast<int>(n);

        auto* box = new QCheckBox(rows);
        box->setObjectName(QStringLiteral("mute%1").arg(n));
        box->setLayoutDirection(Qt::RightToLeft); // the name stands left of the box
        box->setGeometry(6, top, 113, 17);
        // A long name loses its end, not its beginning.
        const int room = 113 - box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) - 8;
        box->setText(box->fontMetrics().elidedText(name, Qt::ElideRight, room));
        box->setToolTip(QStringLiteral("Mute ") + name);
        box->setProperty("tag", static_cast<int>(n));
        connect(box, &QCheckBox::toggled, this, until_closed([this, n] {
                    mutechange({ControlId::MuteBox, static_cast<int>(n)});
                }));
        box->show();

        auto* bar = new QSlider(Qt::Horizontal, rows);
        bar->setObjectName(QStringLiteral("volume%1").arg(n));
        bar->setGeometry(123, top, 196, 17);
        bar->setRange(0, 65535);
        bar->setSingleStep(256);
        bar->setPageStep(4096);
        bar->setTickInterval(4096);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setToolTip(QStringLiteral("Volume %1 :").arg(n) + name);
        bar->setProperty("tag", static_cast<int>(n));
        connect(bar, &QSlider::valueChanged, this, until_closed([this, n] {
                    volumechange({ControlId::VolumeBar, static_cast<int>(n)});
                }));
        bar->show();

        MuteBoxes.push_back(box);
        VolumeBars.push_back(bar);
        row_writes_.push_back(std::make_unique<ThrottledWrite>(
            [this, n](int value) { mixer->setvolume(static_cast<uint32_t>(n), static_cast<uint32_t>(value)); },
            kLevelWriteInterval, std::make_unique<QtOneShotTimer>()));
    }
    // Taller than the box: it scrolls.
    rows->setMinimumSize(123 + 196, kRowHeight * static_cast<int>(playback_ctls.size()) + 1);
}

void TskinForm::mixervolumechange(uint32_t control_sort, uint32_t volume)
{
    QSlider* bar = nullptr;
    if (control_sort == kRecordLevel)
        bar = TrackBar1;
    else if (control_sort < VolumeBars.size())
        bar = VolumeBars[control_sort];
    // A thumb the user holds stays where the user has it.
    if (bar && !bar->isSliderDown())
        bar->setValue(static_cast<int>(std::min<uint32_t>(volume, 65535)));
}

void TskinForm::mixermutechange(uint32_t control_sort, uint32_t mute)
{
    if (control_sort < MuteBoxes.size())
        MuteBoxes[control_sort]->setChecked(mute == 1);
}

void TskinForm::TrackBar1Change(Control)
{
    if (!rebuilding_mixer_)
        record_level_write_->set(TrackBar1->value());
}

void TskinForm::volumechange(Control Sender)
{
    const int row = Sender.row;
    if (!rebuilding_mixer_ && row >= 0 && static_cast<size_t>(row) < row_writes_.size())
        row_writes_[row]->set(VolumeBars[row]->value());
}

void TskinForm::mutechange(Control Sender)
{
    const int row = Sender.row;
    if (!rebuilding_mixer_ && row >= 0 && static_cast<size_t>(row) < MuteBoxes.size())
        mixer->setmute(static_cast<uint32_t>(row), MuteBoxes[row]->isChecked() ? 1 : 0);
}

// The item the list's text stands for: the selected one while the text is
// its name, else one whose name was typed; -1 for text that names none.
int32_t TskinForm::chosen_list_item() const
{
    const int current = ComboBox1->currentIndex();
    if (current >= 0 && ComboBox1->itemText(current) == ComboBox1->currentText())
        return current;
    return ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly);
}

// Reads the radio buttons and the list back, shows the source, keeps the
// choice in the settings and selects it on the mixer.
void TskinForm::source_routine()
{
    const int32_t kind = line_kind();
    if (kind == 0)
        source_index_ = std::max(chosen_list_item(), 0);
    show_source(kind);
    program.Settings.write_integer("audio", "audioline", kind);
    program.Settings.write_integer("audio", "source", source_index_);
    select_source_on_mixer(kind, source_index_);
}

// Which radio button chose the source; a later test overrides an earlier one.
int32_t TskinForm::line_kind() const
{
    int32_t kind = 0;
    if (RadioButton1->isChecked())
        kind = 1;
    if (RadioButton2->isChecked())
        kind = 2;
    if (RadioButton3->isChecked())
        kind = 3;
    if (RadioButton4->isChecked())
        kind = 0;
    return kind;
}

QString source_label_text(int32_t line_kind, const QString& list_text)
{
    static const char* const kSourceNames[] = {nullptr, "Line In", "Microphone", "CD audio"};
    return QStringLiteral("Record source->")
        + (line_kind == 0 ? list_text : QString::fromLatin1(kSourceNames[line_kind]));
}

void TskinForm::show_source(int32_t line_kind)
{
    Label6->setText(source_label_text(line_kind, ComboBox1->currentText()));
}

void TskinForm::select_source_on_mixer(int32_t line_kind, int32_t source_index)
{
    mixer->select_mux(line_kind, source_index);
}

void TskinForm::RadioButton1Click(Control)
{
    source_routine();
}

void TskinForm::ComboBox1Change(Control)
{
    source_routine();
}

void TskinForm::ComboBox1Enter(Control)
{
    RadioButton4->setChecked(true);
}

void TskinForm::SpeedButton3Click(Control)
{
    const int32_t detected = mixer->autodetect();
    if (detected >= 0 && detected < ComboBox1->count()) {
        const QSignalBlocker quiet(ComboBox1);
        ComboBox1->setCurrentIndex(detected);
    }
    source_routine();
}

// The sound system's sources or playback streams changed, or it came back:
// the panel is built again as at open, showing what the mixer reads and
// writing none of it back. The chosen source stays chosen where it still
// exists; where it is gone, nothing takes its place, and a recording from it
// fails. A server that was missing at start-up gets the start-up's choice.
void TskinForm::rebuild_mixer_panel()
{
    rebuild_pending_ = false;
    rebuilding_mixer_ = true;
    for (QCheckBox* box : MuteBoxes)
        delete box;
    for (QSlider* bar : VolumeBars)
        delete bar;
    MuteBoxes.clear();
    VolumeBars.clear();
    row_writes_.clear();
    int32_t chosen = -1;
    {
        const QSignalBlocker quiet(ComboBox1);
        const QString shown = ComboBox1->currentText();
        ComboBox1->clear();
        ComboBox1->setEditText(shown);
        mixer->open();
        chosen = mixer->selected_line();
        if (chosen >= 0 && chosen < ComboBox1->count() && !source_restore_pending_)
            ComboBox1->setCurrentIndex(chosen);
    }
    if (source_restore_pending_ && mixer->is_open()) {
        source_restore_pending_ = false;
        restore_source();
    } else if (chosen >= 0 && !source_restore_pending_) {
        hold_chosen_source(chosen);
    }
    rebuilding_mixer_ = false;
}

// The chosen source, perhaps at another place in the list now: its level is
// read again and its new place stored. It is selected on the mixer already.
void TskinForm::hold_chosen_source(int32_t chosen)
{
    const int32_t kind = line_kind();
    if (kind == 0) {
        source_index_ = chosen;
        program.Settings.write_integer("audio", "source", source_index_);
        show_source(kind);
    }
    mixer->select_mux(0, chosen);
}

} // namespace ornavox
