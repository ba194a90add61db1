#include "ui/config/VoicePage.h"

#include "config/ConfigModel.h"
#include "ui/config/CheckTitledGroup.h"
#include "ui/config/ConfigBinding.h"
#include "ui/config/ConfigWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace sr5n {

VoicePage::VoicePage(ConfigModel &model, Notifier &notifier, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet1"));
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);

    // The voice number across the page, its values in two columns.
    CheckTitledGroup *voice = MakeCheckTitledGroup(model, QStringLiteral("chbVoiceNum"), this);
    QWidget *frame = voice->frame();
    auto *voiceColumns = new QHBoxLayout;
    auto *leftGrid = new QGridLayout;
    auto *rightGrid = new QGridLayout;
    voiceColumns->setSpacing(18);
    leftGrid->setVerticalSpacing(3);
    rightGrid->setVerticalSpacing(3);
    voice->contents()->addLayout(voiceColumns, 0, 0);
    voiceColumns->addLayout(leftGrid, 1);
    voiceColumns->addLayout(rightGrid, 1);
    AddLabelledRow(leftGrid, 0, model, QStringLiteral("edtVoiceNum"),
                   MakeTextField(model, QStringLiteral("edtVoiceNum"), frame));
    int row = AddSliderRows(leftGrid, 1, model, QStringLiteral("trbVoiceWaitAnswer"));
    AddSliderRows(leftGrid, row, model, QStringLiteral("trbVoiceCallsTrialCount"));
    leftGrid->setColumnStretch(1, 1);
    row = AddSliderRows(rightGrid, 0, model, QStringLiteral("trbVoicePauseBeforeCheck"));
    rightGrid->addWidget(MakeFlagBox(model, QStringLiteral("chbVoiceCheckFree"), frame), row++, 0,
                         1, 2);
    rightGrid->addWidget(MakeFlagBox(model, QStringLiteral("chbVoiceCheckBusy"), frame), row, 0, 1,
                         2);
    rightGrid->setRowStretch(row + 1, 1);
    page->addWidget(voice);

    auto *columns = new QHBoxLayout;
    page->addLayout(columns);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    CheckTitledGroup *calls = MakeCheckTitledGroup(model, QStringLiteral("chbInCalls"), this);
    AddSliderRows(calls->contents(), 0, model, QStringLiteral("trbInCallsParam"));
    left->addWidget(calls);
    left->addStretch(1);

    auto *panel = new QGroupBox(QStringLiteral(" ППКП "), this);
    panel->setObjectName(QStringLiteral("gbxPanel"));
    auto *panelGrid = MakeGroupGrid(panel);
    row = AddSliderRows(panelGrid, 0, model, QStringLiteral("trbPassiveDays"));
    row = AddSliderRows(panelGrid, row, model, QStringLiteral("trbPassiveHours"));
    panelGrid->addWidget(MakeFlagBox(model, QStringLiteral("chbSendedEventsAfterReset"), panel),
                         row, 0, 1, 2);
    right->addWidget(panel);
    right->addStretch(1);
    page->addStretch(1);

    (new ConfigBinding(model, notifier, this))->bind(this);
}

QString VoicePage::caption()
{
    return PageCaption(ConfigPage::VoiceCallsPanel);
}

} // namespace sr5n
