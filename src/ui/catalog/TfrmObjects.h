#pragma once

#include "catalog/CatalogTypes.h"

#include <QDialog>
#include <QModelIndex>

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

// The objects window: every installation of the catalogue, searched as the
// user types (numbers, name, address, notes, phone numbers), the chosen
// object's description and timeline; an entry is opened into the main
// window, compared, saved as a file or marked as a template. What needs the
// main window goes out as a request.
class TfrmObjects final : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmObjects(Configurator &app, QWidget *parent = nullptr);

    // Lists the catalogue again and shows the window modally.
    void showObjects();
    // Lists the catalogue again with the search text as it is.
    void refresh();

    // What the window lists now (a long list: the pages shown so far).
    const QList<CatalogObject> &objects() const;
    const QList<CatalogEntry> &timeline() const { return m_timeline; }
    // Chooses the object at `row` of objects(), and the entry at `index` of
    // timeline() (with `also` a second one, for comparing two entries).
    void selectObject(int row);
    void selectEntry(qsizetype index, qsizetype also = -1);

    // What the user is told when the catalogue cannot be opened.
    static QString unavailableText(const QString &reason);

    // Closes, once unsaved texts of the chosen object are saved or dropped.
    void done(int result) override;

signals:
    void openRequested(const sr5n::CatalogEntry &entry);
    void compareRequested(const sr5n::CatalogEntry &entry);
    void compareDeviceRequested(const sr5n::CatalogEntry &entry);
    void compareEntriesRequested(const sr5n::CatalogEntry &first, const sr5n::CatalogEntry &second);
    void saveRequested(const sr5n::CatalogEntry &entry);
    void templateRequested(const sr5n::CatalogEntry &entry);

private:
    CatalogStore *store();
    void search();
    void showObject();
    void fillTimeline();
    QList<CatalogEntry> chosenEntries() const;
    void updateButtons();
    void describeObject();
    // Saves the name, address and notes typed; false when not saved.
    bool saveDescription();
    // The name, address or notes differ from the object's.
    bool edited() const;
    // Asks «Сохранить / Не сохранять / Отмена» about unsaved texts: true
    // when the caller may go on (saved, or dropped).
    bool settleEdits();
    // Another row chosen: the edited object's texts settled first.
    void chooseAnother(const QModelIndex &current, const QModelIndex &previous);
    void markTemplate();
    void moveEntry();
    void mergeObject();
    void newFromTemplate();
    // Asks for another object of the catalogue, searched; empty when declined.
    QString chooseObject(const QString &title, const QString &exceptId);
    // An object as the questions name it: «0412 0413 Аптека».
    QString objectText(const QString &id);
    void showFailure();

    Configurator &m_app;
    ObjectListModel *m_model = nullptr;
    QString m_objectId;
    CatalogObject m_seen; // the chosen object as shown, for edits against it
    QString m_listed;     // the search text listed last
    QList<CatalogEntry> m_timeline;
    bool m_settling = false; // a question about unsaved texts is being settled

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
