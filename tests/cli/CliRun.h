#pragma once

// Runs sr5n-cli (with the short test waits) as a user runs it from a shell.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace sr5n::test {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// `program` is "sr5n-cli-short" (short waits) or "sr5n-cli" (as shipped).
inline CliRun RunCli(const QStringList &arguments,
                     const QString &program = QStringLiteral("sr5n-cli-short"))
{
    QProcess process;
    process.start(QStringLiteral(SR5N_BIN_DIR "/") + program, arguments);
    CliRun run;
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A copy of the installation data (name lists, protocol library) in a
// folder of its own, so that a test may register protocols.
inline QString CopyInstallationData(const QTemporaryDir &folder)
{
    const QDir bin(QStringLiteral(SR5N_BIN_DIR));
    const QString data = folder.filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    for (const QString &name : bin.entryList({QStringLiteral("*.bin")}, QDir::Files))
        QFile::copy(bin.filePath(name), data + u'/' + name);
    return data;
}

// A code table of the JSON form given whole, as an import needs it: `count`
// rows numbered from `first`, each with the keys `rows` gives for its number.
inline QJsonArray WholeTable(int count, int first = 1, const QMap<int, QJsonObject> &rows = {})
{
    QJsonArray table;
    for (int number = first; number < first + count; ++number) {
        QJsonObject row = rows.value(number);
        row.insert(QStringLiteral("№"), QString::number(number));
        table.append(row);
    }
    return table;
}

} // namespace sr5n::test
