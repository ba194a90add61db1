#pragma once

class QAbstractItemModel;
class QLineEdit;
class QTableView;
class QWidget;

namespace sr5n {

// The search field over a list of objects, as every list of the catalogue
// shows it: what it searches in its placeholder, a button to clear it.
QLineEdit *MakeObjectSearchField(QWidget *parent);
// A list of objects showing `model`: whole rows chosen one at a time, read
// only, a row as high as a line of text, the last column taking what is left.
QTableView *MakeObjectTable(QAbstractItemModel *model, QWidget *parent);

} // namespace sr5n
