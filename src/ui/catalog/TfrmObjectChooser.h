#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace sr5n {

class CatalogService;
class ObjectListModel;
class ObjectSearch;

// Picks another object of the catalogue: a search field over a list that
// shows a page of objects at a time, so that it serves a catalogue of
// thousands. The object the question is about is never offered. Enter picks
// the chosen row, Escape declines.
class TfrmObjectChooser final : public QDialog
{
    Q_OBJECT

public:
    TfrmObjectChooser(const QString &title, CatalogService &service, const QString &exceptId,
                      QWidget *parent = nullptr);

    // The object picked; empty when declined.
    QString chosenId() const { return m_chosen; }
    // A search or a page asked of the catalogue and not come yet.
    bool busy() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listed();
    void updateChoice();
    void pick();

    ObjectSearch *m_search = nullptr;
    QString m_chosen;
    ObjectListModel *m_model = nullptr;
    QSortFilterProxyModel *m_offered = nullptr;

    QLineEdit *edtChooserSearch = nullptr;
    QTableView *tvChooser = nullptr;
    QLabel *lblChooserInfo = nullptr;
    QPushButton *btnChooserOk = nullptr;
};

} // namespace sr5n
