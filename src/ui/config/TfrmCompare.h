#pragma once

#include "config/ConfigComparison.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sr5n {

class ConfigModel;
class EventCodeTables;
class Notifier;

// The comparison window: every difference between the main window's
// configuration and another one (the device's, a file's), grouped by page,
// each with a tick; the ticked ones are taken from the other side into the
// main window. "Различий нет" when there are none.
class TfrmCompare final : public QDialog
{
    Q_OBJECT

public:
    TfrmCompare(ConfigModel &model, EventCodeTables &tables, Notifier &notifier,
                QWidget *parent = nullptr);

    // Shows the differences with `other` modally. `heading` says what is
    // compared, `otherColumn` heads the other side's values ("В коммуникаторе").
    void compare(const ConfigSide &other, const QString &heading, const QString &otherColumn);

    // What the window lists now.
    const QList<ConfigDifference> &differences() const { return m_differences; }
    // Ticks or unticks the difference at `index` of differences().
    void setTicked(qsizetype index, bool ticked);
    // Takes the ticked differences into the main window, then lists again.
    void takeTicked();

private:
    void refresh();
    void setAllTicked(bool ticked);
    void updateTakeButton();
    QList<ConfigDifference> ticked() const;

    ConfigModel &m_model;
    EventCodeTables &m_tables;
    Notifier &m_notifier;
    std::optional<ConfigSide> m_other;
    QList<ConfigDifference> m_differences;
    QList<QTreeWidgetItem *> m_rows; // one a difference, in the same order

    QLabel *lblHeading = nullptr;
    QLabel *lblNoDifferences = nullptr;
    QTreeWidget *tvDifferences = nullptr;
    QPushButton *btnTickAll = nullptr;
    QPushButton *btnUntickAll = nullptr;
    QPushButton *btnTake = nullptr;
    QPushButton *btnClose = nullptr;
};

} // namespace sr5n
