#include "ui/skinform.h"

#include "ui/hotkey_edit.h"
#include "ui/hotlinkbutton.h"
#include "ui/throttled_write.h"

#include <QCloseEvent>
#include <QTimer>

#include <chrono>

namespace ornavox {

namespace {

// Where no paint comes (a window that starts hidden, a platform without a
// screen), start-up does not wait for one longer than this.
constexpr std::chrono::milliseconds kStartWithoutPaint{250};

} // namespace

// The first frame needs only the skin: everything else waits until it is on
// the screen, so that neither the sound server nor the panels hold it back.
TskinForm::TskinForm(SkinFormServices services, QWidget* parent) : QWidget(parent), services_(std::move(services))
{
    build_skin();
    wire_handlers();
    FormCreate(ControlId::skinForm);
    autosize_labels();
    QTimer::singleShot(kStartWithoutPaint, this, [this] { finish_start(); });
}

TskinForm::~TskinForm() = default;

// close() from the quit button, the menu or the window system all end here;
// the close sequence must run once even when a second close arrives while the
// first one waits for the recording to finish.
void TskinForm::closeEvent(QCloseEvent* e)
{
    if (!closed_) {
        closed_ = true;
        FormClose(ControlId::skinForm);
    }
    e->accept();
}

// The frame is handed to the window system once every widget has painted:
// a call queued now runs after that.
void TskinForm::paintEvent(QPaintEvent* e)
{
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [this] {
            emit first_painted();
            finish_start();
        });
    }
    QWidget::paintEvent(e);
}

} // namespace ornavox
