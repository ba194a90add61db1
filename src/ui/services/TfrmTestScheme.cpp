#include "ui/services/TfrmTestScheme.h"

#include "services/SelfTest.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace sr5n {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QPixmap lampPicture(const QColor &color)
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(QPointF(7, 6), 10);
    gradient.setColorAt(0, color.lighter(170));
    gradient.setColorAt(1, color);
    painter.setBrush(gradient);
    painter.setPen(QPen(color.darker(150), 1));
    painter.drawEllipse(QRectF(1.5, 1.5, 15, 15));
    return pixmap;
}

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

TfrmTestScheme::TfrmTestScheme(TConnection &connection, Notifier &notifier, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_connection(connection), m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmTestScheme"));
    setWindowTitle(QStringLiteral("  Диагностика СР-5/Н"));
    setFixedSize(270, 267);
    setModal(true);

    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAlignment(Qt::AlignCenter);
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);
    lblMsg->setMinimumHeight(36);

    imgLED_Gray = new QLabel(this);
    imgLED_Gray->setObjectName(QStringLiteral("imgLED_Gray"));
    imgLED_Gray->setPixmap(lampPicture(QColor(150, 150, 150)));
    imgLED_Green = new QLabel(this);
    imgLED_Green->setObjectName(QStringLiteral("imgLED_Green"));
    imgLED_Green->setPixmap(lampPicture(QColor(0, 190, 0)));
    imgLED_Red = new QLabel(this);
    imgLED_Red->setObjectName(QStringLiteral("imgLED_Red"));
    imgLED_Red->setPixmap(lampPicture(QColor(230, 0, 0)));
    for (QLabel *hidden : {imgLED_Gray, imgLED_Green, imgLED_Red})
        hidden->hide();

    auto *tests = new QGridLayout;
    tests->setHorizontalSpacing(8);
    tests->setVerticalSpacing(10);
    for (int n = 0; n < TestCount; ++n) {
        auto *image = new QLabel(this);
        image->setObjectName(QStringLiteral("imgTest%1").arg(n));
        image->setFixedSize(18, 18);
        auto *text = new QLabel(this);
        text->setObjectName(QStringLiteral("lblTest%1").arg(n));
        tests->addWidget(image, n, 0);
        tests->addWidget(text, n, 1);
    }
    tests->setColumnStretch(1, 1);

    prbProgress = new QProgressBar(this);
    prbProgress->setObjectName(QStringLiteral("prbProgress"));
    prbProgress->setTextVisible(false);
    prbProgress->setFixedHeight(16);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    tmrTest = new QTimer(this);
    tmrTest->setObjectName(QStringLiteral("tmrTest"));
    tmrTest->setInterval(500);
    connect(tmrTest, &QTimer::timeout, this, &TfrmTestScheme::tmrTestTimer);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(prbProgress, 1);
    bottom->addWidget(btnOK, 0, Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(lblMsg);
    layout->addSpacing(6);
    layout->addLayout(tests);
    layout->addStretch();
    layout->addLayout(bottom);

    FormCreate();
}

QLabel *TfrmTestScheme::lamp(int n) const
{
    return findChild<QLabel *>(QStringLiteral("imgTest%1").arg(n));
}

QLabel *TfrmTestScheme::label(int n) const
{
    return findChild<QLabel *>(QStringLiteral("lblTest%1").arg(n));
}

void TfrmTestScheme::FormCreate()
{
    TestNames = SelfTest::testNames();
}

bool TfrmTestScheme::testing() const
{
    return btnOK->isHidden();
}

void TfrmTestScheme::setMessage(const QString &text, const QColor &color)
{
    lblMsg->setText(text);
    setTextColor(lblMsg, color);
}

void TfrmTestScheme::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
    QDialog::showEvent(event);
}

void TfrmTestScheme::FormShow()
{
    prbProgress->setRange(0, 0); // the running indicator
    prbProgress->show();
    btnOK->hide();
    tmrTest->start();
    setMessage(SelfTest::runningText(), kBlue);
    for (int n = 0; n < TestCount; ++n) {
        label(n)->setText(TestNames[n]);
        label(n)->setPalette(palette());
        lamp(n)->setPixmap(imgLED_Gray->pixmap());
    }
}

void TfrmTestScheme::tmrTestTimer()
{
    tmrTest->stop();
    // A failed request has told the user; seven answers to another command
    // (busy ones included) close the window without a message.
    const std::optional<unsigned> mask = SelfTest::run(m_connection, m_notifier);
    if (!mask) {
        done(QDialog::Rejected);
        return;
    }
    showVerdict(*mask);
}

void TfrmTestScheme::showVerdict(unsigned mask)
{
    for (int n = 0; n < TestCount; ++n) {
        const bool failed = SelfTest::failed(mask, n);
        label(n)->setText(SelfTest::verdictLine(mask, n));
        setTextColor(label(n), failed ? kRed : kGreen);
        lamp(n)->setPixmap(failed ? imgLED_Red->pixmap() : imgLED_Green->pixmap());
    }
    setMessage(SelfTest::summary(mask), SelfTest::anyFailed(mask) ? kRed : kGreen);
    prbProgress->hide();
    btnOK->show();
    btnOK->setFocus();
}

void TfrmTestScheme::reject()
{
    // Escape acts as OK (the cancel button) once the result is shown; never while testing.
    if (!testing())
        accept();
}

void TfrmTestScheme::closeEvent(QCloseEvent *event)
{
    if (testing() && tmrTest->isActive()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace sr5n
