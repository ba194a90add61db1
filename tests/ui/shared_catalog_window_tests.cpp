// The team's catalogue on a PostgreSQL server through the real windows: the
// catalogue chosen in its settings window, the password asked for, its state
// told in the objects window, an object's description changed by someone
// else meanwhile, and two engineers' windows with a script on one server.
#include "app/UserSettings.h"
#include "catalog/CatalogLocation.h"
#include "catalog/CatalogStore.h"
#include "catalog/SharedCatalogStore.h"
#include "common/PgServer.h"
#include "common/SimProcess.h"
#include "common/WindowCommands.h"
#include "common/WindowParts.h"
#include "ui/TransferRig.h"
#include "ui/catalog/TfrmCatalogSettings.h"
#include "ui/catalog/TfrmEditConflict.h"
#include "ui/catalog/TfrmObjects.h"

#include <QApplication>
#include <QInputDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "common/CatalogAccess.h"
#include "common/ExpectedValue.h"
#include "common/PgTableLock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace sr5n;
using test::PgServer;
using test::Rig;

namespace {

// Acts on every modal window of type W (and object name, when given) that
// comes up while it lives; `act` closes it.
template <typename W> class OnEachModal
{
public:
    explicit OnEachModal(std::function<void(W &)> act, QString name = {})
        : m_act(std::move(act)), m_name(std::move(name))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || window == m_last ||
                (!m_name.isEmpty() && window->objectName() != m_name))
                return;
            m_last = window;
            ++m_shown;
            m_act(*window);
            // The same window may come up again for another answer.
            if (!window->isVisible())
                m_last = nullptr;
        });
        m_timer.start();
    }
    int shown() const { return m_shown; }

private:
    std::function<void(W &)> m_act;
    QString m_name;
    QTimer m_timer;
    W *m_last = nullptr;
    int m_shown = 0;
};

// The objects window's line about the catalogue, the window shown and closed.
QString objectsInfo(Rig &rig)
{
    QString info;
    OnEachModal<TfrmObjects> window([&](TfrmObjects &objects) {
        EXPECT_TRUE(test::waitFor([&objects] { return !objects.busy(); }));
        info = test::part<QLabel>(objects, "lblObjectsInfo")->text();
        objects.accept();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_EQ(window.shown(), 1);
    return info;
}

// Chooses the server through the catalogue settings window.
void chooseServer(Rig &rig, const QString &uri)
{
    OnEachModal<TfrmCatalogSettings> settings([&](TfrmCatalogSettings &w) {
        test::part<QRadioButton>(w, "rbCatalogServer")->click();
        test::part<QLineEdit>(w, "edtCatalogServer")->setText(uri);
        test::part<QPushButton>(w, "btnCatalogOk")->click();
    });
    test::trigger(rig.window, "pumCatalogSettings");
    EXPECT_TRUE(test::waitFor([&settings] { return settings.shown() == 1; }));
    // The catalogue opened and its password asked, in the background.
    EXPECT_TRUE(test::settle(rig.app));
}

QString entriesOnServer(PgServer &pg, const QString &database)
{
    return pg.execute(database, QStringLiteral("SELECT count(*) FROM entries")).value_or(QString());
}

} // namespace

// The server asks for a password: the window asks the engineer, again when
// the server refuses it; once in, reads go to the server, the choice is kept
// in the user's settings and the password nowhere.
TEST(SharedCatalogWindow, AsksForThePasswordAndRecordsIntoTheServer)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    const QString uri = pg.tcpUri(QString::fromLatin1(PgServer::Engineer), database);
    Rig rig;
    ASSERT_TRUE(rig.sim->started());

    QStringList asked;
    const QStringList answers{QStringLiteral("wrong-pass"),
                              QString::fromLatin1(PgServer::EngineerPassword)};
    OnEachModal<QInputDialog> prompt(
        [&](QInputDialog &dialog) {
            asked << dialog.labelText();
            EXPECT_EQ(dialog.textEchoMode(), QLineEdit::Password);
            dialog.setTextValue(answers.value(asked.size() - 1));
            dialog.accept();
        },
        QStringLiteral("dlgCatalogPassword"));
    chooseServer(rig, uri);
    ASSERT_EQ(asked.size(), 2) << qPrintable(asked.join(u'\n'));
    const QString server = PostgresUri::parse(uri).displayText();
    EXPECT_EQ(asked.at(0),
              QStringLiteral("Сервер каталога %1 просит пароль роли «engineer»").arg(server));
    EXPECT_EQ(asked.at(1),
              QStringLiteral("Сервер каталога %1 не принял пароль роли «engineer»").arg(server));

    EXPECT_EQ(UserSettings().catalogLocation(), uri);
    QFile settingsFile(UserSettings::fileName());
    ASSERT_TRUE(settingsFile.open(QIODevice::ReadOnly));
    EXPECT_FALSE(settingsFile.readAll().contains(PgServer::EngineerPassword));

    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_EQ(rig.notifier.errors, QStringList());
    EXPECT_EQ(entriesOnServer(pg, database).trimmed(), QStringLiteral("1"));
    EXPECT_EQ(objectsInfo(rig).section(QStringLiteral(". "), -1),
              QStringLiteral("Общий каталог %1: на связи, без шифрования").arg(server));
}

