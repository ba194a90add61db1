#include "ui/TfrmAbout.h"

#include "common/AppTitle.h"
#include "common/Maker.h"
#include "components/Icons.h"
#include "components/ReadableColors.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace sr5n {

namespace {

QLabel *centred(const QString &text, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QLabel *picture(const QIcon &icon, int size, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

QLabel *link(const QString &name, const QString &text, const QString &hint, QWidget *parent)
{
    auto *label = centred(text, false, parent);
    label->setObjectName(name);
    label->setToolTip(hint);
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    SetAccentColour(label, label->palette().color(QPalette::Link));
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(Notifier &notifier, QWidget *parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_notifier(notifier)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("  О программе"));
    setFixedSize(361, 251);
    setModal(true);

    auto *heading = centred(QStringLiteral("Информация о программе"), true, this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    SetAccentColour(heading, QColor(0, 0, 255));
    auto *headingRow = new QHBoxLayout;
    headingRow->addWidget(picture(Icons::about(), 24, this));
    headingRow->addWidget(heading, 1);
    headingRow->addWidget(picture(Icons::about(), 24, this));

    lblName = centred(QStringLiteral("СР-5/Н"), true, this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblVersionInfo = centred(QStringLiteral("Версия"), false, this);
    lblVersionInfo->setObjectName(QStringLiteral("lblVersionInfo"));
    auto *maker = centred(MakerName(), true, this);
    maker->setObjectName(QStringLiteral("lblMaker"));
    lblWebSite = link(QStringLiteral("lblWebSite"), MakerWebSite(),
                      QStringLiteral("Посетить веб-страницу"), this);
    lblEmail =
        link(QStringLiteral("lblEmail"), MakerEmail(), QStringLiteral("Написать письмо"), this);
    lblWebSite->installEventFilter(this);
    lblEmail->installEventFilter(this);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(lblName);
    texts->addWidget(lblVersionInfo);
    texts->addSpacing(6);
    texts->addWidget(maker);
    texts->addWidget(lblWebSite);
    texts->addWidget(lblEmail);

    auto *pictures = new QVBoxLayout;
    pictures->addWidget(picture(Icons::application(), 64, this));
    pictures->addWidget(picture(Icons::makerLogo(), 64, this));
    pictures->addStretch();

    auto *body = new QHBoxLayout;
    body->addLayout(pictures);
    body->addLayout(texts, 1);

    auto *credits = new QHBoxLayout;
    credits->addStretch();
    credits->addWidget(picture(Icons::application(), 16, this));
    auto *creditsText =
        new QLabel(QStringLiteral("Разработка: команда разработчиков проекта"), this);
    creditsText->setObjectName(QStringLiteral("lblCredits"));
    credits->addWidget(creditsText);

    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setToolTip(QStringLiteral("Закрыть окно"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addLayout(headingRow);
    layout->addLayout(body, 1);
    layout->addLayout(credits);
    layout->addLayout(buttons);

    FormCreate();
}

QString TfrmAbout::versionCaption(const QString &version)
{
    if (version.isEmpty())
        return QStringLiteral("Версия");
    return QStringLiteral("Версия  ") + version;
}

void TfrmAbout::FormCreate()
{
    lblName->setText(AppTitle());
    lblVersionInfo->setText(versionCaption(QCoreApplication::applicationVersion()));
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == lblWebSite) {
            lblWebSiteClick();
            return true;
        }
        if (watched == lblEmail) {
            lblEmailClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmAbout::openLink(const QUrl &url, const QString &failure)
{
    if (QDesktopServices::openUrl(url))
        return true;
    m_notifier.reportFailure(failure);
    return false;
}

bool TfrmAbout::lblWebSiteClick()
{
    return openLink(
        QUrl(QStringLiteral("http://") + MakerWebSite()),
        QStringLiteral("Не возможно открыть ссылку. Возможно, не установлен веб-браузер"));
}

bool TfrmAbout::lblEmailClick()
{
    return openLink(
        QUrl(QStringLiteral("mailto:") + MakerEmail()),
        QStringLiteral("Не возможно открыть ссылку. Возможно, не установлен почтовый клиент"));
}

} // namespace sr5n
