#include "ui/config/TfrmCompare.h"

#include "common/Notifier.h"
#include "config/ConfigModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sr5n {

namespace {

constexpr int kCaptionColumn = 0;
constexpr int kThisColumn = 1;
constexpr int kOtherColumn = 2;

} // namespace

TfrmCompare::TfrmCompare(ConfigModel &model, EventCodeTables &tables, Notifier &notifier,
                         QWidget *parent)
    : QDialog(parent), m_model(model), m_tables(tables), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Сравнение конфигураций"));
    setModal(true);
    resize(720, 460);

    lblHeading = new QLabel(this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    lblHeading->setWordWrap(true);
    QFont bold = lblHeading->font();
    bold.setBold(true);
    lblHeading->setFont(bold);

    lblNoDifferences = new QLabel(NoDifferencesText(), this);
    lblNoDifferences->setObjectName(QStringLiteral("lblNoDifferences"));
    lblNoDifferences->setAlignment(Qt::AlignCenter);
    QFont large = lblNoDifferences->font();
    large.setPointSize(large.pointSize() + 4);
    lblNoDifferences->setFont(large);

    tvDifferences = new QTreeWidget(this);
    tvDifferences->setObjectName(QStringLiteral("tvDifferences"));
    tvDifferences->setColumnCount(3);
    tvDifferences->setRootIsDecorated(true);
    tvDifferences->setUniformRowHeights(true);
    tvDifferences->setAlternatingRowColors(true);
    tvDifferences->header()->setStretchLastSection(false);
    tvDifferences->header()->setSectionResizeMode(kCaptionColumn, QHeaderView::Stretch);
    tvDifferences->header()->setSectionResizeMode(kThisColumn, QHeaderView::Interactive);
    tvDifferences->header()->setSectionResizeMode(kOtherColumn, QHeaderView::Interactive);
    tvDifferences->header()->resizeSection(kThisColumn, 130);
    tvDifferences->header()->resizeSection(kOtherColumn, 130);
    connect(tvDifferences, &QTreeWidget::itemChanged, this, [this] { updateTakeButton(); });

    btnTickAll = new QPushButton(QStringLiteral("Отметить все"), this);
    btnTickAll->setObjectName(QStringLiteral("btnTickAll"));
    btnUntickAll = new QPushButton(QStringLiteral("Снять отметки"), this);
    btnUntickAll->setObjectName(QStringLiteral("btnUntickAll"));
    btnTake = new QPushButton(QStringLiteral("Взять отмеченные в окно"), this);
    btnTake->setObjectName(QStringLiteral("btnTake"));
    btnTake->setToolTip(QStringLiteral("Заменить значения в окне отмеченными значениями "
                                       "другой стороны"));
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    for (QPushButton *button : {btnTickAll, btnUntickAll, btnTake})
        button->setAutoDefault(false);
    connect(btnTickAll, &QPushButton::clicked, this, [this] { setAllTicked(true); });
    connect(btnUntickAll, &QPushButton::clicked, this, [this] { setAllTicked(false); });
    connect(btnTake, &QPushButton::clicked, this, &TfrmCompare::takeTicked);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnTickAll);
    buttons->addWidget(btnUntickAll);
    buttons->addStretch(1);
    buttons->addWidget(btnTake);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addWidget(tvDifferences, 1);
    layout->addWidget(lblNoDifferences, 1);
    layout->addLayout(buttons);
}

void TfrmCompare::compare(const ConfigSide &other, const QString &heading,
                          const QString &otherColumn)
{
    m_other.emplace(other);
    lblHeading->setText(heading);
    tvDifferences->setHeaderLabels(
        {QStringLiteral("Параметр"), QStringLiteral("В окне"), otherColumn});
    refresh();
    exec();
    // The other side lives only as long as the caller's comparison.
    m_other.reset();
    m_differences.clear();
    m_rows.clear();
    tvDifferences->clear();
}

void TfrmCompare::refresh()
{
    m_differences = CompareConfigurations(ConfigSide{m_model, m_tables}, *m_other);
    m_rows.clear();
    {
        const QSignalBlocker quiet(tvDifferences);
        tvDifferences->clear();
        QTreeWidgetItem *page = nullptr;
        ConfigPage pageOfItem = ConfigPage::FirstPair;
        for (const ConfigDifference &d : std::as_const(m_differences)) {
            if (!page || d.page != pageOfItem) {
                page = new QTreeWidgetItem(tvDifferences, {PageCaption(d.page)});
                page->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable |
                               Qt::ItemIsAutoTristate);
                page->setCheckState(kCaptionColumn, Qt::Unchecked);
                page->setFirstColumnSpanned(true);
                QFont bold = page->font(kCaptionColumn);
                bold.setBold(true);
                page->setFont(kCaptionColumn, bold);
                page->setExpanded(true);
                pageOfItem = d.page;
            }
            auto *row = new QTreeWidgetItem(page, {d.caption, d.thisText, d.otherText});
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            row->setCheckState(kCaptionColumn, Qt::Unchecked);
            row->setToolTip(kCaptionColumn, d.caption);
            m_rows.append(row);
        }
    }
    const bool none = m_differences.isEmpty();
    tvDifferences->setVisible(!none);
    lblNoDifferences->setVisible(none);
    btnTickAll->setEnabled(!none);
    btnUntickAll->setEnabled(!none);
    updateTakeButton();
}

void TfrmCompare::setTicked(qsizetype index, bool ticked)
{
    if (index >= 0 && index < m_rows.size())
        m_rows.at(index)->setCheckState(kCaptionColumn, ticked ? Qt::Checked : Qt::Unchecked);
}

void TfrmCompare::setAllTicked(bool ticked)
{
    for (int i = 0; i < tvDifferences->topLevelItemCount(); ++i)
        tvDifferences->topLevelItem(i)->setCheckState(kCaptionColumn,
                                                      ticked ? Qt::Checked : Qt::Unchecked);
}

QList<ConfigDifference> TfrmCompare::ticked() const
{
    QList<ConfigDifference> list;
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i)->checkState(kCaptionColumn) == Qt::Checked)
            list.append(m_differences.at(i));
    return list;
}

void TfrmCompare::updateTakeButton()
{
    bool any = false;
    for (const QTreeWidgetItem *row : std::as_const(m_rows))
        any = any || row->checkState(kCaptionColumn) == Qt::Checked;
    btnTake->setEnabled(any);
}

void TfrmCompare::takeTicked()
{
    if (!m_other)
        return;
    const QList<ConfigDifference> refused = TakeDifferences(ticked(), m_model, m_tables, *m_other);
    refresh();
    if (!refused.isEmpty())
        m_notifier.showError(QStringLiteral("Отметка \"В/П\" или \"О/С\" не взята: каждой из "
                                            "них может быть отмечено не более четырех событий"));
}

} // namespace sr5n
