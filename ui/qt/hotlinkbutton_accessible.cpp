// The picture button as assistive technology sees it: a push button named by
// its hint, whose press action runs its click.
#include "ui/qt/hotlinkbutton.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <mutex>

namespace ornavox {

namespace {

class HotlinkbuttonAccessible : public QAccessibleWidget {
public:
    explicit HotlinkbuttonAccessible(Thotlinkbutton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return button()->hint();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction())
            button()->click();
    }

private:
    Thotlinkbutton* button() const { return static_cast<Thotlinkbutton*>(widget()); }
};

QAccessibleInterface* hotlinkbutton_accessible(const QString& class_name, QObject* object)
{
    if (class_name == QLatin1String(Thotlinkbutton::staticMetaObject.className()) && object && object->isWidgetType())
        return new HotlinkbuttonAccessible(static_cast<Thotlinkbutton*>(object));
    return nullptr;
}

} // namespace

void install_hotlinkbutton_accessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(hotlinkbutton_accessible); });
}

} // namespace ornavox
