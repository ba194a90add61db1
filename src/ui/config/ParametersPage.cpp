#include "ui/config/ParametersPage.h"

#include "config/ConfigModel.h"
#include "ui/config/CheckTitledGroup.h"
#include "ui/config/ConfigBinding.h"
#include "ui/config/ConfigWidgets.h"
#include "ui/config/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace sr5n {

ParametersPage::ParametersPage(ConfigModel &model, Notifier &notifier, QWidget *parent)
    : QWidget(parent), m_clockArea(new QWidget(this))
{
    setObjectName(QStringLiteral("tshParams"));
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    page->addLayout(columns);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto *params = new QGroupBox(QStringLiteral(" Параметры связи "), this);
    params->setObjectName(QStringLiteral("gbxParams"));
    auto *grid = MakeGroupGrid(params);
    int row = AddSliderRows(grid, 0, model, QStringLiteral("trbSesansLength"));
    row = AddSliderRows(grid, row, model, QStringLiteral("trbPauseLength"));
    row = AddSliderRows(grid, row, model, QStringLiteral("trbImpulsePeriod"));
    AddSliderRows(grid, row, model, QStringLiteral("trbSilenceLevel"));
    left->addWidget(params);
    left->addStretch(1);

    CheckTitledGroup *lineCheck = MakeCheckTitledGroup(model, QStringLiteral("chbLineCheck"), this);
    QGridLayout *checkGrid = lineCheck->contents();
    QWidget *frame = lineCheck->frame();
    row = AddSliderRows(checkGrid, 0, model, QStringLiteral("trbTestsBeforeFault"));
    AddLabelledRow(checkGrid, row++, model, QStringLiteral("dtpLineTestStart"),
                   MakeTimeField(QStringLiteral("dtpLineTestStart"), frame));
    AddLabelledRow(checkGrid, row++, model, QStringLiteral("dtpLineTestPeriod"),
                   MakeTimeField(QStringLiteral("dtpLineTestPeriod"), frame));
    checkGrid->addWidget(MakeFlagBox(model, QStringLiteral("chbLineTestCheckNoise"), frame), row, 0,
                         1, 2);
    checkGrid->setColumnStretch(1, 1);
    right->addWidget(lineCheck);
    right->addWidget(MakeRadioGroup(model, QStringLiteral("rgpLineFreq"), 3, this));
    right->addStretch(1);

    auto *clockLayout = new QVBoxLayout(m_clockArea);
    clockLayout->setContentsMargins(0, 0, 0, 0);
    page->addWidget(m_clockArea);
    page->addStretch(1);

    (new ConfigBinding(model, notifier, this))->bind(this);
}

QString ParametersPage::caption()
{
    return PageCaption(ConfigPage::Parameters);
}

} // namespace sr5n
