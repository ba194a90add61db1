#include "ProtocolFixtures.h"
#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/FifoTrap.h"
#include "common/TextRecords.h"
#include "common/WindowParts.h"

#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/DialogHost.h"
#include "ui/FileDialogFolders.h"
#include "ui/MessageBoxNotifier.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"
#include "ui/config/CaptionClick.h"
#include "ui/config/RadioGroup.h"
#include "ui/protocols/ProtocolLibraryDialogs.h"
#include "ui/protocols/ProtocolPage.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

using namespace sr5n;

namespace {

// Runs `action` once the next modal dialog has started.
void whenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

// Saves a picture of `widget` when SR5N_SCREENSHOT_DIR names a folder.
void screenshot(QWidget *widget, const char *name)
{
    const QString folder = qEnvironmentVariable("SR5N_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget->grab().save(QDir(folder).filePath(QLatin1String(name)));
}

struct Page : ::testing::Test {
    QTemporaryDir folder;
    ConfigModel model;
    ProtocolEditor editor{model};
    test::FakeNotifier notifier;
    test::FakeProtocolDialogs dialogs;
    ProtocolLibrary library{model, editor, notifier, folder.path()};
    ProtocolPage page{model, editor, library, notifier};
    TfrmPrefixMask prefixMask{&page};

    Page()
    {
        library.setDialogs(&dialogs);
        page.setPrefixMaskWindow(&prefixMask);
        page.resize(729, 400);
        page.show();
        QApplication::processEvents();
    }

    template <typename T> T *find(const QString &name) const { return page.findChild<T *>(name); }
};

TEST_F(Page, HasEveryControlUnderItsName)
{
    EXPECT_EQ(page.objectName(), QStringLiteral("tshProtocol"));
    const struct {
        const char *name;
        const char *title;
        QStringList items;
    } groups[] = {
        {"rgpHandshake",
         " Частота приветственного сигнала от ПЦН (Handshake) ",
         {"1400 Гц", "2300 Гц", "1400 / 2300 Гц", "2300 / 1400 Гц"}},
        {"rgpImpulseParams",
         " Количество импульсов за секунду ",
         {"10 pps", "14 pps", "20 pps", "33 pps", "40 pps"}},
        {"rgpDataFreq", " Частота передачи данных ", {"1800 Гц", "1900 Гц", "DTMF"}},
        {"rgpKissOff",
         " Сигнал об успешно принятом сообщении от ПЦН (Kissoff) ",
         {"1400 Гц", "2300 Гц"}},
        {"rgpProtocol_Test", "", {"По модулю 15", "Двойная отправка"}},
    };
    for (const auto &g : groups) {
        auto *group = find<RadioGroup>(QLatin1String(g.name));
        ASSERT_NE(group, nullptr) << g.name;
        EXPECT_EQ(group->title(), QString::fromUtf8(g.title));
        const QList<QAbstractButton *> buttons = group->findChildren<QAbstractButton *>();
        ASSERT_EQ(buttons.size(), g.items.size()) << g.name;
        for (int i = 0; i < buttons.size(); ++i)
            EXPECT_EQ(buttons[i]->text(), g.items[i]);
        EXPECT_EQ(group->itemIndex(), 0);
    }
    EXPECT_FALSE(find<RadioGroup>(QStringLiteral("rgpProtocol_Test"))->isEnabled());
    EXPECT_EQ(find<QLabel>(QStringLiteral("sttProtocol_Test"))->text(),
              QStringLiteral("Перепроверка"));

    const struct {
        const char *slider, *label, *text;
    } sliders[] = {{"Handshake1400", "Handshake 1400 Гц:", "100 мс"},
                   {"Handshake2300", "Handshake 2300 Гц:", "100 мс"},
                   {"Kissoff", "Kissoff:", "60 мс"}};
    for (const auto &s : sliders) {
        auto *slider = find<QSlider>(QStringLiteral("trb") + QLatin1String(s.slider));
        ASSERT_NE(slider, nullptr);
        EXPECT_EQ(slider->minimum(), 3);
        EXPECT_EQ(slider->maximum(), 250);
        EXPECT_EQ(find<QLabel>(QStringLiteral("lbl") + QLatin1String(s.slider))->text(),
                  QString::fromUtf8(s.label));
        EXPECT_EQ(find<QLabel>(QStringLiteral("stt") + QLatin1String(s.slider))->text(),
                  QString::fromUtf8(s.text));
    }
    EXPECT_EQ(page.edtPrefix->text(), QStringLiteral("0000"));
    EXPECT_EQ(page.edtPrefix->maxLength(), 4);

    int masks = 0;
    for (const MaskPanel &panel : MaskPanelList()) {
        auto *frame = find<QWidget>(panel.name);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->property("tag").toInt(), panel.positions);
        for (int position = 1; position <= panel.positions; ++position, ++masks) {
            EXPECT_NE(frame->findChild<QCheckBox *>(panel.digitFlag(position)), nullptr);
            auto *button = frame->findChild<QToolButton *>(panel.maskButton(position));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->text(), QStringLiteral("..."));
            EXPECT_EQ(button->toolTip(), QStringLiteral("Нажмите для формирования префикса"));
        }
    }
    EXPECT_EQ(masks, 13);

