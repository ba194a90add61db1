// «Журнал обмена» and the support file, driven as a user does: from the
// service and help menus of the real main window, during and after a real
// read from sr5n-sim, with the keys going where the focus is.
#include "KeyboardUser.h"

#include "common/ProgramWindows.h"
#include "common/WindowCommands.h"
#include "link/LineJournal.h"
#include "ui/TfrmLineTrace.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;
using Step = test::KeyboardUser::Step;
using test::kAppTitle;

namespace {

QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TfrmLineTrace *traceWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *trace = qobject_cast<TfrmLineTrace *>(window))
            return trace;
    return nullptr;
}

TEST(LineTraceWindow, ShowsAReadAsItRunsThenPausesSearchesCopiesAndSaves)
{
    test::ProgramWindows rig(
        {QStringLiteral("--quiet"), QStringLiteral("--busy"), QStringLiteral("5")});
    ASSERT_TRUE(rig.sim->started());
    test::trigger(rig.main(), "pumLineTrace");
    TfrmLineTrace *window = traceWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Журнал обмена"));
    EXPECT_EQ(window->parentWidget(), nullptr) << "its own window, not disabled with the main one";

    // While the notice of the read is up, the read's frames are in the
    // window already, the outcome not yet; the window is usable while the
    // main window is disabled.
    int framesWhileRunning = 0;
    auto user = std::make_unique<test::KeyboardUser>(
        QList<Step>{{kAppTitle, {}, 0, [&](QWidget *modal) {
                         auto *box = qobject_cast<QMessageBox *>(modal);
                         ASSERT_NE(box, nullptr);
                         EXPECT_EQ(box->text(), QStringLiteral("Конфигурация прочитана успешно"));
                         EXPECT_FALSE(rig.main().isEnabled());
                         EXPECT_TRUE(window->isEnabled());
                         const QString shown = window->shownText();
                         framesWhileRunning = int(shown.count(QStringLiteral("  →  :")));
                         EXPECT_FALSE(shown.contains(QStringLiteral("ИТОГ")));
                     }}});
    test::trigger(rig.main(), "actRead");
    test::ExpectAllAnswered(*user);
    user.reset(); // no window of its own is left to answer
    EXPECT_GT(framesWhileRunning, 858);
    const QString read = window->shownText();
    EXPECT_TRUE(read.startsWith(QStringLiteral("=== Чтение данных с коммуникатора · порт ") +
                                rig.sim->path()));
    EXPECT_TRUE(read.contains(QStringLiteral("не принят: коммуникатор занят")));
    EXPECT_TRUE(read.endsWith(QStringLiteral("ИТОГ  успешно\n"))) << read.right(200).toStdString();
    // The view follows the trace to its end.
    EXPECT_EQ(window->txtTrace->verticalScrollBar()->value(),
              window->txtTrace->verticalScrollBar()->maximum());

    // Paused, the view holds still while the journal goes on; resumed, it
    // shows the newest operation.
    window->chbPause->setChecked(true);
    test::trigger(rig.main(), "actClockRead");
    EXPECT_EQ(window->shownText(), read);
    window->chbPause->setChecked(false);
    const QString clock = window->shownText();
    EXPECT_TRUE(clock.contains(QStringLiteral("чтение часов (11), попытка 1 из 7")))
        << clock.toStdString();
    EXPECT_FALSE(clock.contains(QStringLiteral("не принят")));
    // Both operations are kept and can be chosen.
    EXPECT_EQ(window->cbxOperation->count(), 3);
    window->cbxOperation->setCurrentIndex(2);
    emit window->cbxOperation->activated(2);
    EXPECT_EQ(window->shownText(), read);

    // Searched from the keyboard: Ctrl+F, the word, Enter.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), window->edtFind);
    // QTest types only Latin letters: the word goes in as an input method puts it.
    window->edtFind->insert(QStringLiteral("занят"));
    QTest::keyClick(window->edtFind, Qt::Key_Return);
    EXPECT_EQ(window->txtTrace->textCursor().selectedText(), QStringLiteral("занят"));
    window->edtFind->setText(QStringLiteral("нет такого текста"));
    EXPECT_FALSE(window->findNext());
    EXPECT_EQ(window->lblFound->text(), QStringLiteral("Не найдено"));

    // Copied whole without a selection.
    window->txtTrace->moveCursor(QTextCursor::Start);
    QTest::mouseClick(window->btnCopy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), read);

    // Saved through its file dialog, the name typed.
    const QString saved = rig.path(QStringLiteral("журнал.txt"));
    {
        test::KeyboardUser saver(
            {{QStringLiteral("Сохранение журнала обмена"), saved, 0,
              [](QWidget *modal) { EXPECT_NE(qobject_cast<QFileDialog *>(modal), nullptr); }}});
        QTest::mouseClick(window->btnSave, Qt::LeftButton);
        test::ExpectAllAnswered(saver);
    }
    EXPECT_EQ(contents(saved), read);

    // A file that cannot be written is told, and nothing is left behind.
    const QString nowhere = rig.path(QStringLiteral("нет/журнал.txt"));
    test::KeyboardUser refused({{kAppTitle, {}, 0, [&nowhere](QWidget *modal) {
                                     auto *box = qobject_cast<QMessageBox *>(modal);
                                     ASSERT_NE(box, nullptr);
                                     EXPECT_TRUE(box->text().startsWith(
                                         QStringLiteral("Невозможно сохранить журнал обмена в "
                                                        "файл \"") +
                                         nowhere))
                                         << box->text().toStdString();
                                 }}});
    EXPECT_FALSE(window->saveTo(nowhere));
    test::ExpectAllAnswered(refused);
    window->close();
}

TEST(LineTraceWindow, TheSupportFileHoldsTheProgramThePortsAndTheTraces)
{
    test::ProgramWindows rig({QStringLiteral("--quiet")});
    ASSERT_TRUE(rig.sim->started());
    test::trigger(rig.main(), "actClockRead");
    const QString saved = rig.path(QStringLiteral("поддержка.txt"));
    test::KeyboardUser user({{QStringLiteral("Сохранение сведений для обращения в поддержку"),
                              saved, 0, [&rig](QWidget *modal) {
                                  EXPECT_NE(qobject_cast<QFileDialog *>(modal), nullptr);
                                  EXPECT_TRUE(rig.main().isEnabled());
                              }}});
    test::trigger(rig.main(), "pumSupportInfo");
    test::ExpectAllAnswered(user);
    const QString text = contents(saved);
    for (const QString &part :
         {QStringLiteral("Программа: СР-5/Н Конфигуратор, версия " SR5N_VERSION),
          QStringLiteral("Qt: ") + QString::fromLatin1(qVersion()), QStringLiteral("Система: "),
          QStringLiteral("Порт в поле «Порт подключения»: ") + rig.sim->path(),
          QStringLiteral("Каталог объектов: локальный, файл SQLite "),
          QStringLiteral("=== Чтение данных с коммуникатора · порт ") + rig.sim->path(),
          QStringLiteral("чтение часов (11), попытка 1 из 7"), QStringLiteral("ИТОГ  успешно")})
        EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
}

} // namespace
