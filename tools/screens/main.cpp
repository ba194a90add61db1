// sr5n-screens [--dark] [--catalog FILE] OUTPUT_FOLDER
// Creates the program's windows as at start-up and saves a PNG of every page
// of the main window and of the dialogs, for looking at them without a display.
// The log page shows three records, one of each colour; four events are
// marked "В/П", so the other cells of that column are disabled. With --dark the
// windows are made under a dark palette, as a dark desktop theme gives. With
// --catalog the objects window lists that catalogue (one of thousands, as
// the catalogue's benchmark makes) instead of a few sample objects, also
// searched.

#include "app/Configurator.h"
#include "catalog/CatalogService.h"
#include "catalog/CatalogStore.h"
#include "catalog/ObjectCatalog.h"
#include "components/ContrastStyle.h"
#include "components/ReadableColors.h"
#include "config/ConfigurationCopy.h"
#include "config/ConfigurationFile.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "events/EventLogDecoder.h"
#include "link/Frame.h"
#include "link/LineJournal.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmLineTrace.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/catalog/TfrmCatalogSettings.h"
#include "ui/catalog/TfrmEditConflict.h"
#include "ui/catalog/TfrmObjectChooser.h"
#include "ui/catalog/TfrmObjects.h"
#include "ui/config/TfrmCompare.h"
#include "ui/events/LogsPage.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void save(QWidget &widget, const QDir &folder, const QString &name)
{
    widget.repaint();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

// Three records: transmitted to both pairs, to pair 2 only, to none.
sr5n::DecodedEventLog sampleLog(const QStringList &names)
{
    sr5n::DecodedEventLog log;
    const bool sent[][2] = {{true, true}, {false, true}, {false, false}};
    for (int i = 0; i < 3; ++i) {
        sr5n::EventLogRow row;
        row.name = names.value(i * 7);
        row.zone = QString::number(i * 5 + 1);
        row.sentToPair1 = sent[i][0];
        row.sentToPair2 = sent[i][1];
        row.number = 3 - i;
        log.rows.append(row);
    }
    return log;
}

// A clock read with a retry: the first answer's checksum is wrong.
void sampleTrace(sr5n::LineJournal &journal)
{
    using Event = sr5n::LineTrace::Event;
    const QString port = QStringLiteral("/dev/ttyUSB0");
    const QByteArray request = sr5n::BuildFrame("11");
    journal.beginOperation(QStringLiteral("Чтение данных с коммуникатора"), port);
    journal.record(port, Event::Opened, {},
                   QStringLiteral("последовательный порт /dev/ttyUSB0: 115200 бит/с, 8N1, без "
                                  "управления потоком, DTR и RTS выключены"));
    journal.record(port, Event::Sent, request, QStringLiteral("чтение часов (11), попытка 1 из 7"));
    journal.record(port, Event::Received, ":1125130995;", {});
    journal.record(port, Event::Answer, "1125130995",
                   QStringLiteral("неверная контрольная сумма: 95, а должна быть 96: отброшено"));
    journal.record(port, Event::Retry, {},
                   QStringLiteral("попытка 2 из 7: неверная контрольная сумма: 95, а должна быть "
                                  "96: отброшено"));
    journal.record(port, Event::Sent, request, QStringLiteral("чтение часов (11), попытка 2 из 7"));
    journal.record(port, Event::Received, ":1125130996;", {});
    journal.record(port, Event::Answer, "1125130996",
                   QStringLiteral("контрольная сумма 96 верна: команда 11, данных 6 знаков"));
    journal.record(port, Event::Closed, {}, {});
    journal.endOperation(QStringLiteral("успешно"));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    sr5n::ConfiguratorApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(SR5N_VERSION));
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.removeAll(QStringLiteral("--dark")) > 0) {
        QApplication::setStyle(
            new sr5n::ContrastStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
        // Through the style, as a desktop theme's palette reaches the program.
        QPalette dark = sr5n::DarkPalette();
        QApplication::style()->polish(dark);
        QApplication::setPalette(dark);
    }
    QString catalogFile;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--catalog"));
        at >= 0 && at + 1 < arguments.size()) {
        catalogFile = arguments.takeAt(at + 1);
        arguments.removeAt(at);
    }
    // Any other option (--help among them) is no folder to fill.
    if (arguments.size() > 1 || (!arguments.isEmpty() && arguments.constFirst().startsWith(u'-'))) {
        std::fprintf(stderr, "Usage: sr5n-screens [--dark] [--catalog FILE] [FOLDER]\n"
                             "Saves pictures of the main window's pages and of every dialog "
                             "in FOLDER (default: the current folder).\n");
        return 2;
    }
    const QDir folder(arguments.isEmpty() ? QStringLiteral(".") : arguments.constFirst());
    folder.mkpath(QStringLiteral("."));

    sr5n::Configurator app{QCoreApplication::applicationDirPath()};

    sr5n::Windows windows{app};
    // Four high-priority marks: the other cells of that column are disabled.
    for (int row : {1, 2, 4, 6})
        app.eventTables().setMark(row, sr5n::EventCodeTables::Mark::HighPriority, true);
    sr5n::TfrmMain &main = windows.main();
    main.show();
    // As the window is a moment after its first paint: the ports listed.
    main.finishStartUp();
    auto *pages = main.findChild<sr5n::PageControl *>(QStringLiteral("pgcPages"));
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        if (auto *logs = qobject_cast<sr5n::LogsPage *>(pages->page(i)))
            logs->showLog(sampleLog(app.logExternalEvents()));
        QApplication::processEvents();
        save(main, folder,
             QStringLiteral("page%1-%2").arg(i + 1).arg(pages->page(i)->objectName()));
    }

    (void)main.exportHtml(folder.filePath(QStringLiteral("report.html")), false);

    sr5n::TfrmProgress &progress = windows.progress();
    progress.Mode = sr5n::TfrmProgress::ModeRead;
    progress.setMaximum(858);
    progress.showProgress();
    for (int i = 0; i < 400; ++i)
        progress.Step();
    save(progress, folder, QStringLiteral("progress"));
    progress.closeProgress();

    windows.about().show();
    save(windows.about(), folder, QStringLiteral("about"));
    windows.about().hide();

    windows.prefixMask().prepare(QStringLiteral("12AB"), 5, nullptr);
    windows.prefixMask().show();
    save(windows.prefixMask(), folder, QStringLiteral("prefix-mask"));
    windows.prefixMask().hide();

    windows.saveNewProtocol().prepare(
        QStringLiteral("Сохранение протокола в программе"),
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"),
        app.protocols().ProtocolNames(), QStringLiteral("Новый протокол"));
    windows.saveNewProtocol().show();
    save(windows.saveNewProtocol(), folder, QStringLiteral("save-new-protocol"));
    windows.saveNewProtocol().hide();

    windows.extEvZones().show();
    save(windows.extEvZones(), folder, QStringLiteral("zones"));
    windows.extEvZones().hide();

    windows.testScheme().show();
    windows.testScheme().tmrTest->stop();
    save(windows.testScheme(), folder, QStringLiteral("diagnostics-running"));
    windows.testScheme().hide();

    {
        sr5n::LineJournal journal;
        sampleTrace(journal);
        sr5n::TfrmLineTrace trace(journal, app.notifier());
        trace.show();
        save(trace, folder, QStringLiteral("line-trace"));
    }

    // Where the catalogue is kept, set to the team's server.
    {
        sr5n::TfrmCatalogSettings settings(
            QStringLiteral("postgresql://engineer@catalog.example:5432/objects"),
            QStringLiteral("/home/engineer/.local/share/sr5n-configurator/catalog.sqlite"),
            QStringLiteral("Общий каталог catalog.example: нет связи, ждут отправки записей: 2"),
            app.notifier(), &main);
        settings.show();
        save(settings, folder, QStringLiteral("catalog-settings"));
    }
    // An object's description changed by another engineer meanwhile.
    {
        sr5n::CatalogObject mine;
        mine.codes = QStringLiteral("0412 0413");
        mine.name = QStringLiteral("Склад «Север»");
        mine.address = QStringLiteral("Промзона, корпус 3");
        mine.notes = QStringLiteral("Ключ у охраны");
        sr5n::CatalogObject theirs = mine;
        theirs.address = QStringLiteral("Промзона, корпус 3, въезд с ул. Заводской");
        theirs.editedBy = QStringLiteral("petrov");
        theirs.editedAt = QDateTime(QDate(2026, 12, 10), QTime(14, 5));
        sr5n::TfrmEditConflict conflict(mine, theirs, &main);
        conflict.show();
        save(conflict, folder, QStringLiteral("edit-conflict"));
    }

    // The comparison with a device that holds a few other values.
    sr5n::ConfigurationCopy device(app.blockContext());
    device.context().model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    device.context().model.setSlider(QStringLiteral("trb2PCallsTrialCount"), 7);
    device.context().model.setFlag(QStringLiteral("chbInCalls"), true);
    device.context().tables.setSeparateCode(2, 1, QStringLiteral("0A0B"));
    device.context().tables.setZoneCode(3, 2, 11, QStringLiteral("3B11"));
    // The comparison and objects windows are built on first use, as a user opens them.
    main.createAllParts();
    auto *compare = main.findChild<sr5n::TfrmCompare *>();
    QTimer::singleShot(0, compare, [&] {
        compare->setTicked(1, true);
        save(*compare, folder, QStringLiteral("compare"));
        compare->reject();
    });
    compare->compare(sr5n::ConfigSide{device.model(), device.tables()},
                     QStringLiteral("Конфигурация в окне и в коммуникаторе (порт /dev/ttyUSB0)"),
                     QStringLiteral("В коммуникаторе"));

    // A catalogue of a few objects, kept in a folder of its own; the first
    // with a write whose check failed.
    QTemporaryDir catalogFolder;
    app.setCatalog(catalogFile.isEmpty() ? catalogFolder.filePath(QStringLiteral("catalog.sqlite"))
                                         : catalogFile,
                   QString());
    QStringList data, commands;
    if (catalogFile.isEmpty() && sr5n::BuildWriteRequests(app.blockContext(), data, commands)) {
        using Operation = sr5n::CatalogOperation;
        const QByteArray snc = sr5n::ConfigurationFileBytes(data, commands);
        const QDateTime start(QDate(2026, 12, 10), QTime(9, 30));
        const Operation operations[] = {Operation::Read, Operation::Written,
                                        Operation::VerificationFailed, Operation::VerificationRead,
                                        Operation::VerifiedWrite};
        const char *const names[][3] = {
            {"1234 5678", "Аптека «Здоровье»", "ул. Тверская, 12"},
            {"0412 0413", "Склад «Север»", "Промзона, корпус 3"},
            {"0777 0000", "Школа № 5", "ул. Ленина, 40"},
        };
        // Filled on the catalogue's own thread, which owns its connection.
        (void)app.objects().await<bool>([&](sr5n::ObjectCatalog &catalog) -> sr5n::Expected<bool> {
            sr5n::CatalogStore *store = catalog.store();
            for (int object = 0; object < 3 && store; ++object) {
                std::optional<sr5n::CatalogEntry> entry;
                for (int i = 0; i < (object == 0 ? 5 : 1); ++i) {
                    sr5n::NewCatalogEntry add;
                    add.time = start.addSecs(600 * i - 86400 * object).toUTC();
                    add.operation = operations[i];
                    add.port = QStringLiteral("/dev/ttyUSB0");
                    add.user = QStringLiteral("engineer");
                    add.version = QStringLiteral(SR5N_VERSION);
                    add.configuration = snc;
                    add.codes = QString::fromUtf8(names[object][0]);
                    add.phones = QStringLiteral("84951234567");
                    entry = store->record(add);
                }
                if (entry)
                    store->describeObject(entry->objectId, QString::fromUtf8(names[object][1]),
                                          QString::fromUtf8(names[object][2]),
                                          QStringLiteral("Ключ у охраны"));
            }
            return store != nullptr;
        });
    }
    auto *objects = main.findChild<sr5n::TfrmObjects *>();
    // The catalogue answers on its own thread: each picture waits for it.
    const auto settled = [](const auto &busy) {
        QDeadlineTimer deadline(30000);
        while (busy() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    QTimer::singleShot(0, objects, [&] {
        settled([&] { return objects->busy(); });
        objects->selectObject(0);
        settled([&] { return objects->busy(); });
        objects->selectEntry(1);
        save(*objects, folder, QStringLiteral("objects"));
        {
            // Another object asked for, the one chosen in the window left out.
            sr5n::TfrmObjectChooser chooser(QStringLiteral("Объединение объектов"), app.objects(),
                                            objects->objects().value(0).id, objects);
            chooser.show();
            settled([&] { return chooser.busy(); });
            save(chooser, folder, QStringLiteral("object-chooser"));
        }
        if (!catalogFile.isEmpty()) {
            auto *search = objects->findChild<QLineEdit *>(QStringLiteral("edtObjectsSearch"));
            search->setText(QStringLiteral("садовая"));
            settled([&] { return objects->busy(); });
            save(*objects, folder, QStringLiteral("objects-search"));
        }
        objects->reject();
    });
    objects->showObjects();
    return 0;
}