    EXPECT_FALSE(page.cbxProtocol->isEditable());
    EXPECT_EQ(page.cbxProtocol->maxVisibleItems(), 15);
    EXPECT_EQ(page.btnProtocol_Add->text(), QStringLiteral("Добавить"));
    EXPECT_EQ(page.btnProtocol_Add->toolTip(),
              QStringLiteral("Добавить протокол  в программу из файла"));
    EXPECT_EQ(page.btnProtocol_Save->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(page.btnProtocol_Save->toolTip(),
              QStringLiteral("Сохранить протокол в файл и добавить его в программу"));
    EXPECT_EQ(page.btnProtocol_Delete->text(), QStringLiteral("Удалить"));
    EXPECT_EQ(
        page.btnProtocol_Delete->toolTip(),
        QStringLiteral("Удалить протокол из программы. Файл с протоколом при этом не удаляется"));
    EXPECT_FALSE(page.btnProtocol_Delete->isEnabled());
    screenshot(&page, "protocol-editor.png");
}

TEST_F(Page, EditsRematchTheChooserAndTheDeleteButton)
{
    QString other = QLatin1String(test::StartRecord);
    other.replace(4, 4, QStringLiteral("0004")); // DTMF with re-check
    ASSERT_TRUE(test::WriteProtocolList(
        library.listFilePath(), {{"Старт", QLatin1String(test::StartRecord)}, {"DTMF", other}}));
    ASSERT_TRUE(library.LoadProtocolList());
    EXPECT_EQ(page.cbxProtocol->currentText(), QStringLiteral("Старт"));
    EXPECT_TRUE(page.btnProtocol_Delete->isEnabled());

    // The caption "Перепроверка" acts as a click on its box.
    CaptionClicked(find<QLabel>(QStringLiteral("sttProtocol_Test")));
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("chbProtocol_Test"))->isChecked());
    EXPECT_TRUE(find<RadioGroup>(QStringLiteral("rgpProtocol_Test"))->isEnabled());
    EXPECT_EQ(page.cbxProtocol->currentIndex(), -1);
    EXPECT_FALSE(page.btnProtocol_Delete->isEnabled());

    find<RadioGroup>(QStringLiteral("rgpDataFreq"))
        ->findChildren<QAbstractButton *>()
        .at(2)
        ->click();
    EXPECT_FALSE(find<RadioGroup>(QStringLiteral("rgpImpulseParams"))->isEnabled());
    EXPECT_EQ(page.cbxProtocol->currentText(), QStringLiteral("DTMF"));
    EXPECT_TRUE(page.btnProtocol_Delete->isEnabled());

    // Choosing a protocol shows it.
    page.cbxProtocol->setCurrentIndex(0);
    emit page.cbxProtocol->activated(0);
    EXPECT_FALSE(find<QCheckBox>(QStringLiteral("chbProtocol_Test"))->isChecked());
    EXPECT_TRUE(find<RadioGroup>(QStringLiteral("rgpImpulseParams"))->isEnabled());
    EXPECT_EQ(editor.CurrentProtocol(), QLatin1String(test::StartRecord));
}

