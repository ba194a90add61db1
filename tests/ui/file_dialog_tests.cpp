// Where the main window's file dialogs start: each where the user was with it
// last, in this run or an earlier one, and before its first use where the
// user was last.
#include "app/Configurator.h"
#include "app/UserSettings.h"
#include "common/FakeNotifier.h"
#include "common/QtPrinters.h"
#include "common/WindowCommands.h"
#include "ui/FileDialogFolders.h"
#include "ui/TfrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;

namespace {

// Runs `inside` with the next file dialog once it is up.
void whenFileDialog(std::function<void(QFileDialog *)> inside)
{
    QTimer::singleShot(0, qApp, [inside = std::move(inside)] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inside(dialog);
    });
}

// Runs a command of the window whose file dialog the user answers: notes
// the folder the dialog starts in, goes to `folder`, then chooses `file`
// there, or cancels when `file` is empty. Returns the start folder.
QString answer(TfrmMain &window, const char *command, const QString &folder,
               const QString &file = {})
{
    QString started;
    whenFileDialog([&started, folder, file](QFileDialog *dialog) {
        started = dialog->directory().absolutePath();
        dialog->setDirectory(folder);
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(QDir(folder).filePath(file));
        static_cast<QDialog *>(dialog)->accept();
    });
    test::trigger(window, command);
    return started;
}

} // namespace

TEST(FileDialogFolders, EachDialogStartsWhereItWasLastOrWhereTheUserWasLast)
{
    FileDialogFolders folders;
    using Dialog = FileDialogFolders::Dialog;
    EXPECT_EQ(folders.startFolder(Dialog::Export), QString()); // the dialog's own default
    folders.remember(Dialog::SaveConfiguration, QStringLiteral("/a"));
    EXPECT_EQ(folders.startFolder(Dialog::SaveConfiguration), QStringLiteral("/a"));
    EXPECT_EQ(folders.startFolder(Dialog::Export), QStringLiteral("/a"));
    folders.remember(Dialog::Export, QStringLiteral("/b"));
    EXPECT_EQ(folders.startFolder(Dialog::SaveConfiguration), QStringLiteral("/a"));
    EXPECT_EQ(folders.startFolder(Dialog::Export), QStringLiteral("/b"));
    EXPECT_EQ(folders.startFolder(Dialog::OpenConfiguration), QStringLiteral("/b"));
    folders.remember(Dialog::Export, QString()); // nothing known: nothing forgotten
    EXPECT_EQ(folders.startFolder(Dialog::Export), QStringLiteral("/b"));
}

TEST(FileDialogFolders, TheWindowsDialogsKeepTheirFoldersInThisRun)
{
    QTemporaryDir a, b;
    const QString folderA = QDir(a.path()).absolutePath();
    const QString folderB = QDir(b.path()).absolutePath();
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    test::FakeNotifier notifier;
    app.setNotifier(notifier);

    const char *const save = "actSave";
    const char *const open = "actOpen";
    const char *const exportPage = "actExport";
    // Saved in A: the save dialog starts there next time, and so does the
    // export dialog, not used yet.
    answer(window, save, folderA, QStringLiteral("first.snc"));
    ASSERT_TRUE(QFileInfo::exists(QDir(folderA).filePath(QStringLiteral("first.snc"))));
    EXPECT_EQ(answer(window, save, folderA), folderA);
    // The export dialog, cancelled in B, starts in B next time.
    EXPECT_EQ(answer(window, exportPage, folderB), folderA);
    EXPECT_EQ(answer(window, exportPage, folderB), folderB);
    // The open dialog, not used yet, starts where the user was last (B); the
    // file is opened from A; the save dialog keeps A.
    EXPECT_EQ(answer(window, open, folderA, QStringLiteral("first.snc")), folderB);
    EXPECT_EQ(answer(window, save, folderA), folderA);
    // The open dialog starts in A next time, offering the file again.
    QString offered;
    whenFileDialog([&offered](QFileDialog *dialog) {
        offered = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    test::trigger(window, "actOpen");
    EXPECT_EQ(offered, QDir(folderA).filePath(QStringLiteral("first.snc")));
    EXPECT_EQ(notifier.errors, QStringList());
}

TEST(FileDialogFolders, TheFoldersAreKeptForTheNextRun)
{
    QTemporaryDir a, b;
    const QString folderA = QDir(a.path()).absolutePath();
    const QString folderB = QDir(b.path()).absolutePath();
    const char *const save = "actSave";
    const char *const open = "actOpen";
    const char *const exportPage = "actExport";
    // Each run is a new application object and window.
    const auto run = [](const std::function<void(TfrmMain &)> &use) {
        Configurator app{QCoreApplication::applicationDirPath()};
        TfrmMain window{app};
        test::FakeNotifier notifier;
        app.setNotifier(notifier);
        use(window);
        EXPECT_EQ(notifier.errors, QStringList());
    };
    run([&](TfrmMain &window) {
        answer(window, save, folderA, QStringLiteral("first.snc"));
        answer(window, exportPage, folderB);
    });
    run([&](TfrmMain &window) {
        // Never used: where the user was last in the earlier run.
        EXPECT_EQ(answer(window, open, folderB), folderB);
        // Each where it was left.
        EXPECT_EQ(answer(window, save, folderA), folderA);
        EXPECT_EQ(answer(window, exportPage, folderB), folderB);
    });
    // A folder that is gone is not offered: where the user was last instead.
    ASSERT_TRUE(a.remove());
    run([&](TfrmMain &window) { EXPECT_EQ(answer(window, save, folderB), folderB); });
}
