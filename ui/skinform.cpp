#include "ui/skinform.h"

#include "ui/hotkey_edit.h"
#include "ui/hotlinkbutton.h"

#include <QCloseEvent>

namespace ornavox {

TskinForm::TskinForm(SkinFormServices services, QWidget* parent) : QWidget(parent), services_(std::move(services))
{
    build_layout();
    wire_handlers();
    FormCreate(this);
    autosize_labels();
}

TskinForm::~TskinForm() = default;

// close() from the quit button, the menu or the window system all end here;
// the close sequence must run once even when a second close arrives while the
// first one waits for the recording to finish.
void TskinForm::closeEvent(QCloseEvent* e)
{
    if (!closed_) {
        closed_ = true;
        FormClose(this);
    }
    e->accept();
}

} // namespace ornavox