TEST_F(Page, PrefixIsPaddedWhenLeftAndTheCaptionsFollow)
{
    model.setSlider(QStringLiteral("sbtPMObject1"), 15);
    page.edtPrefix->setFocus();
    page.edtPrefix->clear();
    QTest::keyClick(page.edtPrefix, Qt::Key_7);
    EXPECT_EQ(model.text(QStringLiteral("edtPrefix")), QStringLiteral("7"));
    EXPECT_EQ(editor.CurrentProtocol().mid(12, 2), QStringLiteral("70")); // rematched on typing
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(page.edtPrefix, &leave);
    EXPECT_EQ(page.edtPrefix->text(), QStringLiteral("0007"));
    EXPECT_EQ(find<QToolButton>(QStringLiteral("sbtPMObject1"))->text(), QStringLiteral("0007"));
    EXPECT_EQ(find<QToolButton>(QStringLiteral("sbtPMObject2"))->text(), QStringLiteral("..."));
    EXPECT_EQ(editor.CurrentProtocol().mid(12, 4), QStringLiteral("0007"));
}

TEST_F(Page, MaskDialogChoosesThePrefixCharacters)
{
    page.edtPrefix->setText(QStringLiteral("12ab"));
    auto *button = find<QToolButton>(QStringLiteral("sbtPMEvent2"));
    int left = 0;
    whenModal([&](QWidget *modal) {
        EXPECT_EQ(modal, &prefixMask);
        EXPECT_TRUE(prefixMask.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(prefixMask.lblTitle->text(), QStringLiteral("Маска цифр префикса"));
        EXPECT_EQ(prefixMask.lbl[2]->text(), QStringLiteral("A"));
        left = prefixMask.x();
        prefixMask.chb[1]->setChecked(true);
        prefixMask.chb[3]->setChecked(true);
        prefixMask.btnOK->click();
    });
    button->click();
    EXPECT_EQ(page.edtPrefix->text(), QStringLiteral("12AB"));
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMEvent2")), 10);
    EXPECT_EQ(button->text(), QStringLiteral("2B"));
    EXPECT_EQ(editor.CurrentProtocol().mid(20, 2), QStringLiteral("A0"));
    EXPECT_EQ(left,
              button->mapToGlobal(QPoint(0, 0)).x() - (prefixMask.width() - button->width()) / 2);

    // Esc closes it and changes nothing.
    whenModal([&](QWidget *) {
        EXPECT_TRUE(prefixMask.chb[1]->isChecked());
        prefixMask.chb[0]->setChecked(true);
        QTest::keyClick(&prefixMask, Qt::Key_Escape);
    });
    button->click();
    EXPECT_FALSE(prefixMask.isVisible());
    EXPECT_EQ(model.slider(QStringLiteral("sbtPMEvent2")), 10);
    EXPECT_EQ(button->text(), QStringLiteral("2B"));

    prefixMask.prepare(QStringLiteral("12AB"), 5, button);
    prefixMask.show();
    QApplication::processEvents();
    screenshot(&prefixMask, "prefix-mask.png");
    prefixMask.hide();
}

TEST(SaveNewProtocol, OkNeedsANameAndAsksBeforeReplacing)
{
    test::FakeNotifier notifier;
    TfrmSaveNewProtocol dialog(notifier);
    dialog.prepare(QStringLiteral("Сохранение протокола в программе"), QStringLiteral("Сообщение"),
                   {QStringLiteral("Охрана"), QStringLiteral("Другой")},
                   QStringLiteral("Новый протокол"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранение протокола в программе"));
    EXPECT_EQ(dialog.lblMsg->text(), QStringLiteral("Сообщение"));
    EXPECT_EQ(dialog.cbxNewProtocolName->count(), 2);
    EXPECT_EQ(dialog.name(), QStringLiteral("Новый протокол"));
    EXPECT_TRUE(dialog.btnOK->isEnabled());
    EXPECT_TRUE(dialog.btnOK->isDefault());

    dialog.cbxNewProtocolName->setEditText(QStringLiteral("   "));
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    dialog.cbxNewProtocolName->setEditText(QStringLiteral(" ОХРАНА "));
    EXPECT_TRUE(dialog.btnOK->isEnabled());
    dialog.cbxNewProtocolName->setEditText(QStringLiteral("ОХРАНА"));

    dialog.show();
    QApplication::processEvents();
    screenshot(&dialog, "save-new-protocol.png");
    notifier.answers = {false};
    dialog.btnOK->click();
    ASSERT_EQ(notifier.questions.size(), 1);
    EXPECT_EQ(notifier.questions[0].text,
              QStringLiteral(
                  "Протокол с названием \"ОХРАНА\" уже зарегистрирован в программе. Заменить?"));
    EXPECT_EQ(notifier.questions[0].caption, QStringLiteral("Сохранение протокола в программе"));
    EXPECT_EQ(notifier.questions[0].icon, Notifier::QuestionIcon::Warning);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    notifier.answers = {true};
    dialog.btnOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Through the library's dialogs: a new name closes it at once, surrounding
    // spaces kept; Esc cancels.
    DialogHost host;
    FileDialogFolders folders;
    ProtocolLibraryDialogs dialogs(host, folders);
    dialogs.setNameDialog(&dialog);
    whenModal([&](QWidget *) {
        const QWidget *focus = dialog.focusWidget();
        EXPECT_TRUE(focus == dialog.cbxNewProtocolName ||
                    focus == dialog.cbxNewProtocolName->lineEdit());
        dialog.cbxNewProtocolName->setEditText(QStringLiteral(" Третий "));
        dialog.btnOK->click();
    });
    EXPECT_EQ(dialogs.askProtocolName(QStringLiteral("К"), QStringLiteral("М"),
                                      {QStringLiteral("Охрана")}, QStringLiteral("Новый протокол"),
                                      {}),
              QStringLiteral(" Третий "));
    // Enter in the name field acts as OK.
    whenModal([&](QWidget *) {
        dialog.cbxNewProtocolName->setEditText(QStringLiteral("Четвёртый"));
        QTest::keyClick(dialog.cbxNewProtocolName->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.askProtocolName(QStringLiteral("К"), QStringLiteral("М"), {},
                                      QStringLiteral("Н"), {}),
              QStringLiteral("Четвёртый"));
    EXPECT_EQ(dialog.cbxNewProtocolName->count(), 0); // typed names are not added to the list
    whenModal([&](QWidget *) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.askProtocolName(QStringLiteral("К"), QStringLiteral("М"), {},
                                      QStringLiteral("Н"), {}),
              std::nullopt);
    EXPECT_EQ(notifier.questions.size(), 2);
}

TEST(MainWindowProtocols, TheLibraryBesideTheExecutableFillsTheChoosers)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    ASSERT_EQ(QCoreApplication::applicationDirPath(),
              QDir(QStringLiteral(SR5N_BIN_DIR)).absolutePath());
    EXPECT_EQ(test::part<ProtocolPage>(window, "tshProtocol"),
              test::part<ProtocolPage>(window, "tshProtocol"));
    EXPECT_EQ(test::part<ProtocolPage>(window, "tshProtocol")->objectName(),
              QStringLiteral("tshProtocol"));
    EXPECT_EQ(app.protocols().ProtocolNames().size(), 5);
    EXPECT_EQ(app.protocols().ProtocolRecords().size(), 5);
    EXPECT_EQ(&app.protocols().ProtocolNames(), &app.protocols().ProtocolNames());
    EXPECT_EQ(app.config().choiceItems(QStringLiteral("cbx1PProtocol")),
              app.protocols().ProtocolNames());
    EXPECT_EQ(app.config().choice(QStringLiteral("cbx2PProtocol")), 0);
    EXPECT_EQ(app.protocolEditor().CurrentProtocol(), app.protocols().ProtocolRecords().first());
    EXPECT_EQ(test::part<ProtocolPage>(window, "tshProtocol")->cbxProtocol->currentIndex(), 0);
}

TEST(ProtocolFileDialogs, OfferTheProtocolFilesAndRememberTheLastOpened)
{
    QTemporaryDir folder;
    const QString first = QDir(folder.path()).filePath(QStringLiteral("first.snp"));
    ASSERT_TRUE(test::WriteProtocolFileAs(first, QStringLiteral("1"), QStringLiteral("П"),
                                          QLatin1String(test::StartRecord)));
    QWidget parent;
    DialogHost host(&parent);
    FileDialogFolders folders;
    ProtocolLibraryDialogs dialogs(host, folders);

    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Сохранение протокола"));
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList{QStringLiteral("Файл протокола для СР-5/Н (*.snp)")});
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("snp"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->reject();
    });
    EXPECT_EQ(dialogs.askSaveFile(QStringLiteral("Охрана_ объект 1_2")), std::nullopt);

    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Добавление протокола"));
        dialog->setDirectory(folder.path());
        dialog->selectFile(first);
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(dialogs.askOpenFile(), first);
    QString offered;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        offered = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    EXPECT_EQ(dialogs.askOpenFile(), std::nullopt);
    EXPECT_EQ(offered, first);
}

TEST(MainWindowProtocols, StartUpHandsTheDialogsToTheLibraryAndTheMasks)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    TfrmSaveNewProtocol &names = windows.saveNewProtocol();
    whenModal([&](QWidget *modal) {
        EXPECT_EQ(modal, &names);
        EXPECT_EQ(names.windowTitle(), QStringLiteral("Добавление протокола в программу"));
        EXPECT_EQ(names.lblMsg->text(),
                  QStringLiteral("Указанный протокол для 2ой пары номеров не зарегистрирован в "
                                 "программе. Чтобы добавить протокол, введите название:"));
        EXPECT_EQ(names.name(), QStringLiteral("Новый протокол"));
        EXPECT_EQ(names.cbxNewProtocolName->count(), app.protocols().ProtocolNames().size());
        names.btnCancel->click();
    });
    EXPECT_FALSE(app.protocols().RegisterDeviceProtocol(
        QStringLiteral("0102010FCF00000000000000000000000505FF"), 2));

    whenModal([&](QWidget *modal) {
        EXPECT_EQ(modal, &windows.prefixMask());
        windows.prefixMask().btnCancel->click();
    });
    test::part<QToolButton>(windows.main(), "sbtPMZone1")->click();
}

} // namespace

