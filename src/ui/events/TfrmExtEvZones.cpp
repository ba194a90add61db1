#include "ui/events/TfrmExtEvZones.h"

#include "common/Notifier.h"
#include "components/FieldGuard.h"
#include "components/ReadableColors.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "events/CodeRules.h"
#include "events/ZoneFill.h"
#include "ui/events/CodeCells.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sr5n {

namespace {

constexpr int kVisibleRows = 13; // header and zones 0-11 in view

QString notHexMessage(const QString &field, const QString &text)
{
    return QStringLiteral("%1 \"%2\" не является шестнадцатеричным числом").arg(field, text);
}

} // namespace

TfrmExtEvZones::TfrmExtEvZones(Notifier &notifier, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmExtEvZones"));
    setModal(true);

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pnlFrame"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    lblTitle = new QLabel(QStringLiteral("Коды событий по зонам"), frame);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    SetAccentColour(lblTitle, QColor(0, 0, 255));

    btnOK = new QPushButton(QStringLiteral("OK"), frame);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), frame);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *right = new QVBoxLayout;
    right->addWidget(makeAutoFill(frame));
    right->addStretch(1);
    right->addLayout(buttons);

    auto *body = new QHBoxLayout;
    body->setSpacing(10);
    body->addWidget(makeZonesTable(frame), 0, Qt::AlignTop);
    body->addLayout(right, 1);

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(lblTitle, 0, Qt::AlignHCenter);
    layout->addLayout(body);

    setTabOrder(mgdZones, btnSelectAll);
    setTabOrder(btnSelectAll, edtStart);
    setTabOrder(edtStart, edtStep);
    setTabOrder(edtStep, btnFill);
    setTabOrder(btnFill, btnOK);
    setTabOrder(btnOK, btnCancel);
}

QWidget *TfrmExtEvZones::makeZonesTable(QWidget *parent)
{
    mgdZones = new TMultiGrid(parent);
    mgdZones->setObjectName(QStringLiteral("mgdZones"));
    mgdZones->setAccessibleName(QStringLiteral("Коды событий по зонам"));
    SetUpCodeGrid(*mgdZones, 1, {64, 78}, {QStringLiteral("Зона"), QStringLiteral("Код")});
    mgdZones->SetRowCount(ZoneCount + 1);
    for (int r = 1; r <= ZoneCount; ++r) {
        mgdZones->Cells(0, r)->SetText(QString::number(r - 1));
        TMultiCell *code = mgdZones->Cells(1, r);
        MakeCodeCell(*code);
        code->SetText(QStringLiteral("0000"));
    }
    mgdZones->SetRangeSelect(true);
    mgdZones->SetHideSelection(false);
    mgdZones->SetHideFocus(true);
    FitGridToRows(*mgdZones, kVisibleRows);
    mgdZones->OnKeyPress = [this](TMultiGrid *sender, QChar &key) {
        mgdZonesKeyPress(sender, key);
    };
    mgdZones->OnEditorEnter = [this](TMultiGrid *sender, int col, int row, QString text) {
        mgdZonesEditorEnter(sender, col, row, text);
    };
    mgdZones->OnEditorApply = [this](TMultiGrid *sender, int col, int row, QString text) {
        mgdZonesEditorApply(sender, col, row, text);
    };
    mgdZones->HideControls();
    return mgdZones;
}

QLineEdit *TfrmExtEvZones::makeFillField(const QString &name, const QString &text, int padLength,
                                         FieldGuard *&guard, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setMaxLength(CodeLength);
    field->setFixedWidth(56);
    guard = new FieldGuard(field, CodeCellCharacters(), padLength, m_notifier);
    // Installed after the guard, so it sees Enter first: check, then fill.
    field->installEventFilter(this);
    return field;
}

