#include "ui/config/TfrmHistory.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sr5n {

TfrmHistory::TfrmHistory(const ConfigHistory &history, QWidget *parent)
    : QDialog(parent), m_history(history)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("История конфигураций"));
    setModal(true);
    resize(620, 420);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);

    tvHistory = new QTreeWidget(this);
    tvHistory->setObjectName(QStringLiteral("tvHistory"));
    tvHistory->setRootIsDecorated(false);
    tvHistory->setUniformRowHeights(true);
    tvHistory->setAlternatingRowColors(true);
    tvHistory->setHeaderLabels({QStringLiteral("Дата и время"), QStringLiteral("Операция"),
                                QStringLiteral("Порт"), QStringLiteral("Номера объектов")});
    tvHistory->header()->resizeSection(0, 140);
    tvHistory->header()->resizeSection(1, 140);
    tvHistory->header()->resizeSection(2, 150);
    connect(tvHistory, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    connect(tvHistory, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!chosenPath().isEmpty())
            emit openRequested(chosenPath());
    });

    btnHistoryOpen = new QPushButton(QStringLiteral("Открыть в окне"), this);
    btnHistoryOpen->setObjectName(QStringLiteral("btnHistoryOpen"));
    btnHistoryOpen->setToolTip(QStringLiteral("Открыть выбранную конфигурацию в главном окне"));
    btnHistoryCompare = new QPushButton(QStringLiteral("Сравнить с окном"), this);
    btnHistoryCompare->setObjectName(QStringLiteral("btnHistoryCompare"));
    btnHistoryCompare->setToolTip(
        QStringLiteral("Сравнить выбранную конфигурацию с конфигурацией в главном окне"));
    btnHistoryClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnHistoryClose->setObjectName(QStringLiteral("btnHistoryClose"));
    btnHistoryOpen->setAutoDefault(false);
    btnHistoryCompare->setAutoDefault(false);
    btnHistoryClose->setDefault(true);
    connect(btnHistoryOpen, &QPushButton::clicked, this,
            [this] { emit openRequested(chosenPath()); });
    connect(btnHistoryCompare, &QPushButton::clicked, this,
            [this] { emit compareRequested(chosenPath()); });
    connect(btnHistoryClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnHistoryOpen);
    buttons->addWidget(btnHistoryCompare);
    buttons->addStretch(1);
    buttons->addWidget(btnHistoryClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(tvHistory, 1);
    layout->addLayout(buttons);
}

void TfrmHistory::showHistory()
{
    fill();
    exec();
}

void TfrmHistory::fill()
{
    m_entries = m_history.entries();
    lblInfo->setText(
        QStringLiteral("Каждая конфигурация, прочитанная из коммуникатора или записанная в "
                       "него, сохраняется автоматически; хранятся последние %1. Папка: %2")
            .arg(ConfigHistory::Limit)
            .arg(QDir::toNativeSeparators(m_history.folder())));
    tvHistory->clear();
    for (const ConfigHistory::Entry &entry : std::as_const(m_entries)) {
        auto *item = new QTreeWidgetItem(
            tvHistory,
            {ConfigHistory::timeText(entry.time), ConfigHistory::operationText(entry.operation),
             entry.port, entry.objects[0] + QStringLiteral(" / ") + entry.objects[1]});
        item->setToolTip(0, QDir::toNativeSeparators(entry.path));
    }
    if (tvHistory->topLevelItemCount() > 0)
        tvHistory->setCurrentItem(tvHistory->topLevelItem(0));
    updateButtons();
}

void TfrmHistory::select(qsizetype index)
{
    if (index >= 0 && index < tvHistory->topLevelItemCount())
        tvHistory->setCurrentItem(tvHistory->topLevelItem(static_cast<int>(index)));
}

QString TfrmHistory::chosenPath() const
{
    const int index = tvHistory->indexOfTopLevelItem(tvHistory->currentItem());
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).path : QString();
}

void TfrmHistory::updateButtons()
{
    const bool chosen = !chosenPath().isEmpty();
    btnHistoryOpen->setEnabled(chosen);
    btnHistoryCompare->setEnabled(chosen);
}

} // namespace sr5n
