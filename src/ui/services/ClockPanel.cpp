#include "ui/services/ClockPanel.h"

#include "components/Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace sr5n {

namespace {

QToolButton *flatButton(const QString &name, const QString &hint, const QIcon &icon,
                        QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
    button->setAutoRaise(true);
    return button;
}

} // namespace

ClockPanel::ClockPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlCurrentTime"));
    auto *label = new QLabel(
        QStringLiteral("Текущее время коммуникатора (читается и записывается отдельно):"), this);
    label->setObjectName(QStringLiteral("lblCurrentTime"));

    dtpCurrentTime = new QTimeEdit(this);
    dtpCurrentTime->setObjectName(QStringLiteral("dtpCurrentTime"));
    dtpCurrentTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    dtpCurrentTime->setTime(QTime(0, 0, 0));
    dtpCurrentTime->setFixedWidth(90);
    label->setBuddy(dtpCurrentTime);
    dtpCurrentTime->setAccessibleName(label->text().chopped(1));

    sbtCurrentTimeRead =
        flatButton(QStringLiteral("sbtCurrentTimeRead"),
                   QStringLiteral("Прочитать текущее время коммуникатора"), Icons::read(), this);
    sbtCurrentTimeWrite =
        flatButton(QStringLiteral("sbtCurrentTimeWrite"),
                   QStringLiteral("Записать текущее время коммуникатора"), Icons::write(), this);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(dtpCurrentTime);
    row->addWidget(sbtCurrentTimeRead);
    row->addWidget(sbtCurrentTimeWrite);
    row->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(label);
    layout->addLayout(row);
}

} // namespace sr5n
