#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QWidget;

namespace sr5n {

class CheckTitledGroup;
class ConfigModel;
class RadioGroup;

// Controls of the configuration pages, made from the value descriptions: each
// carries the value's control name as its object name, so that ConfigBinding
// ties it to the model.

// The label "lbl" + stem of the value `name`, with its label text.
QLabel *MakeValueLabel(const ConfigModel &model, const QString &name, QWidget *parent);
// The slider `name` with its value text "stt" + stem at its right, in one row.
QWidget *MakeSliderRow(const ConfigModel &model, const QString &name, QWidget *parent);
// A code or phone number field; phone numbers carry the dialling-letter hint.
QLineEdit *MakeTextField(const ConfigModel &model, const QString &name, QWidget *parent);
// A time picker showing hours and minutes.
QTimeEdit *MakeTimeField(const QString &name, QWidget *parent);
// A check box showing its own label text.
QCheckBox *MakeFlagBox(const ConfigModel &model, const QString &name, QWidget *parent);
// A drop-down chooser (no free text) whose items the model holds.
QComboBox *MakeChooser(const QString &name, QWidget *parent);
// A radio group with the value's title and items.
RadioGroup *MakeRadioGroup(const ConfigModel &model, const QString &name, int columns,
                           QWidget *parent);
// The group titled by the flag `flagName` with its caption.
CheckTitledGroup *MakeCheckTitledGroup(const ConfigModel &model, const QString &flagName,
                                       QWidget *parent);

// A group frame's grid with the narrow spacing of the pages; the top margin of
// `top` (or the grid's own when negative) leaves room for a title.
QGridLayout *MakeGroupGrid(QWidget *frame, int top = -1);
// Gives an existing grid the same spacing.
void CompactGrid(QGridLayout *grid, int top = -1);

// Adds the label of `name` at the left of `row` and `control` at its right.
void AddLabelledRow(QGridLayout *layout, int row, const ConfigModel &model, const QString &name,
                    QWidget *control);
// Adds the label of the slider `name` across `row` and the slider with its
// value text across the next row; returns the row after them.
int AddSliderRows(QGridLayout *layout, int row, const ConfigModel &model, const QString &name);

} // namespace sr5n
