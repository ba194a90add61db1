// sr5n-compare-benchmark: comparing two whole configurations, as the
// comparison window and the verification of a write do.
//
// Three cases: two equal configurations (a write that verifies), one value
// changed on each page, and every value, code and mark different (8400 zone
// codes and all values: the largest list there can be). For each, the
// median and the slowest of the runs; target: under 50 ms. Then the text of
// the largest list, as a command line would print it.

#include "config/ConfigComparison.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace sr5n;
using Table = EventCodeTables::Table;
using Mark = EventCodeTables::Mark;

constexpr int Runs = 41;
constexpr double TargetMs = 50;

// A configuration as the window holds it: named event rows, two protocols.
struct Configuration {
    ConfigModel model;
    EventCodeTables tables;

    Configuration()
    {
        for (const char *chooser : {"cbx1PProtocol", "cbx2PProtocol"}) {
            model.setChoiceItems(QString::fromLatin1(chooser),
                                 {QStringLiteral("Contact ID"), QStringLiteral("Ademco 4+2")});
            model.setChoice(QString::fromLatin1(chooser), 0);
        }
        for (int r = 1; r <= tables.rowCount(Table::Separate); ++r)
            tables.setRow(Table::Separate, r,
                          {QString::number(r), QStringLiteral("Внутреннее событие %1").arg(r), 0});
        for (int r = 1; r <= tables.rowCount(Table::External); ++r)
            tables.setRow(Table::External, r,
                          {QString::number(r), QStringLiteral("Тревога шлейфа %1").arg(r), r});
    }

    ConfigSide side() const { return ConfigSide{model, tables}; }
};

// Every value of the pages and every code and mark other than the defaults.
void changeEverything(Configuration &c)
{
    ConfigModel &model = c.model;
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
    for (int pair = 1; pair <= 2; ++pair) {
        for (int r = 1; r <= c.tables.rowCount(Table::Separate); ++r)
            c.tables.setSeparateCode(r, pair,
                                     QStringLiteral("1%1").arg(r, 3, 10, QLatin1Char('0')));
        for (int r = 1; r <= EventCodeTables::ExternalEventCount; ++r) {
            QStringList zones;
            for (int z = 0; z < EventCodeTables::ZoneCount; ++z)
                zones.append(QStringLiteral("%1%2")
                                 .arg(pair)
                                 .arg(r * 70 + z, 3, 16, QLatin1Char('0'))
                                 .toUpper());
            c.tables.setZoneCodes(r, pair, zones);
        }
    }
    c.tables.setCommonCode(1, QStringLiteral("9999"));
    for (int r : {1, 2, 3, 4}) {
        c.tables.setMark(r, Mark::HighPriority, true);
        c.tables.setMark(60 - r, Mark::Mandatory, true);
    }
}

void changeOnEachPage(Configuration &c)
{
    c.model.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("1234"));
    c.model.setSlider(QStringLiteral("trb2PCallsTrialCount"), 7);
    c.model.setFlag(QStringLiteral("chbInCalls"), true);
    c.model.setSlider(QStringLiteral("trbSesansLength"), 9);
    c.tables.setSeparateCode(2, 1, QStringLiteral("0A0B"));
    c.tables.setZoneCode(3, 2, 11, QStringLiteral("3B11"));
}

struct Measure {
    double medianMs = 0;
    double slowestMs = 0;
    qsizetype differences = 0;
};

Measure measure(const Configuration &mine, const Configuration &other)
{
    std::vector<double> times;
    Measure m;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<ConfigDifference> differences =
            CompareConfigurations(mine.side(), other.side(), QLocale::c());
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        m.differences = differences.size();
    }
    std::sort(times.begin(), times.end());
    m.medianMs = times[times.size() / 2];
    m.slowestMs = times.back();
    return m;
}

void report(const char *what, const Measure &m)
{
    std::printf(
        "%-32s %5lld differences: median %6.2f ms, slowest %6.2f ms (target < %.0f ms) %s\n", what,
        static_cast<long long>(m.differences), m.medianMs, m.slowestMs, TargetMs,
        m.slowestMs < TargetMs ? "OK" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Configuration window;
    Configuration equal;
    Configuration fewChanges;
    changeOnEachPage(fewChanges);
    Configuration allChanged;
    changeEverything(allChanged);

    report("equal configurations:", measure(window, equal));
    report("one change on each page:", measure(window, fewChanges));
    report("everything different:", measure(window, allChanged));

    QElapsedTimer timer;
    timer.start();
    const QString text = DifferencesText(CompareConfigurations(window.side(), allChanged.side()));
    std::printf("text of everything different:    %lld lines in %.2f ms\n",
                static_cast<long long>(text.count(u'\n')), double(timer.nsecsElapsed()) / 1e6);
    return 0;
}
