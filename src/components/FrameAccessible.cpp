#include "components/FrameAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace sr5n {

namespace {

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    // Dialogs, main windows and the toolkit's own windows have roles of theirs.
    if (widget && widget->isWindow() &&
        widget->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallFrameAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace sr5n