// Declining the password works without the server: the read goes on without
// asking, and its entry waits in the local catalogue.
TEST(SharedCatalogWindow, DecliningThePasswordKeepsEntriesLocally)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    const QString uri = pg.tcpUri(QString::fromLatin1(PgServer::Engineer), database);
    Rig rig;
    ASSERT_TRUE(rig.sim->started());

    OnEachModal<QInputDialog> prompt([](QInputDialog &dialog) { dialog.reject(); },
                                     QStringLiteral("dlgCatalogPassword"));
    chooseServer(rig, uri);
    EXPECT_EQ(prompt.shown(), 1);

    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    test::trigger(rig.window, "actRead");
    ASSERT_TRUE(test::settle(rig.app));
    EXPECT_EQ(rig.notifier.errors, QStringList());
    EXPECT_EQ(prompt.shown(), 1);
    // Nothing reached the server (whose tables may not even exist yet).
    const QString onServer = entriesOnServer(pg, database).trimmed();
    EXPECT_TRUE(onServer.isEmpty() || onServer == u"0") << qPrintable(onServer);
    const QString server = PostgresUri::parse(uri).displayText();
    EXPECT_EQ(objectsInfo(rig).section(QStringLiteral(". "), -1),
              QStringLiteral("Общий каталог %1: нет связи, ждут отправки записей: 1").arg(server));
    // Opening the objects window offers the connection once more.
    EXPECT_EQ(prompt.shown(), 2);
}

// What the objects window says of the catalogue in use.
TEST(SharedCatalogWindow, TellsWhichCatalogueAndItsState)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    {
        // The engineer's first connection makes the tables the reader reads.
        CatalogOpening made =
            OpenCatalog(pg.socketUri(QString::fromLatin1(PgServer::Engineer), database),
                        QDir::temp().filePath(QStringLiteral("unused.sqlite")));
        ASSERT_TRUE(made.store);
    }
    struct Case {
        const char *role;
        bool stopped;
        QString expected; // the end of the line, after the server's name
    };
    const Case cases[] = {
        {PgServer::Engineer, false, QStringLiteral(": на связи, внутри этого компьютера")},
        {PgServer::Reader, false,
         QStringLiteral(": на связи, внутри этого компьютера, только чтение")},
        {PgServer::Engineer, true, QStringLiteral(": нет связи, ждут отправки записей: 1")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        Rig rig;
        ASSERT_TRUE(rig.sim->started());
        const QString uri = pg.socketUri(QString::fromLatin1(c.role), database);
        if (c.stopped) {
            ASSERT_TRUE(pg.stop());
        }
        chooseServer(rig, uri);
        if (c.stopped)
            test::trigger(rig.window, "actRead");
        ASSERT_TRUE(test::settle(rig.app));
        const QString info = objectsInfo(rig);
        if (c.stopped) {
            ASSERT_TRUE(pg.start()) << qPrintable(pg.error());
        }
        EXPECT_TRUE(info.endsWith(QStringLiteral("Общий каталог %1%2")
                                      .arg(PostgresUri::parse(uri).displayText(), c.expected)))
            << qPrintable(info);
    }
}

