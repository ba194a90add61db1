#include "ui/protocols/TfrmPrefixMask.h"

#include "components/ReadableColors.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sr5n {

TfrmPrefixMask::TfrmPrefixMask(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrefixMask"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pnlFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(1);
    outer->addWidget(frame);

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    lblTitle = new QLabel(QStringLiteral("Маска цифр префикса"), frame);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    SetAccentColour(lblTitle, QColor(0, 0, 255));
    lblTitle->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblTitle);

    auto *panel = new QFrame(frame);
    panel->setObjectName(QStringLiteral("pnlChars"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(14);
    for (int i = 0; i < 4; ++i) {
        lbl[i] = new QLabel(QString::number(i + 1), panel);
        lbl[i]->setObjectName(QStringLiteral("lbl%1").arg(i + 1));
        lbl[i]->setAlignment(Qt::AlignCenter);
        chb[i] = new QCheckBox(panel);
        chb[i]->setObjectName(QStringLiteral("chb%1").arg(i + 1));
        chb[i]->setAccessibleName(lblTitle->text() + u' ' + QString::number(i + 1));
        grid->addWidget(lbl[i], 0, i, Qt::AlignHCenter);
        grid->addWidget(chb[i], 1, i, Qt::AlignHCenter);
    }
    layout->addWidget(panel);

    auto *buttons = new QHBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), frame);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), frame);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {btnOK, btnCancel})
        button->setFixedWidth(64);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    adjustSize();
    setFixedSize(size());
}

void TfrmPrefixMask::prepare(const QString &prefix, int selection, const QWidget *button)
{
    for (int i = 0; i < 4 && i < prefix.size(); ++i) {
        lbl[i]->setText(prefix.at(i));
        chb[i]->setChecked(selection & (1 << i));
    }
    if (button) {
        const QPoint corner = button->mapToGlobal(QPoint(0, 0));
        move(corner.x() - (width() - button->width()) / 2,
             corner.y() - (height() - button->height()) / 2);
    }
    btnOK->setFocus();
}

int TfrmPrefixMask::selection() const
{
    int selection = 0;
    for (int i = 0; i < 4; ++i) {
        if (chb[i]->isChecked())
            selection |= 1 << i;
    }
    return selection;
}

std::optional<int> TfrmPrefixMask::choose(const QString &prefix, int selection,
                                          const QWidget *button)
{
    prepare(prefix, selection, button);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return this->selection();
}

} // namespace sr5n
