// sr5n-decode-benchmark: what every decoding of a whole configuration costs
// before any of its values is looked at. Opening a file, reading the device
// and opening a catalogue entry decode into a copy of the window's model
// (DecodeAnswers); the catalogue's history import makes a model of its own
// for each file (ConfigurationFacts::ofFile). Each case runs RUNS rounds of a
// batch and prints the median and the fastest time of one operation.

#include "catalog/ConfigurationFacts.h"
#include "common/Notifier.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/ProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace sr5n;

class Silent final : public Notifier
{
public:
    void flash() override {}
    void showError(const QString &) override {}
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
};

// Two protocols in the library, as the program starts with.
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

// Microseconds of one call of `operation`: median and fastest of the rounds.
void measure(const char *what, int runs, int batch, const std::function<void()> &operation)
{
    std::vector<double> micros;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < batch; ++i)
            operation();
        micros.push_back(double(timer.nsecsElapsed()) / 1000.0 / batch);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%-58s median %9.1f us  fastest %9.1f us\n", what, micros[micros.size() / 2],
                micros.front());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    Silent notifier;
    ConfigModel model;
    EventCodeTables tables;
    TwoProtocols catalog;
    const QStringList protocols{QStringLiteral("Contact ID"), QStringLiteral("4+2")};
    model.setChoiceItems(QStringLiteral("cbx1PProtocol"), protocols);
    model.setChoiceItems(QStringLiteral("cbx2PProtocol"), protocols);
    model.setChoice(QStringLiteral("cbx1PProtocol"), 0);
    model.setChoice(QStringLiteral("cbx2PProtocol"), 1);
    const BlockContext context{model, tables, catalog, notifier};
    QStringList data, commands;
    if (!BuildWriteRequests(context, data, commands)) {
        std::fprintf(stderr, "no write requests\n");
        return 1;
    }
    const QByteArray file = ConfigurationFileBytes(data, commands);

    measure("a new ConfigModel", runs, 200, [] { ConfigModel fresh; });
    measure("DecodeAnswers of a whole configuration", runs, 20, [&] {
        if (!DecodeAnswers(context, data, commands))
            std::abort();
    });
    measure("ConfigurationFacts::ofFile (each file of a history import)", runs, 20, [&] {
        if (!ConfigurationFacts::ofFile(file))
            std::abort();
    });
    return 0;
}