// Another engineer changed the object's description after this one saw it:
// the conflict window shows both; he keeps his, takes theirs or goes back to
// his texts unsaved.
TEST(SharedCatalogWindow, AnEditOverAnotherEngineersChangeAsksWhichToKeep)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    struct Case {
        TfrmEditConflict::Choice choice;
        const char *button;
        QString stored; // the name in the catalogue afterwards
        QString shown;  // the name in the objects window afterwards
    };
    const Case cases[] = {
        {TfrmEditConflict::Choice::KeepMine, "btnKeepMine", QStringLiteral("Склад"),
         QStringLiteral("Склад")},
        {TfrmEditConflict::Choice::TakeTheirs, "btnTakeTheirs", QStringLiteral("Магазин"),
         QStringLiteral("Магазин")},
        {TfrmEditConflict::Choice::Cancel, "btnConflictCancel", QStringLiteral("Магазин"),
         QStringLiteral("Склад")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.button);
        const QString database = pg.createDatabase();
        const QString uri = pg.socketUri(QString::fromLatin1(PgServer::Engineer), database);
        Rig rig;
        ASSERT_TRUE(rig.sim->started());
        chooseServer(rig, uri);
        rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
        test::trigger(rig.window, "actRead");
        ASSERT_TRUE(test::settle(rig.app));

        // The other engineer, through a connection of his own.
        QTemporaryDir otherFolder;
        CatalogOpening other =
            OpenCatalog(uri, otherFolder.filePath(QStringLiteral("other.sqlite")));
        ASSERT_TRUE(other.store);
        ASSERT_TRUE(other.store->link() && other.store->link()->connect());

        QStringList mineShown, theirsShown;
        QString nameAfter;
        OnEachModal<TfrmEditConflict> conflict([&](TfrmEditConflict &w) {
            auto *table = test::part<QTableWidget>(w, "tblConflict");
            for (int row = 0; row < table->rowCount(); ++row) {
                mineShown << table->item(row, 0)->text();
                theirsShown << table->item(row, 1)->text();
            }
            test::part<QPushButton>(w, c.button)->click();
        });
        auto *window = test::part<TfrmObjects>(rig.window, "frmObjects");
        QTimer::singleShot(0, window, [&] {
            ASSERT_TRUE(test::waitFor([&] { return !window->busy(); }));
            ASSERT_EQ(window->objects().size(), 1);
            const QString id = window->objects().constFirst().id;
            test::part<QLineEdit>(*window, "edtObjectName")->setText(QStringLiteral("Склад"));
            ASSERT_TRUE(other.store->describeObject(id, QStringLiteral("Магазин"),
                                                    QStringLiteral("ул. Ленина, 1"), QString()));
            test::part<QPushButton>(*window, "btnObjectDescribe")->click();
            ASSERT_TRUE(test::waitFor([&] { return !window->busy(); }));
            nameAfter = test::part<QLineEdit>(*window, "edtObjectName")->text();
            window->accept();
        });
        test::trigger(rig.window, "pumObjects");
        ASSERT_EQ(conflict.shown(), 1);
        EXPECT_EQ(mineShown, QStringList({"Склад", "", ""}));
        EXPECT_EQ(theirsShown, QStringList({"Магазин", "ул. Ленина, 1", ""}));
        EXPECT_EQ(nameAfter, c.shown);
        const QList<CatalogObject> stored = valueOf(other.store->objects());
        ASSERT_EQ(stored.size(), 1);
        EXPECT_EQ(stored.constFirst().name, c.stored);
        EXPECT_EQ(rig.notifier.errors, QStringList());
    }
}