QWidget *TfrmExtEvZones::makeAutoFill(QWidget *parent)
{
    gbxAutoFill = new QGroupBox(QStringLiteral(" Автозаполнение "), parent);
    gbxAutoFill->setObjectName(QStringLiteral("gbxAutoFill"));
    btnSelectAll = new QPushButton(QStringLiteral("Выделить все"), gbxAutoFill);
    btnSelectAll->setObjectName(QStringLiteral("btnSelectAll"));
    btnSelectAll->setAutoDefault(false);
    edtStart = makeFillField(QStringLiteral("edtStart"), QStringLiteral("0000"), CodeLength,
                             m_startGuard, gbxAutoFill);
    edtStep =
        makeFillField(QStringLiteral("edtStep"), QStringLiteral("0"), 0, m_stepGuard, gbxAutoFill);
    btnFill = new QPushButton(QStringLiteral("4) Заполнить"), gbxAutoFill);
    btnFill->setObjectName(QStringLiteral("btnFill"));
    btnFill->setAutoDefault(false);
    connect(btnSelectAll, &QPushButton::clicked, this, &TfrmExtEvZones::btnSelectAllClick);
    connect(btnFill, &QPushButton::clicked, this, &TfrmExtEvZones::btnFillClick);

    auto *grid = new QGridLayout(gbxAutoFill);
    grid->setContentsMargins(10, 14, 10, 10);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(new QLabel(QStringLiteral("1) Выделить ячейки"), gbxAutoFill), 0, 0, 1, 2);
    grid->addWidget(btnSelectAll, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("2) Старт:"), gbxAutoFill), 2, 0);
    grid->addWidget(edtStart, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("3) Шаг:"), gbxAutoFill), 3, 0);
    grid->addWidget(edtStep, 3, 1);
    grid->addWidget(btnFill, 4, 0, 1, 2);
    return gbxAutoFill;
}

void TfrmExtEvZones::setZoneCodes(const QStringList &codes)
{
    for (int zone = 0; zone < ZoneCount; ++zone)
        SetCellText(*mgdZones->Cells(1, zone + 1), codes.value(zone, QStringLiteral("0000")));
}

QStringList TfrmExtEvZones::zoneCodes() const
{
    QStringList codes;
    for (int zone = 0; zone < ZoneCount; ++zone)
        codes.append(mgdZones->Cells(1, zone + 1)->Text());
    return codes;
}

void TfrmExtEvZones::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), sizeHint().expandedTo(size()));
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    mgdZones->HideControls();
    mgdZones->FocusCell(1, 1);
    mgdZones->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

bool TfrmExtEvZones::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == edtStart || watched == edtStep) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            (watched == edtStart ? m_startGuard : m_stepGuard)->validate();
            btnFillClick();
            return true; // not the dialog's default button
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmExtEvZones::btnSelectAllClick()
{
    // Anchor at the last zone, current cell at zone 0: all selected, top in view.
    mgdZones->FocusCell(1, ZoneCount);
    mgdZones->FocusCell(1, 1, true);
}

void TfrmExtEvZones::btnFillClick()
{
    const QString start = edtStart->text();
    const QString step = edtStep->text();
    if (!IsHexNumber(start)) {
        m_notifier.showError(notHexMessage(QStringLiteral("Старт:"), start));
        return;
    }
    if (!IsHexNumber(step)) {
        m_notifier.showError(notHexMessage(QStringLiteral("Шаг:"), step));
        return;
    }
    const std::optional<QStringList> codes = FillZoneCodes(start, step, ZoneCount);
    if (!codes)
        return;
    // The selection is read again for every row; its columns do not matter.
    int index = 0;
    for (int r = mgdZones->Selection().top();
         r <= mgdZones->Selection().bottom() && index < codes->size(); ++r, ++index) {
        if (TMultiCell *cell = mgdZones->Cells(1, r))
            SetCellText(*cell, codes->at(index));
    }
}

void TfrmExtEvZones::mgdZonesKeyPress(TMultiGrid *Sender, QChar &Key)
{
    FilterCodeKey(Key);
    // Enter that ended an edit moves on to OK; Enter that has just opened the
    // editor (the grid hands it over afterwards) leaves the edit alone.
    if (Key.unicode() == 13 && !Sender->editing())
        btnOK->setFocus(Qt::OtherFocusReason);
}

void TfrmExtEvZones::mgdZonesEditorEnter(TMultiGrid *, int, int, QString Text)
{
    PreviousCellText = Text;
}

void TfrmExtEvZones::mgdZonesEditorApply(TMultiGrid *Sender, int ACol, int ARow, QString)
{
    if (TMultiCell *cell = Sender->Cells(ACol, ARow); cell && ACol == 1)
        ValidateCodeCell(*cell, CodeCellCharacters(), PreviousCellText, m_notifier);
}

} // namespace sr5n
