// The configurator among the desktop's programs: a configuration file given
// on the command line, and help documents shown by the desktop's opener.
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/WindowParts.h"
#include "config/ConfigModel.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

const QString Unreadable = QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден");

// Runs the message loop until `done` holds or `milliseconds` pass.
template <typename Done> bool runUntil(Done done, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return done();
}

// Runs the posted work of the message loop for a short while.
void settle()
{
    runUntil([] { return false; }, 300);
}

// Makes `folder` the current folder for the test's life.
struct CurrentFolder {
    explicit CurrentFolder(const QString &folder) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(previous); }
    QString previous = QDir::currentPath();
};

// The configuration file given on the command line is opened as "Открыть"
// opens it, once the window runs: a relative name against the current folder.
struct FileArgument : ::testing::Test {
    QTemporaryDir folder;
    CurrentFolder current{folder.path()};
    test::FakeNotifier notifier;

    // A file saved by another window, with a pause length the start-up window lacks.
    void saveGoodFile(const QString &name)
    {
        Configurator source{QCoreApplication::applicationDirPath()};
        source.load();
        source.config().setSlider(QStringLiteral("trbPauseLength"), 11);
        ASSERT_TRUE(source.saveConfiguration(QDir(folder.path()).filePath(name)));
    }

    // The program's start: the domain, then its windows, then the file.
    struct Program {
        Configurator app{QCoreApplication::applicationDirPath()};
        Windows windows{app};
        int pauseLength() { return app.config().slider(QStringLiteral("trbPauseLength")); }
    };
};

TEST_F(FileArgument, GoodFileIsOpenedOnceTheWindowRuns)
{
    saveGoodFile(QStringLiteral("Объект 1.snc"));
    Program program;
    program.app.setNotifier(notifier);
    ASSERT_NE(program.pauseLength(), 11);
    openConfigurationAtStart(program.windows.main(), QStringLiteral("Объект 1.snc"));
    EXPECT_NE(program.pauseLength(), 11) << "opened before the message loop runs";
    ASSERT_TRUE(runUntil([&] { return program.pauseLength() == 11; }));
    EXPECT_EQ(notifier.errors, QStringList());
}

TEST_F(FileArgument, DamagedAndMissingFilesGiveTheOpenMessage)
{
    saveGoodFile(QStringLiteral("damaged.snc"));
    QFile damaged(QDir(folder.path()).filePath(QStringLiteral("damaged.snc")));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(40);
    damaged.write("Z");
    damaged.close();

    for (const QString &name : {QStringLiteral("damaged.snc"), QStringLiteral("missing.snc")}) {
        Program program;
        notifier.clear();
        program.app.setNotifier(notifier);
        openConfigurationAtStart(program.windows.main(), name);
        ASSERT_TRUE(runUntil([&] { return !notifier.errors.isEmpty(); })) << name.toStdString();
        EXPECT_EQ(notifier.errors, QStringList{Unreadable}) << name.toStdString();
        EXPECT_EQ(notifier.flashes, 1);
        EXPECT_NE(program.pauseLength(), 11);
    }
}

TEST_F(FileArgument, NoFileOpensNothing)
{
    Program program;
    program.app.setNotifier(notifier);
    openConfigurationAtStart(program.windows.main(), QString());
    settle();
    EXPECT_EQ(notifier.errors, QStringList());
}

// Help documents go to the desktop's opener, found on PATH; a fake opener
// stands for a desktop without a PDF viewer or with one that fails.
struct HelpDocuments : ::testing::Test {
    QTemporaryDir folder;
    QString bin = QDir(folder.path()).filePath(QStringLiteral("bin"));
    QByteArray path = qgetenv("PATH");
    CurrentFolder current{folder.path()};
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};

    HelpDocuments()
    {
        QDir().mkpath(bin);
        qputenv("PATH", bin.toLocal8Bit());
        app.setNotifier(notifier);
        QFile document(QDir(folder.path()).filePath(TfrmMain::manualDocument()));
        document.open(QIODevice::WriteOnly);
        document.write("%PDF-1.4\n");
    }
    ~HelpDocuments() override { qputenv("PATH", path); }

    // An opener that notes its argument, then ends with `status`.
    void installOpener(int status)
    {
        QFile opener(QDir(bin).filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1/opened'\nexit %2\n")
                         .arg(folder.path())
                         .arg(status)
                         .toLocal8Bit());
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString opened() const
    {
        QFile file(QDir(folder.path()).filePath(QStringLiteral("opened")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    QString message() const
    {
        return QStringLiteral(
            "Не возможно открыть файл \"SR5N_Conf_RE.pdf\". Возможно, файл удален "
            "или не установлено ПО для чтения файлов \"*.pdf\"");
    }
};

TEST_F(HelpDocuments, OpenerFailuresAreReported)
{
    // xdg-open: 3 when no program handles the type, 4 when the program failed.
    for (const int status : {3, 4}) {
        notifier.clear();
        installOpener(status);
        EXPECT_TRUE(window.openHelpDocument(TfrmMain::manualDocument()));
        ASSERT_TRUE(runUntil([&] { return !notifier.errors.isEmpty(); })) << status;
        EXPECT_EQ(notifier.errors, QStringList{message()});
        EXPECT_EQ(notifier.flashes, 1);
        EXPECT_EQ(opened(), QDir(folder.path()).filePath(TfrmMain::manualDocument()));
    }
}

TEST_F(HelpDocuments, DocumentShownSaysNothing)
{
    installOpener(0);
    EXPECT_TRUE(window.openHelpDocument(TfrmMain::manualDocument()));
    ASSERT_TRUE(runUntil([&] { return !opened().isEmpty(); }));
    settle();
    EXPECT_EQ(notifier.errors, QStringList());
}

TEST_F(HelpDocuments, NoOpenerIsReportedAtOnce)
{
    test::part<QAction>(window, "pumRE")->trigger();
    EXPECT_EQ(notifier.errors, QStringList{message()});
    EXPECT_EQ(notifier.flashes, 1);
}

} // namespace
