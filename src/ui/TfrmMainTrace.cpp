// The main window's part of the trace of the line: the journal kept from the
// start, «Сервис» → «Журнал обмена…» and the support file of «Справка».
#include "app/Configurator.h"
#include "app/SupportInfo.h"
#include "link/LineJournal.h"
#include "link/TConnection.h"
#include "ui/PortSelector.h"
#include "ui/TfrmLineTrace.h"
#include "ui/TfrmMain.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QSaveFile>

namespace sr5n {

void TfrmMain::createTraceCommands()
{
    // The window keeps the trace of the last operations from the start, so
    // that the journal shows an operation that failed before it was opened.
    m_lineJournal = new LineJournal(this);
    m_lineJournal->setObjectName(QStringLiteral("lineJournal"));
    m_app.connection().setTrace(m_lineJournal);

    pumService->addSeparator();
    pumLineTrace = pumService->addAction(QStringLiteral("Журнал обмена..."));
    pumLineTrace->setObjectName(QStringLiteral("pumLineTrace"));
    addAction(pumLineTrace);
    connect(pumLineTrace, &QAction::triggered, this, &TfrmMain::lineTraceClick);

    pumHelp->addSeparator();
    pumSupportInfo =
        pumHelp->addAction(QStringLiteral("Сохранить сведения для обращения в поддержку..."));
    pumSupportInfo->setObjectName(QStringLiteral("pumSupportInfo"));
    addAction(pumSupportInfo);
    connect(pumSupportInfo, &QAction::triggered, this, &TfrmMain::saveSupportInfoClick);
}

void TfrmMain::lineTraceClick()
{
    if (!m_lineTraceWindow) {
        // A window of its own, not a child: the main window is disabled
        // while a device operation runs, and the journal must stay usable.
        auto window = std::make_unique<TfrmLineTrace>(*m_lineJournal, m_messageBoxes);
        window->setWindowIcon(windowIcon());
        window->move(frameGeometry().topRight() + QPoint(8, 0));
        m_lineTraceWindow = std::move(window);
    }
    m_lineTraceWindow->show();
    m_lineTraceWindow->raise();
    m_lineTraceWindow->activateWindow();
}

void TfrmMain::saveSupportInfoClick()
{
    using Folder = FileDialogFolders::Dialog;
    QFileDialog dialog(this, QStringLiteral("Сохранение сведений для обращения в поддержку"),
                       m_folders.startFolder(Folder::Export));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Текстовые файлы (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(
        QStringLiteral("Сведения для поддержки %1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"))));
    if (ExecFileDialog(dialog, m_dialogHost, m_folders, Folder::Export) != QDialog::Accepted ||
        dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();

    SupportInfo info = SupportInfo::of(m_app);
    info.ports = m_ports.choices();
    info.portField = cbxComPort->currentText();
    info.traces = m_lineJournal->text();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(info.text().toUtf8()) < 0 || !file.commit())
        m_app.notifier().reportFailure(
            QStringLiteral("Невозможно сохранить сведения для поддержки в файл \"%1\": %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace sr5n
