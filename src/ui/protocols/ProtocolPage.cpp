#include "ui/protocols/ProtocolPage.h"

#include "common/FieldRules.h"
#include "components/FieldGuard.h"
#include "config/ConfigModel.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/config/CheckTitledGroup.h"
#include "ui/config/ConfigBinding.h"
#include "ui/config/ConfigWidgets.h"
#include "ui/config/RadioGroup.h"
#include "ui/protocols/TfrmPrefixMask.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace sr5n {

namespace {

const QString PrefixName = QStringLiteral("edtPrefix");

// Runs `done` after the prefix field's own checks of Enter and of leaving it:
// installed before the field's guard, it sees the events after the guard.
class AfterFieldChecks final : public QObject
{
public:
    AfterFieldChecks(QLineEdit *field, std::function<void()> done)
        : QObject(field), m_done(std::move(done))
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                m_done();
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                m_done();
        }
        return false;
    }

private:
    std::function<void()> m_done;
};

} // namespace

ProtocolPage::ProtocolPage(ConfigModel &model, ProtocolEditor &editor, ProtocolLibrary &library,
                           Notifier &notifier, QWidget *parent)
    : QWidget(parent), m_model(model), m_editor(editor), m_library(library), m_notifier(notifier)
{
    setObjectName(QStringLiteral("tshProtocol"));
    // The parameters at the left; the masks, the signal lengths and the
    // library chooser with its buttons at the right.
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(6, 6, 6, 6);
    columns->setSpacing(6);
    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    columns->addWidget(makeParameters(), 0, Qt::AlignTop);
    columns->addLayout(right, 1);
    right->addWidget(makeMasks());
    right->addWidget(makeLengths());
    right->addWidget(makeLibrary());
    right->addStretch(1);

    (new ConfigBinding(model, notifier, this))->bind(this);

    connect(&m_editor, &ProtocolEditor::chooserChanged, this, &ProtocolPage::showChooser);
    connect(&m_editor, &ProtocolEditor::deleteEnabledChanged, btnProtocol_Delete,
            &QWidget::setEnabled);
    connect(&m_editor, &ProtocolEditor::maskCaptionsChanged, this, &ProtocolPage::showMaskCaptions);
    connect(cbxProtocol, &QComboBox::activated, &m_editor, &ProtocolEditor::cbxProtocolSelect);
    connect(btnProtocol_Add, &QPushButton::clicked, &m_library,
            &ProtocolLibrary::btnProtocol_AddClick);
    connect(btnProtocol_Save, &QPushButton::clicked, this, [this] {
        LeaveFocusedField();
        m_library.btnProtocol_SaveClick();
    });
    connect(btnProtocol_Delete, &QPushButton::clicked, &m_library,
            &ProtocolLibrary::btnProtocol_DeleteClick);
    showChooser();
    showMaskCaptions();
    btnProtocol_Delete->setEnabled(m_editor.deleteEnabled());
}

QWidget *ProtocolPage::makeParameters()
{
    auto *area = new QWidget(this);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(MakeRadioGroup(m_model, QStringLiteral("rgpHandshake"), 2, area));
    layout->addWidget(MakeRadioGroup(m_model, QStringLiteral("rgpImpulseParams"), 3, area));
    layout->addWidget(MakeRadioGroup(m_model, QStringLiteral("rgpDataFreq"), 3, area));
    layout->addWidget(MakeRadioGroup(m_model, QStringLiteral("rgpKissOff"), 2, area));

    CheckTitledGroup *recheck =
        MakeCheckTitledGroup(m_model, QStringLiteral("chbProtocol_Test"), area);
    RadioGroup *type =
        MakeRadioGroup(m_model, QStringLiteral("rgpProtocol_Test"), 2, recheck->frame());
    type->setFlat(true);
    type->setAccessibleName(recheck->frame()->accessibleName());
    type->setStyleSheet(QStringLiteral("QGroupBox { border: none; }"));
    recheck->contents()->addWidget(type, 0, 0);
    layout->addWidget(recheck);
    // The group titles are long: the column keeps the width they need.
    int width = 0;
    for (const QGroupBox *group : area->findChildren<QGroupBox *>())
        width = std::max(width, group->fontMetrics().horizontalAdvance(group->title()) + 24);
    area->setMinimumWidth(width);
    return area;
}

