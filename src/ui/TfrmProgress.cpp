#include "ui/TfrmProgress.h"

#include "components/Icons.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sr5n {

namespace {

QLabel *iconLabel(const QIcon &icon, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(icon.pixmap(24, 24));
    label->setFixedSize(24, 24);
    return label;
}

} // namespace

TfrmProgress::TfrmProgress(QWidget *mainWindow)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmProgress"));
    setModal(false);
    setFixedSize(352, 46);

    imgRead = iconLabel(Icons::read(), this);
    imgRead->setObjectName(QStringLiteral("imgRead"));
    imgWrite = iconLabel(Icons::write(), this);
    imgWrite->setObjectName(QStringLiteral("imgWrite"));
    imgLog = iconLabel(Icons::log(), this);
    imgLog->setObjectName(QStringLiteral("imgLog"));

    prbProgress = new QProgressBar(this);
    prbProgress->setObjectName(QStringLiteral("prbProgress"));
    prbProgress->setMinimum(0);
    prbProgress->setTextVisible(false);
    prbProgress->setFixedHeight(18);

    lblPercent = new QLabel(QStringLiteral("0%"), this);
    lblPercent->setObjectName(QStringLiteral("lblPercent"));
    lblPercent->setFixedWidth(36);
    lblPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setFixedSize(75, 25);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::btnCancelClick);

    auto *icons = new QHBoxLayout;
    icons->setContentsMargins(0, 0, 0, 0);
    icons->addWidget(imgRead);
    icons->addWidget(imgWrite);
    icons->addWidget(imgLog);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(8);
    row->addLayout(icons);
    row->addWidget(prbProgress, 1);
    row->addWidget(lblPercent);
    row->addWidget(btnCancel);
}

QString TfrmProgress::captionForMode(int mode)
{
    switch (mode) {
    case ModeWrite:
        return QStringLiteral("  Запись данных в коммуникатор");
    case ModeLog:
        return QStringLiteral("  Чтение журналов событий");
    default:
        return QStringLiteral("  Чтение данных с коммуникатора");
    }
}

QString TfrmProgress::percentText(int position, int maximum)
{
    const int percent = maximum > 0 ? static_cast<int>(qint64(position) * 100 / maximum) : 0;
    return QString::number(percent) + u'%';
}

void TfrmProgress::setMaximum(int maximum)
{
    prbProgress->setMaximum(maximum);
}

void TfrmProgress::begin(Kind kind, int maximum)
{
    Mode = static_cast<int>(kind);
    setMaximum(maximum);
    showProgress();
}

void TfrmProgress::Step()
{
    prbProgress->setValue(std::min(prbProgress->value() + 1, prbProgress->maximum()));
    lblPercent->setText(percentText(prbProgress->value(), prbProgress->maximum()));
}

void TfrmProgress::showProgress()
{
    FormShow();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
}

void TfrmProgress::FormShow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    prbProgress->setValue(prbProgress->minimum());
    lblPercent->setText(QStringLiteral("0%"));
    Tag = 1;
    const int mode = (Mode == ModeWrite || Mode == ModeLog) ? Mode : ModeRead;
    imgRead->setVisible(mode == ModeRead);
    imgWrite->setVisible(mode == ModeWrite);
    imgLog->setVisible(mode == ModeLog);
    setWindowTitle(captionForMode(mode));
}

void TfrmProgress::closeProgress()
{
    FormClose();
    hide();
}

void TfrmProgress::FormClose()
{
    if (Tag == 0)
        return;
    Tag = 0;
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void TfrmProgress::btnCancelClick()
{
    if (m_cancel)
        m_cancel();
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
    closeProgress();
}

void TfrmProgress::closeEvent(QCloseEvent *event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TfrmProgress::reject()
{
    // Escape acts as the Cancel button.
    btnCancelClick();
}

} // namespace sr5n
