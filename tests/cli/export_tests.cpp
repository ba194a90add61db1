// The command line's export is the window's export of the same configuration.

#include "app/Configurator.h"
#include "cli/CliRun.h"
#include "common/FakeNotifier.h"
#include "ui/TfrmMain.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "common/QtPrinters.h"

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The line with the moment of export, the only one that may differ.
QByteArray withoutMoment(QByteArray page)
{
    const qsizetype start = page.indexOf("<H3>");
    const qsizetype end = page.indexOf("</H3>");
    if (start >= 0 && end > start)
        page.remove(start, end - start);
    return page;
}

TEST(CliExport, SamePageAsTheWindowsExportApartFromTheMoment)
{
    QTemporaryDir folder;
    const QString json = folder.filePath(QStringLiteral("c.json"));
    QFile file(json);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Markup in no text, but every kind of value and table shown.
    QJsonObject form =
        QJsonDocument::fromJson(R"json({"chb1P1N": true, "edt1P1N": "8123A4567", "chb1PTest": true,
                   "dtp1PTestStart": "09:30", "chb2P2N": true, "edt2P2N": "4951234567",
                   "chbLineCheck": true, "dtpLineTestPeriod": "12:00", "cbx2PProtocol": "4+2 Express (DTMF, 1400/2300 Гц)"})json")
            .object();
    form.insert(
        QStringLiteral("mgdSeparateInternalEvents"),
        test::WholeTable(
            8, 1, {{2, QJsonObject{{QStringLiteral("Код для пары №1"), QStringLiteral("3A01")}}}}));
    form.insert(QStringLiteral("mgdExternalEvents"),
                test::WholeTable(
                    60, 1,
                    {{1, QJsonObject{{QStringLiteral("Код для пары №1"),
                                      QJsonObject{{QStringLiteral("0"), QStringLiteral("1100")}}},
                                     {QStringLiteral("В/П"), true}}},
                     {2, QJsonObject{{QStringLiteral("Код для пары №2"),
                                      QJsonObject{{QStringLiteral("0"), QStringLiteral("E100")},
                                                  {QStringLiteral("3"), QStringLiteral("E130")}}}}},
                     {3, QJsonObject{{QStringLiteral("О/С"), true}}}}));
    file.write(QJsonDocument(form).toJson());
    file.close();
    const QString snc = folder.filePath(QStringLiteral("c.snc"));
    ASSERT_EQ(test::RunCli({QStringLiteral("json"), QStringLiteral("--import"), json,
                            QStringLiteral("-o"), snc})
                  .status,
              0);

    const QString fromCli = folder.filePath(QStringLiteral("cli.html"));
    const test::CliRun run =
        test::RunCli({QStringLiteral("export"), snc, QStringLiteral("-o"), fromCli});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();

    // The window, as the user has it: the file opened, then exported.
    Configurator app{QCoreApplication::applicationDirPath()};
    test::FakeNotifier notifier;
    app.setNotifier(notifier);
    app.load();
    TfrmMain window{app};
    ASSERT_TRUE(window.openConfiguration(snc));
    const QString fromWindow = folder.filePath(QStringLiteral("window.html"));
    ASSERT_TRUE(window.exportHtml(fromWindow, false));
    EXPECT_EQ(notifier.errors, QStringList());

    const QByteArray page = contents(fromCli);
    ASSERT_FALSE(page.isEmpty());
    EXPECT_TRUE(page.contains("8123A4567"));
    EXPECT_EQ(withoutMoment(page), withoutMoment(contents(fromWindow)));
}

} // namespace
