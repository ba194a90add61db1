#include "ui/config/ConfigWidgets.h"

#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "ui/config/CheckTitledGroup.h"
#include "ui/config/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimeEdit>

namespace sr5n {

namespace {

int numberDigit(const QString &name)
{
    // "xxx" + pair + "P" + number + "N..." for per-number names
    if (name.size() > 6 && name.at(4) == u'P' && name.at(6) == u'N')
        return name.at(5).digitValue();
    return 0;
}

QString labelText(const ConfigModel &model, const QString &name)
{
    const ValueDescription *d = model.description(name);
    return d ? d->labelFor(numberDigit(name)) : QString();
}

} // namespace

QLabel *MakeValueLabel(const ConfigModel &model, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(labelText(model, name), parent);
    label->setObjectName(SwapPrefix(name, u"lbl"));
    return label;
}

QWidget *MakeSliderRow(const ConfigModel &model, const QString &name, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *slider = new QSlider(Qt::Horizontal, row);
    slider->setObjectName(name);
    slider->setAccessibleName(labelText(model, name));
    const int span = model.maximum(name) - model.minimum(name);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(std::max(1, span / 10));
    slider->setPageStep(std::max(1, span / 10));
    auto *valueText = new QLabel(row);
    valueText->setObjectName(SwapPrefix(name, u"stt"));
    valueText->setMinimumWidth(
        valueText->fontMetrics().horizontalAdvance(QStringLiteral("-45 дБм")));
    valueText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(slider, 1);
    layout->addWidget(valueText);
    return row;
}

QLineEdit *MakeTextField(const ConfigModel &model, const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAccessibleName(labelText(model, name));
    const ValueDescription *d = model.description(name);
    if (d && d->kind == ValueKind::Phone) {
        field->setToolTip(PhoneNumberHint());
    } else if (d) {
        const int width = field->fontMetrics().horizontalAdvance(QString(d->maximum, u'W'));
        field->setFixedWidth(width + 16);
    }
    return field;
}

QTimeEdit *MakeTimeField(const QString &name, QWidget *parent)
{
    auto *edit = new QTimeEdit(parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("HH:mm"));
    return edit;
}

QCheckBox *MakeFlagBox(const ConfigModel &model, const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(labelText(model, name), parent);
    box->setObjectName(name);
    return box;
}

QComboBox *MakeChooser(const QString &name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(false);
    combo->setMaxVisibleItems(15);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(12);
    return combo;
}

RadioGroup *MakeRadioGroup(const ConfigModel &model, const QString &name, int columns,
                           QWidget *parent)
{
    const ValueDescription *d = model.description(name);
    auto *group =
        new RadioGroup(d ? d->label : QString(), model.choiceItems(name), columns, parent);
    group->setObjectName(name);
    return group;
}

CheckTitledGroup *MakeCheckTitledGroup(const ConfigModel &model, const QString &flagName,
                                       QWidget *parent)
{
    return new CheckTitledGroup(ControlStem(flagName), labelText(model, flagName), parent);
}

QGridLayout *MakeGroupGrid(QWidget *frame, int top)
{
    auto *grid = new QGridLayout(frame);
    CompactGrid(grid, top);
    return grid;
}

void CompactGrid(QGridLayout *grid, int top)
{
    const QMargins margins = grid->contentsMargins();
    grid->setContentsMargins(6, top < 0 ? margins.top() : top, 6, 4);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);
}

void AddLabelledRow(QGridLayout *layout, int row, const ConfigModel &model, const QString &name,
                    QWidget *control)
{
    QWidget *parent = layout->parentWidget();
    QLabel *label = MakeValueLabel(model, name, parent);
    layout->addWidget(label, row, 0);
    // Screen readers name the control by the label beside it.
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(label->text());
    // Short fixed-width fields and time pickers keep their size; the others fill the row.
    if (control->maximumWidth() < QWIDGETSIZE_MAX || qobject_cast<QTimeEdit *>(control))
        layout->addWidget(control, row, 1, Qt::AlignLeft);
    else
        layout->addWidget(control, row, 1);
}

int AddSliderRows(QGridLayout *layout, int row, const ConfigModel &model, const QString &name)
{
    QWidget *parent = layout->parentWidget();
    // A long label wraps rather than widen the page.
    QLabel *label = MakeValueLabel(model, name, parent);
    label->setWordWrap(true);
    layout->addWidget(label, row, 0, 1, 2);
    layout->addWidget(MakeSliderRow(model, name, parent), row + 1, 0, 1, 2);
    return row + 2;
}

} // namespace sr5n
