#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sr5n {

class LineJournal;
class Notifier;

// «Журнал обмена»: the trace of the line, not modal, beside the main window
// (its own window, so that it stays usable while a device operation has the
// main window disabled). It shows the current or last operation as it runs,
// scrolling with it while the view is at its end; «Пауза» holds the view
// still (the journal goes on recording); any kept operation, or all of them,
// can be chosen, searched, copied and saved («Сохранить журнал обмена…»).
class TfrmLineTrace final : public QWidget
{
    Q_OBJECT

public:
    TfrmLineTrace(LineJournal &journal, Notifier &notifier, QWidget *parent = nullptr);

    // What the view shows now.
    QString shownText() const;
    // Saves what is shown to `path`; a failure is reported and returned false.
    bool saveTo(const QString &path);
    // «Сохранить журнал обмена…»: asks for the file, then saves.
    void saveClick();
    // Finds the text of the search field after (or before) the cursor,
    // going round at the end; says so when there is none.
    bool findNext(bool backwards = false);
    // A default name for the saved file: "Журнал обмена 2026-12-11 13-20-01.txt".
    static QString defaultFileName();

    QComboBox *cbxOperation = nullptr;
    QCheckBox *chbPause = nullptr;
    QPlainTextEdit *txtTrace = nullptr;
    QLineEdit *edtFind = nullptr;
    QPushButton *btnFindNext = nullptr;
    QLabel *lblFound = nullptr;
    QLabel *lblSize = nullptr;
    QPushButton *btnCopy = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The list of operations again, keeping the choice (the newest when it
    // was the newest).
    void fillOperations();
    // The chosen operation's text again, at its end.
    void showChosen();
    void onLineAdded(quint64 id, const QString &line);
    void onOperationBegun(quint64 id);
    void showSize();
    void copyClick();
    // The id of the chosen operation; 0 for all of them.
    quint64 chosenId() const;
    bool followsNewest() const;

    LineJournal &m_journal;
    Notifier &m_notifier;
    QString m_folder; // where the last journal was saved
};

} // namespace sr5n
