#pragma once

#include "catalog/CatalogTypes.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTreeWidget;

namespace sr5n {

class CatalogStore;
class Configurator;
class ObjectListModel;
class ObjectSearch;
struct ObjectPage;

// The objects window: every installation of the catalogue, searched as the
// user types (numbers, name, address, notes, phone numbers), the chosen
// object's description and timeline; an entry is opened into the main
// window, compared, saved as a file or marked as a template. What needs the
// main window goes out as a request. Every question to the catalogue goes to
// its service and is answered later: the window says what it waits for
// («Подключение к общему каталогу…», «Поиск…») and stays usable.
class TfrmObjects final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmObjects(Configurator &app, QWidget *parent = nullptr);

    // Lists the catalogue again and shows the window modally.
    void showObjects();
    // Lists the catalogue again with the search text as it is.
    void refresh();
    // A question to the catalogue waits for its answer (a search, a timeline, a change).
    bool busy() const;
    ObjectSearch &objectSearch() { return *m_search; }

    // What the window lists now (a long list: the pages shown so far).
    const QList<CatalogObject> &objects() const;
    const QList<CatalogEntry> &timeline() const { return m_timeline; }
    // Chooses the object at `row` of objects(), and the entry at `index` of
    // timeline() (with `also` a second one, for comparing two entries).
    void selectObject(int row);
    void selectEntry(qsizetype index, qsizetype also = -1);

    // What the user is told when the catalogue cannot be opened.
    static QString unavailableText(const QString &reason);

signals:
    void openRequested(const sr5n::CatalogEntry &entry);
    void compareRequested(const sr5n::CatalogEntry &entry);
    void compareDeviceRequested(const sr5n::CatalogEntry &entry);
    void compareEntriesRequested(const sr5n::CatalogEntry &first, const sr5n::CatalogEntry &second);
    void saveRequested(const sr5n::CatalogEntry &entry);
    void templateRequested(const sr5n::CatalogEntry &entry);

private:
    void showState();
    void listed(const ObjectPage &page);
    void afterListing();
    void showObject();
    void fillTimeline();
    void showTimeline(QList<CatalogEntry> timeline);
    QList<CatalogEntry> chosenEntries() const;
    void updateButtons();
    void describeObject();
    void saveDescription(const CatalogObject &seen, const CatalogObject &mine);
    // A change of the catalogue, then `then`; a failure is told and the list shown again.
    void change(std::function<bool(CatalogStore &)> edit, std::function<void()> then);
    void chooseTemplate(const QList<CatalogEntry> &templates);
    void markTemplate();
    void moveEntry();
    void mergeObject();
    void newFromTemplate();
    // Asks for another object of the catalogue, searched; empty when declined.
    QString chooseObject(const QString &title, const QString &exceptId);
    void showFailure(const QString &reason);

    Configurator &m_app;
    ObjectListModel *m_model = nullptr;
    ObjectSearch *m_search = nullptr;
    QString m_objectId;
    CatalogObject m_seen; // the chosen object as shown, for edits against it
    QList<CatalogEntry> m_timeline;
    bool m_available = false; // the catalogue answered the last search
    bool m_writable = false;
    bool m_connected = false; // answered since the window was shown
    bool m_timelineWaiting = false;
    int m_requests = 0; // changes asked and not answered

    QLabel *lblObjectsInfo = nullptr;
    QLineEdit *edtObjectsSearch = nullptr;
    QTableView *tvObjects = nullptr;
    QLineEdit *edtObjectName = nullptr;
    QLineEdit *edtObjectAddress = nullptr;
    QPlainTextEdit *memObjectNotes = nullptr;
    QPushButton *btnObjectDescribe = nullptr;
    QPushButton *btnObjectMerge = nullptr;
    QTreeWidget *tvTimeline = nullptr;
    QPushButton *btnEntryOpen = nullptr;
    QPushButton *btnEntryCompare = nullptr;
    QPushButton *btnEntryCompareDevice = nullptr;
    QPushButton *btnEntryCompareEntries = nullptr;
    QPushButton *btnEntrySave = nullptr;
    QPushButton *btnEntryTemplate = nullptr;
    QPushButton *btnEntryMove = nullptr;
    QPushButton *btnFromTemplate = nullptr;
    QPushButton *btnObjectsClose = nullptr;
};

} // namespace sr5n
