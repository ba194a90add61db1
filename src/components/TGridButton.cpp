#include "components/TGridButton.h"

#include <QMouseEvent>

namespace sr5n {

TGridButton::TGridButton(QWidget *parent) : QPushButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void TGridButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit pressedWith(event->button());
}

void TGridButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

} // namespace sr5n
