#pragma once

#include "config/ConfigValues.h"
#include "events/EventCodeTables.h"

#include <QList>
#include <QLocale>
#include <QString>

namespace sr5n {

class ConfigModel;

// One side of a comparison: the values and the event codes of a configuration.
struct ConfigSide {
    const ConfigModel &model;
    const EventCodeTables &tables;
};

// A value that differs between two configurations, as the user sees it: the
// page it is on, its caption as the page shows it, and the value texts of
// this side and of the other. The rest says which value it is, so that the
// other side's value can be taken.
struct ConfigDifference {
    enum class Kind { Value, SeparateCode, CommonCode, ZoneCode, Mark };

    ConfigPage page = ConfigPage::FirstPair;
    QString caption;
    QString thisText;
    QString otherText;

    Kind kind = Kind::Value;
    QString name; // a value's name (Kind::Value)
    int row = 0;  // a table row, from 1
    int pair = 0; // 1 or 2 for the per-pair codes
    int zone = 0; // 0-69 for a zone code
    EventCodeTables::Mark mark = EventCodeTables::Mark::HighPriority;
};

// Every value of the configuration pages (both pairs, voice / incoming calls /
// panel, parameters) and every code and mark of the event tables in which
// `mine` and `other` differ; the protocol editor is not part of a
// configuration. In tab order of the pages and, within a page, in the order it
// shows them; external codes by event, pair and zone.
QList<ConfigDifference> CompareConfigurations(const ConfigSide &mine, const ConfigSide &other,
                                              const QLocale &locale = QLocale::system());

// Takes the other side's value of each difference into `model` and `tables`,
// with the rules of every edit (a slider's bounds, enabling). Marks are
// cleared before any is set, so that a swap of marks fits the limit of four.
// Returns the differences that could not be taken (a fifth mark).
QList<ConfigDifference> TakeDifferences(const QList<ConfigDifference> &differences,
                                        ConfigModel &model, EventCodeTables &tables,
                                        const ConfigSide &other);

// "Различий нет"
QString NoDifferencesText();

// The differences as plain text, one line a difference under the caption of
// its page: "  <caption>: <this side> → <other side>"; "Различий нет" when none.
QString DifferencesText(const QList<ConfigDifference> &differences);

} // namespace sr5n