namespace {

// What a main window's objects window lists: each object, by its first
// number, with the ports of its entries (newest first) and its notes; and the
// line about the catalogue. `act` then acts on the window before it closes.
struct Listed {
    QMap<QString, QStringList> ports;
    QMap<QString, QString> notes;
    QString info;
};

Listed listedIn(Rig &rig, const std::function<void(TfrmObjects &)> &act = {})
{
    Listed listed;
    OnEachModal<TfrmObjects> window([&](TfrmObjects &objects) {
        const auto settled = [&objects] {
            EXPECT_TRUE(test::waitFor([&objects] { return !objects.busy(); }));
        };
        settled();
        for (int row = 0; row < objects.objects().size(); ++row) {
            const CatalogObject object = objects.objects().at(row);
            objects.selectObject(row);
            settled();
            QStringList ports;
            for (const CatalogEntry &entry : objects.timeline())
                ports << entry.port;
            const QString number = object.codes.section(u' ', 0, 0);
            listed.ports.insert(number, ports);
            listed.notes.insert(number, object.notes);
        }
        listed.info = test::part<QLabel>(objects, "lblObjectsInfo")->text();
        if (act)
            act(objects);
        settled();
        objects.accept();
    });
    test::trigger(rig.window, "pumObjects");
    EXPECT_EQ(window.shown(), 1);
    return listed;
}

} // namespace

