#include "ui/TfrmProgress.h"

#include "components/Icons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace sr5n {

namespace {

QLabel *iconLabel(const QIcon &icon, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(icon.pixmap(24, 24));
    label->setFixedSize(24, 24);
    return label;
}

// Any mode but the known ones is shown as reading.
int shownMode(int mode)
{
    switch (mode) {
    case TfrmProgress::ModeWrite:
    case TfrmProgress::ModeLog:
    case TfrmProgress::ModeSearch:
        return mode;
    default:
        return TfrmProgress::ModeRead;
    }
}

} // namespace

TfrmProgress::TfrmProgress(QWidget *mainWindow)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmProgress"));
    if (m_mainWindow)
        m_mainWindow->window()->installEventFilter(this);
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
    // Enter presses it while it has the focus, as Space does.
    btnCancel->setAutoDefault(true);
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
    return OperationProgress::caption(static_cast<OperationProgress::Kind>(mode));
}

QString TfrmProgress::percentText(int position, int maximum)
{
    return OperationProgress::percentText(position, maximum);
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
    keepAboveMainWindow();
    show();
    raise();
    // Active at once, so that Escape cancels without a click on the window first.
    activateWindow();
    btnCancel->setFocus(Qt::ActiveWindowFocusReason);
}

bool TfrmProgress::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the disabled main window makes the desktop activate it; the
    // keyboard goes on to the window that can take it, so Escape still cancels.
    if (event->type() == QEvent::WindowActivate && Tag == 1 && isVisible() && m_mainWindow &&
        watched == m_mainWindow->window()) {
        QTimer::singleShot(0, this, [this] {
            if (Tag != 1 || !isVisible())
                return;
            QWidget *modal = QApplication::activeModalWidget();
            (modal ? modal : this)->activateWindow();
        });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmProgress::keepAboveMainWindow()
{
    // A window of the main window for the desktop: kept above it, so that a
    // click on the disabled main window never hides the progress and its
    // Cancel. Only the native windows are tied: a child widget would be
    // disabled with the main window.
    if (!m_mainWindow)
        return;
    QWidget *main = m_mainWindow->window();
    main->winId();
    winId();
    if (windowHandle() && windowHandle()->transientParent() != main->windowHandle())
        windowHandle()->setTransientParent(main->windowHandle());
}

void TfrmProgress::FormShow()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    prbProgress->setValue(prbProgress->minimum());
    lblPercent->setText(QStringLiteral("0%"));
    Tag = 1;
    const int mode = shownMode(Mode);
    // The search asks each port for the clock: the reading picture.
    imgRead->setVisible(mode == ModeRead || mode == ModeSearch);
    imgWrite->setVisible(mode == ModeWrite);
    imgLog->setVisible(mode == ModeLog);
    setWindowTitle(captionForMode(mode));
    prbProgress->setAccessibleName(captionForMode(mode).trimmed());
}

void TfrmProgress::setStage(const QString &stage)
{
    const QString caption = captionForMode(shownMode(Mode));
    setWindowTitle(stage.isEmpty() ? caption : caption + QStringLiteral(": ") + stage);
    prbProgress->setAccessibleDescription(stage);
}

void TfrmProgress::closeProgress()
{
    const bool hadKeyboard = isActiveWindow();
    FormClose();
    hide();
    // The keyboard goes back to the main window, enabled again.
    if (hadKeyboard && m_mainWindow && m_mainWindow->isEnabled())
        m_mainWindow->window()->activateWindow();
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
