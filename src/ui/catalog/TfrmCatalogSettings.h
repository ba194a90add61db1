#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sr5n {

class Notifier;

// Where the catalogue of objects is kept: the local file of this computer or
// the team's catalogue on a PostgreSQL server, named by its address (a libpq
// URI, never with a password: the server asks for it), with the root
// certificate its certificate is checked against (kept in the address as
// "sslrootcert"). Shows the state of the catalogue in use.
class TfrmCatalogSettings final : public QDialog
{
    Q_OBJECT

public:
    // `location`: the one in use (empty: the local catalogue at `localPath`);
    // `status`: what the catalogue in use says of itself.
    TfrmCatalogSettings(const QString &location, const QString &localPath, const QString &status,
                        Notifier &notifier, QWidget *parent = nullptr);

    // The location chosen: empty for the local catalogue, else the server's
    // address without a password.
    QString location() const { return m_location; }

    // Why a server address cannot be used; empty when it can.
    static QString refusal(const QString &text);

private:
    void choose();
    void chooseRootCertificate();
    void updateFields();

    Notifier &m_notifier;
    QString m_location;
    QRadioButton *rbCatalogLocal = nullptr;
    QRadioButton *rbCatalogServer = nullptr;
    QLineEdit *edtCatalogServer = nullptr;
    QLineEdit *edtCatalogRootCert = nullptr;
    QPushButton *btnCatalogRootCert = nullptr;
    QLabel *lblCatalogStatus = nullptr;
};

} // namespace sr5n