namespace {

// Answers the program's modal windows as a user at the keyboard does, one
// action each time another window becomes the active modal one: Enter (or a
// typed name, or Esc) in the name dialog, Enter or "No" in message boxes, a
// file in the file dialogs. Records every proposed name and box text.
class KeyboardUser final : public QObject
{
public:
    QList<std::optional<QString>> names; // empty text: Enter on what is shown; none: Esc
    QList<bool> answers;                 // to questions, clicked; Enter when none is left
    QStringList files;                   // paths for the file dialogs, in order
    QStringList proposed;                // the name shown each time the name dialog opened
    QStringList boxes;                   // the text of every message box

    KeyboardUser()
    {
        connect(&m_poll, &QTimer::timeout, this, &KeyboardUser::poll);
        m_poll.start(5);
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == m_lastModal)
            return;
        m_lastModal = modal;
        if (modal)
            schedule(modal);
    }

    // Acts outside the timer: an action may open the next window and wait in it.
    void schedule(QWidget *window)
    {
        QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(window)] {
            if (!target || QApplication::activeModalWidget() != target)
                return;
            // Not shown yet, or still inside its last action: its turn comes later.
            if (!target->isVisible() || m_acting.contains(target.data())) {
                schedule(target);
                return;
            }
            m_acting.append(target.data());
            act(target);
            m_acting.removeOne(target.data());
            m_lastModal = nullptr; // the next window, or this one again, gets its turn
        });
    }

    void act(QWidget *window)
    {
        if (auto *box = qobject_cast<QMessageBox *>(window)) {
            boxes.append(box->text());
            if (box->button(QMessageBox::No) && !answers.isEmpty())
                box->button(answers.takeFirst() ? QMessageBox::Yes : QMessageBox::No)->click();
            else
                QTest::keyClick(box, Qt::Key_Return);
        } else if (auto *dialog = dynamic_cast<TfrmSaveNewProtocol *>(window)) {
            proposed.append(dialog->name());
            const std::optional<QString> name =
                names.isEmpty() ? std::optional<QString>() : names.takeFirst();
            QLineEdit *field = dialog->cbxNewProtocolName->lineEdit();
            if (!name) {
                QTest::keyClick(field, Qt::Key_Escape);
                return;
            }
            if (!name->isEmpty())
                dialog->cbxNewProtocolName->setEditText(*name);
            QTest::keyClick(field, Qt::Key_Return);
        } else if (auto *fileDialog = qobject_cast<QFileDialog *>(window)) {
            if (this->files.isEmpty()) {
                fileDialog->reject();
                return;
            }
            // The path typed into the name field, then Enter.
            auto *field = fileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(field, nullptr);
            field->setText(this->files.takeFirst());
            QTest::keyClick(field, Qt::Key_Return);
        } else {
            ADD_FAILURE() << "unexpected window " << qPrintable(window->objectName());
            window->close();
        }
    }

    QTimer m_poll;
    QPointer<QWidget> m_lastModal;
    QList<QWidget *> m_acting;
};