QWidget *ProtocolPage::makeLengths()
{
    auto *group = new QGroupBox(QStringLiteral(" Длительность частотных сигналов "), this);
    group->setObjectName(QStringLiteral("gbxLengths"));
    QGridLayout *grid = MakeGroupGrid(group);
    const QString sliders[] = {QStringLiteral("trbHandshake1400"),
                               QStringLiteral("trbHandshake2300"), QStringLiteral("trbKissoff")};
    int row = 0;
    for (const QString &name : sliders) {
        grid->addWidget(MakeValueLabel(m_model, name, group), row, 0);
        grid->addWidget(MakeSliderRow(m_model, name, group), row++, 1);
    }
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *ProtocolPage::makeMasks()
{
    auto *group = new QGroupBox(QStringLiteral(" Маски передачи кодов "), this);
    group->setObjectName(QStringLiteral("gbxMasks"));
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, layout->contentsMargins().top(), 6, 4);
    layout->setSpacing(2);

    auto *prefixRow = new QHBoxLayout;
    edtPrefix = MakeTextField(m_model, PrefixName, group);
    // Installed before the binding gives the field its guard, so it runs after the guard's checks.
    new AfterFieldChecks(edtPrefix, [this] { prefixEdited(); });
    auto *prefixLabel = MakeValueLabel(m_model, PrefixName, group);
    prefixRow->addWidget(prefixLabel);
    prefixRow->addWidget(edtPrefix);
    prefixRow->addStretch(1);
    layout->addLayout(prefixRow);

    auto *panels = new QGridLayout;
    panels->setHorizontalSpacing(12);
    panels->setVerticalSpacing(2);
    layout->addLayout(panels);
    const QStringList labels = {QStringLiteral("Номер объекта:"), QStringLiteral("Код события:"),
                                QStringLiteral("Код группы:"), QStringLiteral("Код зоны:")};
    for (int p = 0; p < MaskPanelList().size(); ++p) {
        const MaskPanel &mask = MaskPanelList().at(p);
        auto *panel = new QFrame(group);
        panel->setObjectName(mask.name);
        panel->setProperty("tag", mask.positions);
        auto *grid = new QGridLayout(panel);
        grid->setContentsMargins(0, 2, 0, 2);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(1);
        auto *label = new QLabel(labels.at(p), panel);
        label->setObjectName(QStringLiteral("lbl") + mask.stem());
        grid->addWidget(label, 0, 0, 1, 5);
        for (int position = 1; position <= mask.positions; ++position) {
            auto *box = new QCheckBox(panel);
            box->setObjectName(mask.digitFlag(position));
            // A digit position is named by its panel's label and its number.
            box->setAccessibleName(QString(labels.at(p)).remove(u':') + u' ' +
                                   QString::number(position));
            grid->addWidget(box, 1, position - 1, Qt::AlignHCenter);
            auto *button = new QToolButton(panel);
            const QString name = mask.maskButton(position);
            button->setObjectName(name);
            button->setToolTip(QStringLiteral("Нажмите для формирования префикса"));
            button->setAutoRaise(false);
            button->setFixedSize(38, 20);
            grid->addWidget(button, 2, position - 1);
            m_maskButtons.insert(name, button);
            connect(button, &QToolButton::clicked, this, [this, name] { maskButtonClick(name); });
        }
        grid->setColumnStretch(4, 1);
        panels->addWidget(panel, p / 2, p % 2);
    }
    return group;
}

QWidget *ProtocolPage::makeLibrary()
{
    auto *group = new QGroupBox(QStringLiteral(" Протокол "), this);
    group->setObjectName(QStringLiteral("gbxProtocol"));
    QGridLayout *grid = MakeGroupGrid(group);
    cbxProtocol = MakeChooser(QStringLiteral("cbxProtocol"), group);
    grid->addWidget(cbxProtocol, 0, 0, 1, 3);
    auto button = [group](const char *name, const QString &caption, const QString &hint) {
        auto *b = new QPushButton(caption, group);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        return b;
    };
    btnProtocol_Add = button("btnProtocol_Add", QStringLiteral("Добавить"),
                             QStringLiteral("Добавить протокол  в программу из файла"));
    btnProtocol_Save =
        button("btnProtocol_Save", QStringLiteral("Сохранить"),
               QStringLiteral("Сохранить протокол в файл и добавить его в программу"));
    btnProtocol_Delete = button(
        "btnProtocol_Delete", QStringLiteral("Удалить"),
        QStringLiteral("Удалить протокол из программы. Файл с протоколом при этом не удаляется"));
    btnProtocol_Delete->setEnabled(false);
    grid->addWidget(btnProtocol_Add, 1, 0);
    grid->addWidget(btnProtocol_Save, 1, 1);
    grid->addWidget(btnProtocol_Delete, 1, 2);
    return group;
}

void ProtocolPage::showChooser()
{
    const QSignalBlocker blocker(cbxProtocol);
    const QStringList items = m_editor.chooserItems();
    QStringList shown;
    for (int i = 0; i < cbxProtocol->count(); ++i)
        shown.append(cbxProtocol->itemText(i));
    if (shown != items) {
        cbxProtocol->clear();
        cbxProtocol->addItems(items);
    }
    cbxProtocol->setCurrentIndex(m_editor.chooserIndex());
}

void ProtocolPage::showMaskCaptions()
{
    for (auto it = m_maskButtons.cbegin(); it != m_maskButtons.cend(); ++it)
        it.value()->setText(m_editor.maskCaption(it.key()));
}

void ProtocolPage::prefixEdited()
{
    m_editor.ShowPrefixMasks(m_model.text(PrefixName));
}

void ProtocolPage::setPrefixMaskWindow(TfrmPrefixMask *dialog)
{
    m_prefixMask = dialog;
}

void ProtocolPage::maskButtonClick(const QString &buttonName)
{
    QToolButton *button = m_maskButtons.value(buttonName);
    if (!button)
        return;
    ValidateField(*edtPrefix, CodeCharacters(), 4, m_notifier);
    const QString prefix = m_model.text(PrefixName);
    m_editor.ShowPrefixMasks(prefix);
    if (!m_prefixMask)
        return;
    const std::optional<int> selection =
        m_prefixMask->choose(prefix, m_model.slider(buttonName), button);
    if (selection)
        m_editor.applyMaskSelection(buttonName, *selection);
}

} // namespace sr5n
