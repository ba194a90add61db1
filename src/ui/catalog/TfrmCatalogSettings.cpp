#include "ui/catalog/TfrmCatalogSettings.h"

#include "catalog/CatalogLocation.h"
#include "catalog/PostgresUri.h"
#include "common/Notifier.h"
#include "components/DesignScale.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
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
        QStringLiteral("postgresql://инженер@сервер:5432/каталог?sslmode=require"));
    edtCatalogServer->setToolTip(
        QStringLiteral("Адрес без пароля: сервер спросит пароль при подключении, он не "
                       "сохраняется"));
    edtCatalogServer->setMinimumWidth(Scaled(edtCatalogServer, 420));
    const bool shared = IsSharedCatalog(location);
    rbCatalogLocal->setChecked(!shared);
    rbCatalogServer->setChecked(shared);
    if (shared)
        edtCatalogServer->setText(location);
    connect(rbCatalogServer, &QRadioButton::toggled, this, [this] { updateFields(); });
    auto *whereLayout = new QVBoxLayout(gbxWhere);
    whereLayout->addWidget(rbCatalogLocal);
    whereLayout->addWidget(lblLocalPath);
    whereLayout->addWidget(rbCatalogServer);
    whereLayout->addWidget(edtCatalogServer);

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
    // A password typed into the address is used for no run and kept nowhere.
    m_location = PostgresUri::parse(edtCatalogServer->text().trimmed()).withoutPassword();
    accept();
}

} // namespace sr5n