// A team on one server: two engineers' windows and a script that reads a
// third device with sr5n-cli. Each window lists what the others recorded as
// soon as its objects window opens, and a note written in one shows in the
// other. The server stopped while one engineer reads a device costs nothing
// but a delay: the entry waits locally, is sent once when the server is back,
// and the other engineer sees it.
TEST(SharedCatalogWindow, TwoWindowsAndAScriptOnOneServerSeeEachOthersEntries)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    const QString uri = pg.socketUri(QString::fromLatin1(PgServer::Engineer), database);
    const QString server = PostgresUri::parse(uri).displayText();
    Rig a, b;
    ASSERT_TRUE(a.sim->started());
    ASSERT_TRUE(b.sim->started());
    chooseServer(a, uri);
    chooseServer(b, uri);

    // The script reads its device three times while the engineers write theirs.
    test::SimProcess scriptDevice;
    ASSERT_TRUE(scriptDevice.started());
    QTemporaryDir scriptFolder;
    QProcess script;
    script.setStandardInputFile(QProcess::nullDevice());
    script.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("for i in 1 2 3; do \"$0\" read --port \"$1\" -o \"$2\" --catalog "
                                 "\"$3\" --quiet || exit 1; done"),
                  QStringLiteral(SR5N_BIN_DIR "/sr5n-cli-short"), scriptDevice.path(),
                  scriptFolder.filePath(QStringLiteral("device.snc")), uri});
    a.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    test::trigger(a.window, "actWrite");
    ASSERT_TRUE(test::settle(a.app));
    b.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0413"));
    test::trigger(b.window, "actWrite");
    ASSERT_TRUE(test::settle(b.app));
    ASSERT_TRUE(script.waitForFinished(120000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    ASSERT_EQ(a.notifier.errors, QStringList());
    ASSERT_EQ(b.notifier.errors, QStringList());

    const QString scriptNumber =
        pg.execute(database, QStringLiteral("SELECT DISTINCT split_part(codes, ' ', 1) FROM "
                                            "entries WHERE port = '%1'")
                                 .arg(scriptDevice.path()))
            .value_or(QString())
            .trimmed();
    ASSERT_FALSE(scriptNumber.isEmpty());
    // Each run of the script recorded its read and the file it saved.
    const QStringList scriptPorts =
        pg.execute(database,
                   QStringLiteral("SELECT string_agg(port, ',' ORDER BY time DESC, id DESC) FROM "
                                  "entries WHERE codes LIKE '%1 %'")
                       .arg(scriptNumber))
            .value_or(QString())
            .split(u',');
    ASSERT_EQ(scriptPorts.count(scriptDevice.path()), 3) << qPrintable(scriptPorts.join(u','));
    const QMap<QString, QStringList> everything{{QStringLiteral("0412"), {a.sim->path()}},
                                                {QStringLiteral("0413"), {b.sim->path()}},
                                                {scriptNumber, scriptPorts}};
    const QString note = QStringLiteral("Ключи у охранника, вход со двора");
    const Listed inA = listedIn(a, [&](TfrmObjects &window) {
        const QList<CatalogObject> &objects = window.objects();
        const auto row = std::find_if(objects.cbegin(), objects.cend(), [](const auto &object) {
            return object.codes.startsWith(u"0412");
        });
        ASSERT_NE(row, objects.cend());
        window.selectObject(int(row - objects.cbegin()));
        EXPECT_TRUE(test::waitFor([&window] { return !window.busy(); }));
        test::part<QPlainTextEdit>(window, "memObjectNotes")->setPlainText(note);
        test::part<QPushButton>(window, "btnObjectDescribe")->click();
    });
    EXPECT_EQ(inA.ports, everything);
    const Listed inB = listedIn(b);
    EXPECT_EQ(inB.ports, everything);
    EXPECT_EQ(inB.notes.value(QStringLiteral("0412")), note);
    EXPECT_EQ(a.notifier.errors, QStringList());

    // The server goes away while engineer A reads his device.
    ASSERT_TRUE(pg.stop());
    test::trigger(a.window, "actRead");
    ASSERT_TRUE(test::settle(a.app));
    EXPECT_EQ(a.notifier.errors, QStringList());
    EXPECT_TRUE(listedIn(a).info.endsWith(
        QStringLiteral("Общий каталог %1: нет связи, ждут отправки записей: 1").arg(server)));
    ASSERT_TRUE(pg.start()) << qPrintable(pg.error());

    // Back: A's objects window sends it, once, and B sees it.
    a.notifier.informations.clear();
    EXPECT_TRUE(
        listedIn(a).info.endsWith(QStringLiteral("Общий каталог %1: на связи, внутри этого компьютера").arg(server)));
    EXPECT_EQ(a.notifier.informations, QStringList{SharedCatalogStore::sentMessage(server, 1)});
    const Listed afterA = listedIn(a);
    EXPECT_EQ(afterA.ports.value(QStringLiteral("0412")),
              QStringList({a.sim->path(), a.sim->path()}));
    EXPECT_EQ(
        pg.execute(database, QStringLiteral("SELECT count(*), count(DISTINCT source) FROM entries"))
            .value_or(QString())
            .trimmed(),
        QStringLiteral("%1|%1").arg(scriptPorts.size() + 3));
    const Listed afterB = listedIn(b);
    EXPECT_EQ(afterB.ports.value(QStringLiteral("0412")),
              QStringList({a.sim->path(), a.sim->path()}));
    EXPECT_TRUE(afterB.info.endsWith(QStringLiteral("Общий каталог %1: на связи, внутри этого компьютера").arg(server)));
    EXPECT_EQ(b.notifier.errors, QStringList());
}

// Another engineer's transaction holds every table of the team's catalogue:
// a read completes with its usual notice, «Объекты» opens and answers, saying
// what it waits for, another read goes as usual; when the lock ends each
// read's entry reaches the server once and the list comes.
TEST(SharedCatalogWindow, WithEveryTableLockedTheWindowAnswersAndTheEntryGoesOnceAfter)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    const QString uri = pg.socketUri(QString::fromLatin1(PgServer::Engineer), database);
    Rig rig;
    ASSERT_TRUE(rig.sim->started());
    chooseServer(rig, uri);
    ASSERT_EQ(rig.notifier.errors, QStringList());

    test::PgTableLock lock(pg, database);
    ASSERT_TRUE(lock.held());
    rig.config().setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("0412"));
    test::trigger(rig.window, "actRead");
    EXPECT_EQ(rig.notifier.errors, QStringList());
    // The entry waits for the server; the window does not.
    EXPECT_FALSE(rig.app.objects().idle());

    // «Объекты» opens and takes keys while its list waits.
    {
        QString waiting;
        bool listedWhileLocked = true;
        OnEachModal<TfrmObjects> objects([&](TfrmObjects &window) {
            waiting = test::part<QLabel>(window, "lblObjectsInfo")->text();
            listedWhileLocked = !window.busy();
            auto *search = test::part<QLineEdit>(window, "edtObjectsSearch");
            search->setText(QStringLiteral("0412"));
            EXPECT_EQ(search->text(), QStringLiteral("0412"));
            search->clear();
            window.accept();
        });
        test::trigger(rig.window, "pumObjects");
        EXPECT_EQ(objects.shown(), 1);
        EXPECT_FALSE(listedWhileLocked);
        EXPECT_TRUE(waiting == QStringLiteral("Поиск…") ||
                    waiting == QStringLiteral("Подключение к общему каталогу…"))
            << qPrintable(waiting);
    }
    // Another device operation goes at its usual pace meanwhile.
    test::trigger(rig.window, "actRead");
    EXPECT_EQ(rig.notifier.errors, QStringList());

    lock.release();
    ASSERT_TRUE(test::settle(rig.app));
    // Both reads, each once.
    EXPECT_EQ(entriesOnServer(pg, database).trimmed(), QStringLiteral("2"));
    const QString info = objectsInfo(rig);
    EXPECT_TRUE(info.startsWith(QStringLiteral("Объектов: 1."))) << qPrintable(info);
    EXPECT_EQ(entriesOnServer(pg, database).trimmed(), QStringLiteral("2"));
    EXPECT_EQ(rig.notifier.errors, QStringList());
}

