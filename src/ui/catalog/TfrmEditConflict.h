#pragma once

#include "catalog/CatalogTypes.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace sr5n {

// Shown when an object's name, address or notes were changed by someone else
// after the engineer saw them: his texts beside the ones stored now, with who
// changed them and when. He keeps his own or takes theirs.
class TfrmEditConflict final : public QDialog
{
    Q_OBJECT

public:
    enum class Choice { KeepMine, TakeTheirs, Cancel };

    TfrmEditConflict(const CatalogObject &mine, const CatalogObject &theirs,
                     QWidget *parent = nullptr);

    Choice choice() const { return m_choice; }
    // The sentence above the two sides.
    static QString explanation(const CatalogObject &theirs);

private:
    Choice m_choice = Choice::Cancel;
    QTableWidget *tblConflict = nullptr;
    QPushButton *btnKeepMine = nullptr;
    QPushButton *btnTakeTheirs = nullptr;
};

} // namespace sr5n
