#include "ui/protocols/TfrmSaveNewProtocol.h"

#include "common/Notifier.h"
#include "components/ReadableColors.h"
#include "protocols/ProtocolDialogs.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sr5n {

TfrmSaveNewProtocol::TfrmSaveNewProtocol(Notifier &notifier, QWidget *parent)
    : QDialog(parent), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmSaveNewProtocol"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);
    SetAccentColour(lblMsg, QColor(0, 0, 255));
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setWordWrap(true);
    lblMsg->setMinimumHeight(lblMsg->fontMetrics().height() * 3);
    layout->addWidget(lblMsg);

    cbxNewProtocolName = new QComboBox(this);
    cbxNewProtocolName->setObjectName(QStringLiteral("cbxNewProtocolName"));
    cbxNewProtocolName->setEditable(true);
    cbxNewProtocolName->setInsertPolicy(QComboBox::NoInsert);
    cbxNewProtocolName->setMaxVisibleItems(15);
    // Enter takes a list name only when typed exactly: the name keeps the case it was typed in.
    cbxNewProtocolName->completer()->setCaseSensitivity(Qt::CaseSensitive);
    layout->addWidget(cbxNewProtocolName);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfrmSaveNewProtocol::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbxNewProtocolName, &QComboBox::editTextChanged, this,
            &TfrmSaveNewProtocol::nameChanged);
    setFixedSize(360, sizeHint().height());
}

void TfrmSaveNewProtocol::prepare(const QString &caption, const QString &message,
                                  const QStringList &names, const QString &name,
                                  const QStringList &taken)
{
    setWindowTitle(caption);
    lblMsg->setText(message);
    // Screen readers name the field by the message above it.
    cbxNewProtocolName->setAccessibleName(message);
    cbxNewProtocolName->lineEdit()->setAccessibleName(message);
    m_names = names;
    m_taken = taken;
    cbxNewProtocolName->clear();
    cbxNewProtocolName->addItems(names);
    // No list entry is current: Enter must not bring the first name back
    // over the proposed one.
    cbxNewProtocolName->setCurrentIndex(-1);
    cbxNewProtocolName->setEditText(name);
    nameChanged(name);
}

QString TfrmSaveNewProtocol::name() const
{
    return cbxNewProtocolName->currentText();
}

void TfrmSaveNewProtocol::nameChanged(const QString &text)
{
    btnOK->setEnabled(!text.trimmed().isEmpty());
}

void TfrmSaveNewProtocol::btnOKClick()
{
    const QString text = name();
    if (text.trimmed().isEmpty())
        return;
    for (const QString &known : std::as_const(m_taken)) {
        if (known.compare(text, Qt::CaseInsensitive) == 0) {
            m_notifier.reportFailure(NameTakenMessage(text));
            return;
        }
    }
    for (const QString &known : std::as_const(m_names)) {
        if (known.compare(text, Qt::CaseInsensitive) != 0)
            continue;
        // Enter keeps the protocol: replacing it is what the user must choose.
        if (!m_notifier.askYesNoDefaultNo(QStringLiteral("Протокол с названием \"%1\" уже "
                                                         "зарегистрирован в программе. Заменить?")
                                              .arg(text),
                                          Notifier::QuestionIcon::Warning, windowTitle()))
            return;
        break;
    }
    accept();
}

void TfrmSaveNewProtocol::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    cbxNewProtocolName->setFocus();
    if (QLineEdit *edit = cbxNewProtocolName->lineEdit())
        edit->selectAll();
}

} // namespace sr5n
