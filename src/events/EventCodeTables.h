#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace sr5n {

// One event row of a code table, as the event table files fill it: the text
// of the "№" column, the event name and the event number (the name cell's Tag).
struct EventRow {
    QString displayNumber;
    QString name;
    int number = 0;
};

// The text and Tag that a per-pair external code cell shows for its 70 zone
// codes: zone 0's code when no other zone has one, else the count of zones.
struct ZoneSummary {
    QString text;
    int tag = 0;
};

// The event codes of the configuration, apart from any widget: the separate
// and common internal codes, the 70 zone codes of every external event per
// pair, and the high-priority and mandatory marks. Rows count from 1, as in
// the tables (row 0 is the header); pairs are 1 and 2.
class EventCodeTables final : public QObject
{
    Q_OBJECT

public:
    enum class Table { Separate, Common, External };
    enum class Mark { HighPriority, Mandatory }; // "В/П" and "О/С"

    static constexpr int DefaultSeparateRows = 8;
    static constexpr int DefaultCommonRows = 1;
    static constexpr int ExternalEventCount = 60;
    static constexpr int ZoneCount = 70;
    static constexpr int MaxMarks = 4;
    static constexpr int MemoryFaultRow = 1;

    explicit EventCodeTables(QObject *parent = nullptr);

    // The header texts of a table's columns (row 0), and the titles of the
    // internal and external code pages.
    static QStringList columnHeaders(Table table);
    static QString internalTitle()
    {
        return QStringLiteral("Внутренние коды событий коммуникатора");
    }
    static QString externalTitle() { return QStringLiteral("Внешние коды событий ППКП"); }

    // Rows. Setting the count keeps the rows that stay and gives new rows an
    // empty name and number and codes of "0000".
    int rowCount(Table table) const;
    void setRowCount(Table table, int rows);
    EventRow row(Table table, int row) const;
    void setRow(Table table, int row, const EventRow &content);
    // Event numbers the device knows the internal events by, whatever the
    // files say: separate rows 1-8 and the memory-fault row of the common table.
    void applyFixedEventNumbers();
    static int separateEventNumber(int row);
    // The event numbers of the test messages of pair 1 and 2 (118, 119).
    static int testEventNumber(int pair) { return pair == 1 ? 118 : pair == 2 ? 119 : 0; }

    // Internal codes, four upper-case hexadecimal digits.
    QString separateCode(int row, int pair) const;
    void setSeparateCode(int row, int pair, const QString &code);
    QString commonCode(int row) const;
    void setCommonCode(int row, const QString &code);

    // External zone codes.
    QStringList zoneCodes(int row, int pair) const;
    void setZoneCodes(int row, int pair, const QStringList &codes); // exactly ZoneCount
    QString zoneCode(int row, int pair, int zone) const;
    void setZoneCode(int row, int pair, int zone, const QString &code);
    ZoneSummary zoneSummary(int row, int pair) const;
    static ZoneSummary summarize(const QStringList &codes);

    // Marks of the external events; at most MaxMarks of each kind can be set.
    bool mark(int row, Mark kind) const;
    bool setMark(int row, Mark kind, bool on); // false when refused (a fifth mark)
    void clearMarks(Mark kind);
    int markCount(Mark kind) const;
    bool markEnabled(int row, Mark kind) const;
    QList<int> markedRows(Mark kind) const; // in row order

    bool isValidRow(Table table, int row) const;

    // Takes every row, code and mark of `source`, then notifies what changed.
    void copyFrom(const EventCodeTables &source);

signals:
    void rowsChanged(EventCodeTables::Table table);
    void separateCodeChanged(int row, int pair);
    void commonCodeChanged(int row);
    void zoneCodesChanged(int row, int pair);
    void marksChanged(EventCodeTables::Mark kind);

private:
    struct Internal {
        EventRow event;
        QString codes[2] = {QStringLiteral("0000"), QStringLiteral("0000")};
    };
    struct External {
        EventRow event;
        QStringList zones[2];
        bool marks[2] = {false, false};
        External();
    };

    QList<Internal> m_separate;
    QList<Internal> m_common;
    QList<External> m_external;
};

} // namespace sr5n
