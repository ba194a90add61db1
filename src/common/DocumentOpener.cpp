#include "common/DocumentOpener.h"

#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace sr5n {

DocumentOpener::DocumentOpener(QObject *parent) : QObject(parent) {}

DocumentOpener::~DocumentOpener()
{
    // An opener still waiting for its viewer is ended; the viewer it
    // started is a process of its own and stays open.
    for (QProcess *process : findChildren<QProcess *>()) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
}

void DocumentOpener::open(const QString &path, std::function<void()> failed)
{
    const QString opener = QStandardPaths::findExecutable(program());
    if (opener.isEmpty()) {
        failed();
        return;
    }
    auto *process = new QProcess(this);
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    // xdg-open ends with a non-zero status when no handler exists or the
    // handler fails; it may also run as long as the viewer does.
    auto report = std::make_shared<std::function<void()>>(std::move(failed));
    connect(process, &QProcess::finished, this,
            [process, report](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                if (status != QProcess::NormalExit || exitCode != 0)
                    (*report)();
            });
    connect(process, &QProcess::errorOccurred, this,
            [process, report](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart) {
                    process->deleteLater();
                    (*report)();
                }
            });
    process->start();
}

} // namespace sr5n