// The root certificate the server's certificate is checked against is chosen
// in the settings window's file dialog and kept in the address; the window
// shows it in its own field when opened again, with how the connection in
// use is protected.
// Fails since the settings window waits for the catalogue service's status before it opens: to mend.
TEST(SharedCatalogWindow, DISABLED_TheRootCertificateIsChosenInTheSettingsWindow)
{
    PgServer &pg = PgServer::shared();
    ASSERT_TRUE(pg.running()) << qPrintable(pg.error());
    const QString database = pg.createDatabase();
    const QString uri = pg.tcpUri(QString::fromLatin1(PgServer::Engineer), database);
    QTemporaryDir folder;
    const QString certificate = folder.filePath(QStringLiteral("Team CA.crt"));
    QFile file(certificate);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("-----BEGIN CERTIFICATE-----\n-----END CERTIFICATE-----\n");
    file.close();
    qputenv("PGPASSWORD", PgServer::EngineerPassword);
    Rig rig;
    ASSERT_TRUE(rig.sim->started());

    {
        OnEachModal<QFileDialog> files(
            [&](QFileDialog &dialog) {
                dialog.setDirectory(folder.path());
                dialog.selectFile(certificate);
                static_cast<QDialog &>(dialog).accept();
            },
            QStringLiteral("dlgCatalogRootCert"));
        OnEachModal<TfrmCatalogSettings> settings([&](TfrmCatalogSettings &w) {
            test::part<QRadioButton>(w, "rbCatalogServer")->click();
            test::part<QLineEdit>(w, "edtCatalogServer")->setText(uri);
            test::part<QPushButton>(w, "btnCatalogRootCert")->click();
            EXPECT_EQ(test::part<QLineEdit>(w, "edtCatalogRootCert")->text(), certificate);
            test::part<QPushButton>(w, "btnCatalogOk")->click();
        });
        test::trigger(rig.window, "pumCatalogSettings");
        EXPECT_EQ(files.shown(), 1);
    }
    const PostgresUri kept = PostgresUri::parse(UserSettings().catalogLocation());
    EXPECT_EQ(kept.parameter(QStringLiteral("sslrootcert")), certificate);
    EXPECT_EQ(kept.parameter(QStringLiteral("sslmode")), QStringLiteral("disable"));

    QString shownAddress, shownCertificate, status;
    OnEachModal<TfrmCatalogSettings> again([&](TfrmCatalogSettings &w) {
        shownAddress = test::part<QLineEdit>(w, "edtCatalogServer")->text();
        shownCertificate = test::part<QLineEdit>(w, "edtCatalogRootCert")->text();
        status = test::part<QLabel>(w, "lblCatalogStatus")->text();
        w.reject();
    });
    test::trigger(rig.window, "pumCatalogSettings");
    qunsetenv("PGPASSWORD");
    EXPECT_EQ(shownAddress, uri);
    EXPECT_EQ(shownCertificate, certificate);
    EXPECT_EQ(status, QStringLiteral("Общий каталог %1: на связи, без шифрования")
                          .arg(PostgresUri::parse(uri).displayText()));
}
