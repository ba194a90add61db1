#include "ui/catalog/TfrmCatalogSettings.h"

#include "catalog/CatalogLocation.h"
#include "catalog/PostgresUri.h"
#include "common/Notifier.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sr5n {

QString TfrmCatalogSettings::refusal(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Укажите адрес сервера общего каталога, например "
                              "postgresql://инженер@сервер:5432/каталог");
    if (!IsSharedCatalog(trimmed))
        return QStringLiteral("Адрес общего каталога начинается с postgresql://");
    const PostgresUri uri = PostgresUri::parse(trimmed);
    return uri.isValid() ? QString() : uri.error();
}

TfrmCatalogSettings::TfrmCatalogSettings(const QString &location, const QString &localPath,
                                         const QString &status, Notifier &notifier, QWidget *parent)
    : QDialog(parent), m_notifier(notifier), m_location(location)
{
    setObjectName(QStringLiteral("frmCatalogSettings"));
    setWindowTitle(QStringLiteral("Каталог объектов"));
    setModal(true);

    auto *gbxWhere = new QGroupBox(QStringLiteral("Где хранится каталог"), this);
    rbCatalogLocal =
        new QRadioButton(QStringLiteral("&Локальный каталог на этом компьютере"), gbxWhere);
    rbCatalogLocal->setObjectName(QStringLiteral("rbCatalogLocal"));
    auto *lblLocalPath = new QLabel(QDir::toNativeSeparators(localPath), gbxWhere);
    lblLocalPath->setObjectName(QStringLiteral("lblCatalogLocalPath"));
    lblLocalPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblLocalPath->setIndent(24);
    rbCatalogServer =
        new QRadioButton(QStringLiteral("&Общий каталог на сервере PostgreSQL:"), gbxWhere);
    rbCatalogServer->setObjectName(QStringLiteral("rbCatalogServer"));
    edtCatalogServer = new QLineEdit(gbxWhere);
    edtCatalogServer->setObjectName(QStringLiteral("edtCatalogServer"));
    edtCatalogServer->setAccessibleName(QStringLiteral("Адрес сервера общего каталога"));
    edtCatalogServer->setPlaceholderText(
        QStringLiteral("postgresql://инженер@сервер:5432/каталог"));
    edtCatalogServer->setToolTip(
        QStringLiteral("Адрес без пароля: сервер спросит пароль при подключении, он не "
                       "сохраняется"));
    edtCatalogServer->setMinimumWidth(420);
    // A server elsewhere is reached with TLS and its certificate checked
    // against a root certificate: the one chosen here, else libpq's own.
    auto *lblRootCert = new QLabel(QStringLiteral("&Корневой сертификат:"), gbxWhere);
    edtCatalogRootCert = new QLineEdit(gbxWhere);
    edtCatalogRootCert->setObjectName(QStringLiteral("edtCatalogRootCert"));
    edtCatalogRootCert->setAccessibleName(
        QStringLiteral("Корневой сертификат для проверки сервера общего каталога"));
    edtCatalogRootCert->setPlaceholderText(QStringLiteral("~/.postgresql/root.crt"));
    edtCatalogRootCert->setToolTip(
        QStringLiteral("Сертификат центра, выдавшего сертификат сервера: по нему проверяется, "
                       "что подключение идет к этому серверу. Сервер не на этом компьютере "
                       "подключается только с проверенным сертификатом, если в адресе не указан "
                       "другой режим (sslmode)"));
    lblRootCert->setBuddy(edtCatalogRootCert);
    btnCatalogRootCert = new QPushButton(QStringLiteral("&Выбрать..."), gbxWhere);
    btnCatalogRootCert->setObjectName(QStringLiteral("btnCatalogRootCert"));
    connect(btnCatalogRootCert, &QPushButton::clicked, this, [this] { chooseRootCertificate(); });
    auto *rootLayout = new QHBoxLayout;
    rootLayout->setContentsMargins(24, 0, 0, 0);
    rootLayout->addWidget(lblRootCert);
    rootLayout->addWidget(edtCatalogRootCert, 1);
    rootLayout->addWidget(btnCatalogRootCert);

    const bool shared = IsSharedCatalog(location);
    rbCatalogLocal->setChecked(!shared);
    rbCatalogServer->setChecked(shared);
    if (shared) {
        // The certificate has a field of its own; the address is shown without it.
        const PostgresUri uri = PostgresUri::parse(location);
        const QString rootCert = uri.parameter(QStringLiteral("sslrootcert"));
        edtCatalogServer->setText(
            uri.isValid() && !rootCert.isEmpty()
                ? uri.withParameter(QStringLiteral("sslrootcert"), {}).withoutPassword()
                : location);
        edtCatalogRootCert->setText(QDir::toNativeSeparators(rootCert));
    }
    connect(rbCatalogServer, &QRadioButton::toggled, this, [this] { updateFields(); });
    auto *whereLayout = new QVBoxLayout(gbxWhere);
    whereLayout->addWidget(rbCatalogLocal);
    whereLayout->addWidget(lblLocalPath);
    whereLayout->addWidget(rbCatalogServer);
    whereLayout->addWidget(edtCatalogServer);
    whereLayout->addLayout(rootLayout);

    auto *gbxStatus = new QGroupBox(QStringLiteral("Сейчас"), this);
    lblCatalogStatus = new QLabel(status, gbxStatus);
    lblCatalogStatus->setObjectName(QStringLiteral("lblCatalogStatus"));
    lblCatalogStatus->setWordWrap(true);
    lblCatalogStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *statusLayout = new QVBoxLayout(gbxStatus);
    statusLayout->addWidget(lblCatalogStatus);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnCatalogOk"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(gbxWhere);
    layout->addWidget(gbxStatus);
    layout->addStretch(1);
    layout->addWidget(buttons);
    updateFields();
}

