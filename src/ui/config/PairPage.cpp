#include "ui/config/PairPage.h"

#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "ui/config/CheckTitledGroup.h"
#include "ui/config/ConfigBinding.h"
#include "ui/config/ConfigWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace sr5n {

PairPage::PairPage(ConfigModel &model, int pair, Notifier &notifier, QWidget *parent)
    : QWidget(parent), m_model(model), m_pair(pair),
      m_binding(new ConfigBinding(model, notifier, this))
{
    setObjectName(pair == 1 ? QStringLiteral("tsh1Pair") : QStringLiteral("tsh2Pair"));
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(6, 6, 6, 6);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    left->addWidget(makeNumberGroup(1));
    left->addWidget(makeNumberGroup(2));
    left->addStretch(1);
    right->addWidget(makePairGroup());
    right->addWidget(makeTestGroup());
    right->addWidget(makeAutoResetGroup());
    right->addStretch(1);

    m_binding->bind(this);
}

QString PairPage::caption(int pair)
{
    return PageCaption(pair == 1 ? ConfigPage::FirstPair : ConfigPage::SecondPair);
}

QWidget *PairPage::makeNumberGroup(int number)
{
    auto name = [this, number](const char *prefix, const char *rest) {
        return NumberControlName(QString::fromLatin1(prefix), m_pair, number,
                                 QString::fromLatin1(rest));
    };
    CheckTitledGroup *group = MakeCheckTitledGroup(m_model, name("chb", "N"), this);
    QGridLayout *grid = group->contents();
    QWidget *frame = group->frame();
    AddLabelledRow(grid, 0, m_model, name("edt", "N"),
                   MakeTextField(m_model, name("edt", "N"), frame));
    AddLabelledRow(grid, 1, m_model, name("edt", "NObjectCode"),
                   MakeTextField(m_model, name("edt", "NObjectCode"), frame));
    int row = AddSliderRows(grid, 2, m_model, name("trb", "NWaitPCNReady"));
    grid->addWidget(MakeFlagBox(m_model, name("chb", "NCheckFree"), frame), row++, 0, 1, 2);
    grid->addWidget(MakeFlagBox(m_model, name("chb", "NCheckBusy"), frame), row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *PairPage::makePairGroup()
{
    auto name = [this](const char *prefix, const char *rest) {
        return PairControlName(QString::fromLatin1(prefix), m_pair, QString::fromLatin1(rest));
    };
    auto *group = new QGroupBox(QStringLiteral(" Параметры для пары "), this);
    group->setObjectName(name("gbx", "P"));
    auto *grid = MakeGroupGrid(group);
    // The protocol names can be long: the chooser takes a row of its own.
    grid->addWidget(MakeValueLabel(m_model, name("cbx", "PProtocol"), group), 0, 0, 1, 2);
    grid->addWidget(MakeChooser(name("cbx", "PProtocol"), group), 1, 0, 1, 2);
    AddLabelledRow(grid, 2, m_model, name("edt", "PGroupCode"),
                   MakeTextField(m_model, name("edt", "PGroupCode"), group));
    AddSliderRows(grid, 3, m_model, name("trb", "PCallsTrialCount"));
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *PairPage::makeTestGroup()
{
    auto name = [this](const char *prefix, const char *rest) {
        return PairControlName(QString::fromLatin1(prefix), m_pair, QString::fromLatin1(rest));
    };
    CheckTitledGroup *group = MakeCheckTitledGroup(m_model, name("chb", "PTest"), this);
    QGridLayout *grid = group->contents();
    QWidget *frame = group->frame();
    AddLabelledRow(grid, 0, m_model, name("dtp", "PTestStart"),
                   MakeTimeField(name("dtp", "PTestStart"), frame));
    const int row = AddSliderRows(grid, 1, m_model, name("trb", "PTestPeriod"));
    AddLabelledRow(grid, row, m_model, name("edt", "PTestCode"),
                   MakeTextField(m_model, name("edt", "PTestCode"), frame));
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *PairPage::makeAutoResetGroup()
{
    CheckTitledGroup *group =
        MakeCheckTitledGroup(m_model, PairControlName(u"chb", m_pair, u"PAutoReset"), this);
    AddSliderRows(group->contents(), 0, m_model,
                  PairControlName(u"trb", m_pair, u"PAutoResetTime"));
    return group;
}

} // namespace sr5n