// The protocol library as the program builds it, with its own name dialog,
// file dialogs and message boxes, over a list file in a folder of its own.
struct ProgramLibrary {
    QTemporaryDir folder;
    QWidget window;
    DialogHost host{&window};
    MessageBoxNotifier boxes{&host};
    ConfigModel model;
    ProtocolEditor editor{model};
    EventCodeTables tables;
    ProtocolLibrary library{model, editor, boxes, folder.path()};
    FileDialogFolders folders;
    ProtocolLibraryDialogs dialogs{host, folders};
    TfrmSaveNewProtocol nameDialog{boxes, &window};

    ProgramLibrary()
    {
        dialogs.setNameDialog(&nameDialog);
        library.setDialogs(&dialogs);
        window.resize(300, 200);
        window.show();
    }

    QString path(const QString &name) const { return QDir(folder.path()).filePath(name); }

    // Decodes a configuration whose only entries are `data` under `commands`,
    // as opening a file or reading the device does.
    bool decode(const QStringList &data, const QStringList &commands)
    {
        return DecodeAnswers(BlockContext{model, tables, library, boxes}, data, commands);
    }

    QByteArray listBytes() const
    {
        QFile file(library.listFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QString withKissoff(int length)
{
    return QStringLiteral("000001000000000000000000000000000505%1")
        .arg(length, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

// Every way into the protocol library, driven through the program's dialogs
// and message boxes with the keyboard: what the user is shown, and what the
// list file holds afterwards.
TEST(ProtocolLibraryWithItsDialogs, KeepsEveryProtocolAndTellsWhy)
{
    using Protocols = QList<test::Protocol>;
    const QString A = withKissoff(10), B = withKissoff(11), C = withKissoff(12);
    const QString withBlank = QString(C).replace(20, 1, QLatin1Char(' '));
    const QString header = QStringLiteral("SR-5/N Protocols List File");
    const QByteArray library =
        test::TextRecords({header, "1", "2", "Contact ID", A, "Ademco 4+2", B});
    const QString notRead = QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден.");
    const QString listNotOpened = QStringLiteral("Невозможно открыть список протоколов.");
    const QString kept = QStringLiteral("Список протоколов был поврежден. Его копия сохранена в "
                                        "файле \"%1\"");
    const QString abort = QStringLiteral(". Операция будет прервана.");
    // "%1": the folder, as in the other boxes.
    const auto replaced = [](const QString &name) {
        return QStringLiteral("Протокол \"") + name +
               QStringLiteral("\" заменен. Прежний протокол сохранен в файле "
                              "\"%1/prtcls-replaced-") +
               name + QStringLiteral(".snp\"");
    };
    const auto saveEdited = [](ProgramLibrary &l) {
        l.model.setSlider(QStringLiteral("trbKissoff"), 12);
        l.library.btnProtocol_SaveClick();
    };
    const auto add = [](ProgramLibrary &l) { l.library.btnProtocol_AddClick(); };
    const auto openFileWith = [](const QString &record) {
        return [record](ProgramLibrary &l) { l.decode({record}, {"1E"}); };
    };
    const auto snp = [](const char *name, const QString &protocol, const QString &record) {
        return [=](ProgramLibrary &l) {
            ASSERT_TRUE(
                test::WriteProtocolFileAs(l.path(QLatin1String(name)), "1", protocol, record));
        };
    };
    const auto nothing = [](ProgramLibrary &) {};
    using Name = std::optional<QString>;
    const Name enter = QString();
    const Name esc = std::nullopt;

    const struct {
        const char *what;
        QByteArray list;
        std::function<void(ProgramLibrary &)> prepare;
        std::function<void(ProgramLibrary &)> act;
        QList<Name> names;
        QList<bool> answers;
        QStringList files;
        QStringList proposed;
        QStringList boxes;              // "%1": the folder
        std::optional<Protocols> after; // none: the list file is unchanged
    } cases[] = {
        {"Enter on the proposed name when saving",
         library,
         nothing,
         saveEdited,
         {enter},
         {},
         {"new.snp"},
         {"Новый протокол"},
         {},
         Protocols{{"Contact ID", A}, {"Ademco 4+2", B}, {"Новый протокол", C}}},
        {"Enter on the file's name when adding",
         library,
         snp("c.snp", "Из файла", C),
         add,
         {enter},
         {},
         {"c.snp"},
         {"Из файла"},
         {},
         Protocols{{"Contact ID", A}, {"Ademco 4+2", B}, {"Из файла", C}}},
        {"Enter on the proposed name for a file's protocol",
         library,
         nothing,
         openFileWith(C),
         {enter},
         {},
         {"device.snp"},
         {"Новый протокол"},
         {},
         Protocols{{"Contact ID", A}, {"Ademco 4+2", B}, {"Новый протокол", C}}},
        {"adding a known record under another protocol's name",
         library,
         snp("a.snp", "Ademco 4+2", A),
         add,
         {enter, esc},
         {true},
         {"a.snp"},
         {"Ademco 4+2", "Ademco 4+2"},
         {"Данный протокол зарегистрирован в программе под именем \"Contact ID\". Переименовать?",
          "Протокол с названием \"Ademco 4+2\" уже зарегистрирован в программе. Введите другое "
          "название."},
         std::nullopt},
        {"saving a known record under another protocol's name",
         library,
         nothing,
         [](ProgramLibrary &l) { l.library.btnProtocol_SaveClick(); },
         {QStringLiteral("ademco 4+2"), QStringLiteral("Contact ID (2)")},
         {true},
         {"cid.snp"},
         {"Новый протокол", "ademco 4+2"},
         {"Данный протокол зарегистрирован в программе под именем \"Contact ID\". Переименовать?",
          "Протокол с названием \"ademco 4+2\" уже зарегистрирован в программе. Введите другое "
          "название."},
         Protocols{{"Contact ID (2)", A}, {"Ademco 4+2", B}}},
        {"registering under a known name, not replacing it",
         library,
         nothing,
         openFileWith(C),
         {QStringLiteral("Contact ID"), esc},
         {false},
         {},
         {"Новый протокол", "Contact ID"},
         {"Протокол с названием \"Contact ID\" уже зарегистрирован в программе. Заменить?",
          "Невозможно добавить протокол" + abort},
         std::nullopt},
        {"registering under a known name, replacing it",
         library,
         nothing,
         openFileWith(C),
         {QStringLiteral("Contact ID")},
         {true},
         {"c.snp"},
         {"Новый протокол"},
         {"Протокол с названием \"Contact ID\" уже зарегистрирован в программе. Заменить?",
          replaced(QStringLiteral("Contact ID"))},
         Protocols{{"Contact ID", C}, {"Ademco 4+2", B}}},
        // Enter on the replace question keeps the protocol, however it was reached.
        {"Enter on the replace question when registering",
         library,
         nothing,
         openFileWith(C),
         {QStringLiteral("contact id"), esc},
         {},
         {},
         {"Новый протокол", "contact id"},
         {"Протокол с названием \"contact id\" уже зарегистрирован в программе. Заменить?",
          "Невозможно добавить протокол" + abort},
         std::nullopt},
        {"Enter on the replace question when saving",
         library,
         nothing,
         saveEdited,
         {QStringLiteral("Ademco 4+2"), esc},
         {},
         {},
         {"Новый протокол", "Ademco 4+2"},
         {"Протокол с названием \"Ademco 4+2\" уже зарегистрирован в программе. Заменить?"},
         std::nullopt},
        {"Enter on the replace question when adding a file named like a protocol",
         library,
         snp("c.snp", "Ademco 4+2", C),
         add,
         {enter, esc},
         {},
         {"c.snp"},
         {"Ademco 4+2", "Ademco 4+2"},
         {"Протокол с названием \"Ademco 4+2\" уже зарегистрирован в программе. Заменить?"},
         std::nullopt},
        {"adding a file named like a protocol, replacing it",
         library,
         snp("c.snp", "Ademco 4+2", C),
         add,
         {enter},
         {true},
         {"c.snp"},
         {"Ademco 4+2"},
         {"Протокол с названием \"Ademco 4+2\" уже зарегистрирован в программе. Заменить?",
          replaced(QStringLiteral("Ademco 4+2"))},
         Protocols{{"Contact ID", A}, {"Ademco 4+2", C}}},
        {"a protocol file whose record has a blank",
         library,
         snp("b.snp", "Пробел", withBlank),
         add,
         {},
         {},
         {"b.snp"},
         {},
         {notRead},
         std::nullopt},
        {"a protocol file that is a named pipe",
         library,
         nothing,
         [](ProgramLibrary &l) {
             test::FifoTrap fifo(l.path(QStringLiteral("pipe.snp")));
             ASSERT_TRUE(fifo.created());
             l.library.btnProtocol_AddClick();
             EXPECT_FALSE(fifo.readerWaited());
         },
         {},
         {},
         {"pipe.snp"},
         {},
         {notRead},
         std::nullopt},
        {"a configuration file whose first protocol has a blank",
         library,
         nothing,
         openFileWith(withBlank),
         {},
         {},
         {},
         {},
         {"Ошибка декодирования протокола передачи данных для первой пары" + abort},
         std::nullopt},
        {"an empty protocol in the device's answer for pair 2",
         library,
         nothing,
         [](ProgramLibrary &l) { l.decode({QString()}, {"21"}); },
         {},
         {},
         {},
         {},
         {"Ошибка декодирования протокола передачи данных для второй пары" + abort},
         std::nullopt},
        {"a list file with a record of another form, then an add",
         test::TextRecords(
             {header, "1", "3", "Contact ID", A, "Пробел", withBlank, "Ademco 4+2", B}),
         snp("c.snp", "Из файла", C),
         add,
         {enter},
         {},
         {"c.snp"},
         {"Из файла"},
         {listNotOpened, kept.arg(QStringLiteral("%1/prtcls-damaged.bin"))},
         Protocols{{"Contact ID", A}, {"Ademco 4+2", B}, {"Из файла", C}}},
        {"a list file cut short, then an add",
         library.left(library.size() - 20),
         snp("c.snp", "Из файла", C),
         add,
         {enter},
         {},
         {"c.snp"},
         {"Из файла"},
         {listNotOpened, kept.arg(QStringLiteral("%1/prtcls-damaged.bin"))},
         Protocols{{"Contact ID", A}, {"Из файла", C}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ProgramLibrary l;
        {
            QFile file(l.library.listFilePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.list);
        }
        c.prepare(l);
        KeyboardUser user;
        user.names = c.names;
        user.answers = c.answers;
        for (const QString &file : c.files)
            user.files.append(l.path(file));
        l.library.LoadProtocolList();
        c.act(l);

        EXPECT_EQ(user.proposed, c.proposed);
        QStringList boxes;
        for (const QString &box : c.boxes)
            boxes.append(box.contains(u"%1") ? box.arg(l.folder.path()) : box);
        EXPECT_EQ(user.boxes, boxes);
        EXPECT_TRUE(user.names.isEmpty() && user.answers.isEmpty() && user.files.isEmpty());
        if (c.after) {
            EXPECT_EQ(test::ReadProtocolList(l.library.listFilePath()), c.after);
        } else {
            EXPECT_EQ(l.listBytes(), c.list);
        }
        if (c.list != library && c.after) { // the damaged list is kept as it was
            QFile copy(l.path(QStringLiteral("prtcls-damaged.bin")));
            ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
            EXPECT_EQ(copy.readAll(), c.list);
        }
    }
}