void TfrmCatalogSettings::updateFields()
{
    edtCatalogServer->setEnabled(rbCatalogServer->isChecked());
    edtCatalogRootCert->setEnabled(rbCatalogServer->isChecked());
    btnCatalogRootCert->setEnabled(rbCatalogServer->isChecked());
}

void TfrmCatalogSettings::chooseRootCertificate()
{
    const QString now = QDir::fromNativeSeparators(edtCatalogRootCert->text().trimmed());
    const QString start = now.isEmpty() ? QDir::home().filePath(QStringLiteral(".postgresql"))
                                        : QFileInfo(now).absolutePath();
    QFileDialog dialog(this, QStringLiteral("Корневой сертификат сервера каталога"),
                       QFileInfo(start).isDir() ? start : QDir::homePath());
    dialog.setObjectName(QStringLiteral("dlgCatalogRootCert"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {QStringLiteral("Сертификаты (*.crt *.pem *.cer)"), QStringLiteral("Все файлы (*)")});
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edtCatalogRootCert->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void TfrmCatalogSettings::choose()
{
    if (rbCatalogLocal->isChecked()) {
        m_location.clear();
        accept();
        return;
    }
    if (const QString refused = refusal(edtCatalogServer->text()); !refused.isEmpty()) {
        m_notifier.reportFailure(refused);
        edtCatalogServer->setFocus();
        return;
    }
    const QString rootCert = QDir::fromNativeSeparators(edtCatalogRootCert->text().trimmed());
    if (!rootCert.isEmpty() && !QFileInfo(rootCert).isFile()) {
        m_notifier.reportFailure(QStringLiteral("Файл корневого сертификата «%1» не найден")
                                     .arg(QDir::toNativeSeparators(rootCert)));
        edtCatalogRootCert->setFocus();
        return;
    }
    if (rootCert.contains(u';')) {
        m_notifier.reportFailure(QStringLiteral("Путь к корневому сертификату содержит «;»: "
                                                "переименуйте файл или папку"));
        edtCatalogRootCert->setFocus();
        return;
    }
    PostgresUri uri = PostgresUri::parse(edtCatalogServer->text().trimmed());
    // The field wins over a certificate written into the address.
    if (!rootCert.isEmpty())
        uri = uri.withParameter(QStringLiteral("sslrootcert"),
                                QFileInfo(rootCert).absoluteFilePath());
    // A password typed into the address is used for no run and kept nowhere.
    m_location = uri.withoutPassword();
    accept();
}

} // namespace sr5n
