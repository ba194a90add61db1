// sr5n-fuzz-seeds FOLDER: writes the seeds the fuzz targets start from, made
// from what the program itself writes, into FOLDER/TARGET: configuration
// files and their JSON forms of sample configurations (the defaults, every
// value and code other than the defaults, a configuration with one pair
// only), history files named as earlier versions named them, and what real
// ser2net sends to an RFC 2217 client through a whole negotiation, on its
// RFC 2217 door and on its plain Telnet door (which refuses the option).
#include "cli/ConfigJson.h"
#include "common/FakeNotifier.h"
#include "common/Ser2netBridge.h"
#include "common/SimProcess.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/ProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "events/EventNameLists.h"
#include "link/Rfc2217Session.h"
#include "link/TelnetCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QThread>
#include <QTime>

#include <cstdio>
#include <functional>

using namespace sr5n;

namespace {

class TwoProtocols final : public ProtocolCatalog
{
public:
    int protocolCount() const override { return int(m_records.size()); }
    QString recordAt(int index) const override { return m_records.value(index); }
    int indexOfRecord(const QString &record) const override
    {
        return int(m_records.indexOf(record.toUpper()));
    }
    bool RegisterDeviceProtocol(const QString &record, int, const QStringList &) override
    {
        return indexOfRecord(record) >= 0;
    }

private:
    QStringList m_records{QStringLiteral("02000004FF1F00000000000000000000050528"),
                          QStringLiteral("00000100CF0000000000000000000000050526")};
};

bool write(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    std::printf("%s: %lld bytes\n", qPrintable(file.fileName()),
                static_cast<long long>(bytes.size()));
    return true;
}

// Every value of the pages and every code other than the defaults.
void changeEverything(ConfigModel &model, EventCodeTables &tables)
{
    for (const QString &name : model.names()) {
        const ValueDescription &d = *model.description(name);
        if (d.page == ConfigPage::ProtocolEditor)
            continue;
        switch (d.kind) {
        case ValueKind::Flag:
            model.setFlag(name, !model.flag(name));
            break;
        case ValueKind::Slider:
            model.setSlider(name, model.slider(name) == d.maximum ? d.minimum : d.maximum);
            break;
        case ValueKind::Code:
            model.setText(name, QStringLiteral("ABCD").left(d.maximum));
            break;
        case ValueKind::Phone:
            model.setText(name, QStringLiteral("84951234567"));
            break;
        case ValueKind::Time:
            model.setTime(name, QTime(7, 45));
            break;
        case ValueKind::Choice:
            model.setChoice(name, 1);
            break;
        case ValueKind::Mask:
            break;
        }
    }
    using Table = EventCodeTables::Table;
    const auto code = [](int number) {
        return QStringLiteral("%1").arg(number, 4, 16, QLatin1Char('0')).toUpper();
    };
    for (int row = 1; row <= tables.rowCount(Table::Separate); ++row)
        for (int pair = 1; pair <= 2; ++pair)
            tables.setSeparateCode(row, pair, code(row * 7 + pair));
    for (int row = 1; row <= tables.rowCount(Table::Common); ++row)
        tables.setCommonCode(row, code(row * 13));
    for (int row = 1; row <= 3; ++row)
        for (int pair = 1; pair <= 2; ++pair)
            for (int zone = 0; zone < 8; ++zone)
                tables.setZoneCode(row, pair, zone, code(0xE000 + row * 100 + zone));
    tables.setMark(2, EventCodeTables::Mark::HighPriority, true);
}

// What the server sends from the client's offer until the session is
// settled or refused, and a moment after.
QByteArray recordNegotiation(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(3000))
        return {};
    TelnetCodec codec;
    Rfc2217Session session;
    socket.write(session.start());
    QByteArray received;
    QDeadlineTimer deadline(4000);
    QDeadlineTimer settled = QDeadlineTimer::Forever;
    while (!deadline.hasExpired() && !settled.hasExpired()) {
        if (!socket.waitForReadyRead(100))
            continue;
        const QByteArray bytes = socket.readAll();
        received += bytes;
        const TelnetCodec::Decoded decoded = codec.decode(bytes);
        for (const TelnetCodec::Command &command : decoded.commands)
            socket.write(session.handle(command));
        codec.setBinaryIn(session.binaryIn());
        codec.setBinaryOut(session.binaryOut());
        if (settled.isForever() && session.state() != Rfc2217Session::State::Offering &&
            session.state() != Rfc2217Session::State::Setting)
            settled.setRemainingTime(300);
    }
    std::printf("port %u: session ended %s (%s)\n", port,
                session.state() == Rfc2217Session::State::Settled ? "settled" : "not settled",
                qPrintable(session.reportedText()));
    return received;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: sr5n-fuzz-seeds FOLDER\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    test::FakeNotifier notifier;
    TwoProtocols catalog;
    const auto sample = [&](const QString &name,
                            const std::function<void(ConfigModel &, EventCodeTables &)> &change) {
        ConfigModel model;
        EventCodeTables tables;
        SetUpEventTables(QStringLiteral(SR5N_BIN_DIR), tables, notifier);
        const QStringList protocols{QStringLiteral("Contact ID"), QStringLiteral("4+2")};
        model.setChoiceItems(QStringLiteral("cbx1PProtocol"), protocols);
        model.setChoiceItems(QStringLiteral("cbx2PProtocol"), protocols);
        model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
        model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
        change(model, tables);
        QStringList data, commands;
        if (!BuildWriteRequests(BlockContext{model, tables, catalog, notifier}, data, commands)) {
            std::fprintf(stderr, "%s: no write requests\n", qPrintable(name));
            ok = false;
            return;
        }
        const QByteArray snc = ConfigurationFileBytes(data, commands);
        ok = write(root.filePath(QStringLiteral("snc_file")), name + QStringLiteral(".snc"), snc) &&
             ok;
        ok = write(root.filePath(QStringLiteral("stored_configuration")),
                   name + QStringLiteral(".snc"), snc) &&
             ok;
        ok = write(root.filePath(QStringLiteral("config_json")), name + QStringLiteral(".json"),
                   ConfigurationToJson(model, tables)) &&
             ok;
        const QString history = root.filePath(QStringLiteral("history_import"));
        ok = write(history, name + QStringLiteral("-history-name"),
                   "2025-03-14_09-30-05_read_ttyUSB0_1234_0567.snc\n" + snc) &&
             ok;
        ok = write(history, name + QStringLiteral("-other-name"), name.toUtf8() + ".txt\n" + snc) &&
             ok;
    };
    sample(QStringLiteral("defaults"), [](ConfigModel &, EventCodeTables &) {});
    sample(QStringLiteral("everything-changed"), changeEverything);
    sample(QStringLiteral("first-pair-only"), [](ConfigModel &model, EventCodeTables &) {
        model.setFlag(QStringLiteral("chb1P1N"), true);
        model.setText(QStringLiteral("edt1P1N"), QStringLiteral("84957654321"));
        model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("1234"));
        model.setFlag(QStringLiteral("chb2P1N"), false);
        model.setFlag(QStringLiteral("chb2P2N"), false);
    });

    // The stream target's first two bytes: the size of the pieces, binary.
    test::SimProcess sim;
    test::Ser2netBridge bridge(sim.path());
    if (!sim.started() || !bridge.started()) {
        std::fprintf(stderr, "no ser2net: %s\n", qPrintable(bridge.log()));
        return 1;
    }
    const QString telnet = root.filePath(QStringLiteral("telnet_stream"));
    const QByteArray rfc2217 = recordNegotiation(bridge.rfc2217Port());
    QThread::msleep(200); // the bridge lets go of the terminal after the last user
    const QByteArray plain = recordNegotiation(bridge.telnetPort());
    if (rfc2217.isEmpty() || plain.isEmpty()) {
        std::fprintf(stderr, "ser2net sent nothing\n");
        return 1;
    }
    ok = write(telnet, QStringLiteral("ser2net-rfc2217-whole"),
               QByteArray("\x3f\x00", 2) + rfc2217) &&
         ok;
    ok = write(telnet, QStringLiteral("ser2net-rfc2217-bytewise"),
               QByteArray("\x00\x01", 2) + rfc2217) &&
         ok;
    ok = write(telnet, QStringLiteral("ser2net-telnet-refusing"),
               QByteArray("\x06\x00", 2) + plain) &&
         ok;
    return ok ? 0 : 1;
}
