#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace sr5n {

class Notifier;

// The name dialog of the protocol library: a message, an editable list of the
// library's names preset to a proposed name, OK and Отмена. OK (and Enter)
// takes the text shown. OK on a name the list holds asks whether to replace
// that protocol; a name of the taken ones is refused and the dialog stays open.
class TfrmSaveNewProtocol final : public QDialog
{
public:
    explicit TfrmSaveNewProtocol(Notifier &notifier, QWidget *parent = nullptr);

    // Sets caption, message, the names offered, the name proposed and the
    // names already taken; done before each showing.
    void prepare(const QString &caption, const QString &message, const QStringList &names,
                 const QString &name, const QStringList &taken = {});
    // The name as typed, surrounding spaces kept.
    QString name() const;

    // OK: closes the dialog unless the user declines to replace a known name.
    void btnOKClick();

    QLabel *lblMsg = nullptr;
    QComboBox *cbxNewProtocolName = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void nameChanged(const QString &text);

    Notifier &m_notifier;
    QStringList m_names;
    QStringList m_taken;
};

} // namespace sr5n
