#pragma once

#include "app/ConfigHistory.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace sr5n {

// The history window: the configurations kept from the device, newest first,
// with their date, operation, port and object numbers. The chosen one is
// opened into the main window or compared with it.
class TfrmHistory final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmHistory(const ConfigHistory &history, QWidget *parent = nullptr);

    // Lists the history again and shows the window modally.
    void showHistory();
    // The entries listed, in list order.
    const QList<ConfigHistory::Entry> &entries() const { return m_entries; }
    // Chooses the entry at `index` of entries().
    void select(qsizetype index);

signals:
    // The user asked to open the chosen file into the main window.
    void openRequested(const QString &path);
    // The user asked to compare the chosen file with the main window.
    void compareRequested(const QString &path);

private:
    void fill();
    QString chosenPath() const;
    void updateButtons();

    const ConfigHistory &m_history;
    QList<ConfigHistory::Entry> m_entries;

    QLabel *lblInfo = nullptr;
    QTreeWidget *tvHistory = nullptr;
    QPushButton *btnHistoryOpen = nullptr;
    QPushButton *btnHistoryCompare = nullptr;
    QPushButton *btnHistoryClose = nullptr;
};

} // namespace sr5n
