// sr5n-cli --trace: the trace of the line into a file a port, or onto
// standard error as it happens, against sr5n-sim.
#include "cli/CliRun.h"
#include "common/SimProcess.h"

#include "common/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace sr5n;
using test::RunCli;

namespace {

QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(TraceOption, SeveralPortsWriteOneFileEach)
{
    QTemporaryDir folder;
    std::vector<std::unique_ptr<test::SimProcess>> sims;
    QStringList arguments{QStringLiteral("read"),
                          QStringLiteral("-o"),
                          folder.filePath(QStringLiteral("cfg-{port}.snc")),
                          QStringLiteral("--trace"),
                          folder.filePath(QStringLiteral("trace-{port}.txt")),
                          QStringLiteral("--no-catalog")};
    for (int i = 0; i < 3; ++i) {
        // The second device is silent: its trace says so, the others' say they read.
        sims.push_back(std::make_unique<test::SimProcess>(
            i == 1 ? QStringList{QStringLiteral("--quiet"), QStringLiteral("--silent"),
                                 QStringLiteral("all")}
                   : QStringList{QStringLiteral("--quiet"), QStringLiteral("--busy"),
                                 QStringLiteral("5")}));
        ASSERT_TRUE(sims.back()->started());
        arguments << QStringLiteral("--port") << sims.back()->path();
    }
    const test::CliRun run = RunCli(arguments);
    EXPECT_EQ(run.status, 3) << run.err.toStdString();
    for (int i = 0; i < 3; ++i) {
        const QString port = sims.at(i)->path();
        const QString trace = contents(
            folder.filePath(QStringLiteral("trace-%1.txt").arg(port.mid(5).replace(u'/', u'_'))));
        ASSERT_FALSE(trace.isEmpty()) << port.toStdString();
        const QStringList lines = trace.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.constFirst().startsWith(
            QStringLiteral("=== Чтение данных с коммуникатора · порт ") + port))
            << lines.constFirst().toStdString();
        // Only this port's lines in its file.
        for (const QString &line : lines.mid(1))
            EXPECT_TRUE(line.contains(QStringLiteral("  ") + port + QStringLiteral("  ")))
                << line.toStdString();
        if (i == 1) {
            EXPECT_EQ(trace.count(QStringLiteral("ТАЙМ-АУТ  нет ответа за 400 мс")), 7);
            EXPECT_TRUE(
                lines.constLast().contains(QStringLiteral("ИТОГ  Коммуникатор не отвечает.")))
                << lines.constLast().toStdString();
        } else {
            EXPECT_GT(trace.count(QStringLiteral("  →  :")), 858);
            EXPECT_EQ(trace.count(QStringLiteral("не принят: коммуникатор занят")), 1);
            EXPECT_TRUE(lines.constLast().endsWith(QStringLiteral("ИТОГ  успешно")));
        }
    }
}

TEST(TraceOption, DashTracesOntoStandardErrorAsItHappens)
{
    test::SimProcess sim(
        {QStringLiteral("--quiet"), QStringLiteral("--bad-checksum"), QStringLiteral("1")});
    ASSERT_TRUE(sim.started());
    const test::CliRun run = RunCli({QStringLiteral("clock"), QStringLiteral("--port"), sim.path(),
                                     QStringLiteral("--trace"), QStringLiteral("-")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(
        QStringLiteral("  →  :1162;  [3A 31 31 36 32 3B]  чтение часов (11), попытка 1 из 7")))
        << run.err.toStdString();
    EXPECT_TRUE(
        run.err.contains(QStringLiteral("ПОВТОР  попытка 2 из 7: неверная контрольная сумма")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("ИТОГ  успешно")));
    // The time on standard output stays alone there.
    EXPECT_FALSE(run.out.contains(QStringLiteral("→")));

    // Without --trace nothing is traced.
    const test::CliRun quiet =
        RunCli({QStringLiteral("clock"), QStringLiteral("--port"), sim.path()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_FALSE(quiet.err.contains(QStringLiteral("→"))) << quiet.err.toStdString();
}

TEST(TraceOption, ATraceThatCannotBeWrittenFailsTheCommand)
{
    test::SimProcess sim({QStringLiteral("--quiet")});
    ASSERT_TRUE(sim.started());
    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("no-such-folder/trace.txt"));
    const test::CliRun run = RunCli({QStringLiteral("clock"), QStringLiteral("--port"), sim.path(),
                                     QStringLiteral("--trace"), trace});
    EXPECT_EQ(run.status, 3) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Невозможно сохранить файл \"%1\"").arg(trace)))
        << run.err.toStdString();
}

} // namespace
