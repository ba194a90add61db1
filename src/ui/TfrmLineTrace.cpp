#include "ui/TfrmLineTrace.h"

#include "common/Notifier.h"
#include "link/LineJournal.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace sr5n {

namespace {

QString operationCaption(const LineJournal::Operation &operation)
{
    return QStringLiteral("%1  %2 — %3%4")
        .arg(operation.started.toString(QStringLiteral("HH:mm:ss")), operation.title,
             operation.port, operation.finished ? QString() : QStringLiteral(" (выполняется)"));
}

} // namespace

TfrmLineTrace::TfrmLineTrace(LineJournal &journal, Notifier &notifier, QWidget *parent)
    : QWidget(parent, Qt::Window), m_journal(journal), m_notifier(notifier)
{
    setObjectName(QStringLiteral("TfrmLineTrace"));
    setWindowTitle(QStringLiteral("Журнал обмена"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *operationLabel = new QLabel(QStringLiteral("&Операция:"), this);
    cbxOperation = new QComboBox(this);
    cbxOperation->setObjectName(QStringLiteral("cbxOperation"));
    cbxOperation->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbxOperation->setMinimumContentsLength(40);
    cbxOperation->setAccessibleName(QStringLiteral("Операция"));
    operationLabel->setBuddy(cbxOperation);
    chbPause = new QCheckBox(QStringLiteral("&Пауза"), this);
    chbPause->setObjectName(QStringLiteral("chbPause"));
    chbPause->setToolTip(QStringLiteral(
        "Остановить показ: журнал записывается дальше и будет показан после снятия паузы"));
    top->addWidget(operationLabel);
    top->addWidget(cbxOperation, 1);
    top->addWidget(chbPause);
    layout->addLayout(top);

    txtTrace = new QPlainTextEdit(this);
    txtTrace->setObjectName(QStringLiteral("txtTrace"));
    txtTrace->setReadOnly(true);
    txtTrace->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtTrace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtTrace->setAccessibleName(QStringLiteral("Журнал обмена"));
    txtTrace->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(txtTrace, 1);

    auto *bottom = new QHBoxLayout;
    auto *findLabel = new QLabel(QStringLiteral("&Найти:"), this);
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setClearButtonEnabled(true);
    edtFind->setAccessibleName(QStringLiteral("Найти"));
    findLabel->setBuddy(edtFind);
    btnFindNext = new QPushButton(QStringLiteral("Да&лее"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnFindNext->setAutoDefault(false);
    lblFound = new QLabel(this);
    lblFound->setObjectName(QStringLiteral("lblFound"));
    lblSize = new QLabel(this);
    lblSize->setObjectName(QStringLiteral("lblSize"));
    btnCopy = new QPushButton(QStringLiteral("&Копировать"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnCopy->setToolTip(QStringLiteral("Выделенное, а без выделения весь показанный журнал"));
    btnCopy->setAutoDefault(false);
    btnSave = new QPushButton(QStringLiteral("&Сохранить журнал обмена…"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    bottom->addWidget(findLabel);
    bottom->addWidget(edtFind, 1);
    bottom->addWidget(btnFindNext);
    bottom->addWidget(lblFound);
    bottom->addStretch();
    bottom->addWidget(lblSize);
    bottom->addWidget(btnCopy);
    bottom->addWidget(btnSave);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);
    resize(900, 480);

    connect(cbxOperation, &QComboBox::activated, this, [this] { showChosen(); });
    connect(chbPause, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused) {
            fillOperations();
            showChosen();
        }
    });
    connect(edtFind, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(edtFind, &QLineEdit::textChanged, lblFound, &QLabel::clear);
    connect(btnFindNext, &QPushButton::clicked, this, [this] { findNext(); });
    connect(btnCopy, &QPushButton::clicked, this, &TfrmLineTrace::copyClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmLineTrace::saveClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    const auto key = [this](QKeySequence sequence, auto run) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, run);
    };
    key(QKeySequence::Find, [this] {
        edtFind->setFocus();
        edtFind->selectAll();
    });
    key(QKeySequence::FindNext, [this] { findNext(); });
    key(QKeySequence::FindPrevious, [this] { findNext(true); });
    key(QKeySequence::Save, [this] { saveClick(); });
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });

    connect(&m_journal, &LineJournal::lineAdded, this, &TfrmLineTrace::onLineAdded);
    connect(&m_journal, &LineJournal::operationBegun, this, &TfrmLineTrace::onOperationBegun);
    connect(&m_journal, &LineJournal::operationEnded, this, [this] {
        if (isVisible() && !chbPause->isChecked())
            fillOperations();
    });
    connect(&m_journal, &LineJournal::trimmed, this, [this] {
        if (!isVisible() || chbPause->isChecked())
            return;
        fillOperations();
        // Lines of the shown operation may have gone.
        if (chosenId() == 0 || !m_journal.operations().empty())
            showChosen();
    });
    fillOperations();
}

void TfrmLineTrace::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fillOperations();
    showChosen();
}

quint64 TfrmLineTrace::chosenId() const
{
    return cbxOperation->currentData().toULongLong();
}

bool TfrmLineTrace::followsNewest() const
{
    return cbxOperation->count() <= 1 || cbxOperation->currentIndex() == 1;
}

void TfrmLineTrace::fillOperations()
{
    const quint64 chosen = chosenId();
    const bool newest = followsNewest();
    const QSignalBlocker still(cbxOperation);
    cbxOperation->clear();
    cbxOperation->addItem(QStringLiteral("Все операции (%1)").arg(m_journal.operations().size()),
                          quint64(0));
    const auto &operations = m_journal.operations();
    for (auto it = operations.rbegin(); it != operations.rend(); ++it)
        cbxOperation->addItem(operationCaption(*it), it->id);
    int index = cbxOperation->findData(chosen);
    if (newest || index < 0)
        index = cbxOperation->count() > 1 ? 1 : 0;
    cbxOperation->setCurrentIndex(index);
    showSize();
}

void TfrmLineTrace::showChosen()
{
    const quint64 id = chosenId();
    if (id == 0) {
        txtTrace->setPlainText(m_journal.text());
    } else if (const LineJournal::Operation *operation = m_journal.operation(id)) {
        txtTrace->setPlainText(LineJournal::text(*operation));
    } else {
        txtTrace->clear();
    }
    txtTrace->verticalScrollBar()->setValue(txtTrace->verticalScrollBar()->maximum());
    showSize();
}

void TfrmLineTrace::onOperationBegun(quint64 id)
{
    Q_UNUSED(id);
    if (!isVisible() || chbPause->isChecked())
        return;
    const bool newest = followsNewest();
    fillOperations();
    if (newest)
        showChosen();
}

void TfrmLineTrace::onLineAdded(quint64 id, const QString &line)
{
    if (!isVisible() || chbPause->isChecked())
        return;
    const quint64 chosen = chosenId();
    const bool all =
        chosen == 0 && !m_journal.operations().empty() && m_journal.operations().back().id == id;
    if (chosen != id && !all)
        return;
    // The view follows the trace only while it is at its end, so that a
    // line read further up stays where it is.
    QScrollBar *bar = txtTrace->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum() - 1;
    // The text ends in a line break: the new line goes into the empty last block.
    QTextCursor end(txtTrace->document());
    end.movePosition(QTextCursor::End);
    end.insertText(line + u'\n');
    if (atEnd)
        bar->setValue(bar->maximum());
}

void TfrmLineTrace::showSize()
{
    lblSize->setText(QStringLiteral("%1 КБ из %2 КБ")
                         .arg((m_journal.bytes() + 1023) / 1024)
                         .arg(m_journal.limits().bytes / 1024));
}

QString TfrmLineTrace::shownText() const
{
    return txtTrace->toPlainText();
}

bool TfrmLineTrace::findNext(bool backwards)
{
    const QString wanted = edtFind->text();
    lblFound->clear();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (txtTrace->find(wanted, flags))
        return true;
    // Round from the other end.
    const QTextCursor kept = txtTrace->textCursor();
    QTextCursor from(txtTrace->document());
    from.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    txtTrace->setTextCursor(from);
    if (txtTrace->find(wanted, flags))
        return true;
    txtTrace->setTextCursor(kept);
    lblFound->setText(QStringLiteral("Не найдено"));
    return false;
}

void TfrmLineTrace::copyClick()
{
    const QString selected = txtTrace->textCursor().selection().toPlainText();
    QApplication::clipboard()->setText(selected.isEmpty() ? shownText() : selected);
}

QString TfrmLineTrace::defaultFileName()
{
    return QStringLiteral("Журнал обмена %1.txt")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
}

void TfrmLineTrace::saveClick()
{
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, QStringLiteral("Сохранение журнала обмена"), m_folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(defaultFileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(path).absolutePath();
    saveTo(path);
}

bool TfrmLineTrace::saveTo(const QString &path)
{
    // Written beside and renamed: a file that was there survives a failure.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(shownText().toUtf8()) < 0 ||
        !file.commit()) {
        m_notifier.reportFailure(
            QStringLiteral("Невозможно сохранить журнал обмена в файл \"%1\": %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

} // namespace sr5n
