#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sr5n {

class FieldGuard;
class Notifier;
class TMultiGrid;

// The zones dialog: the 70 zone codes of one external event and pair
// (mgdZones, zone z in row z + 1), with an automatic fill of the selected
// rows from a start code in steps. Created once at start-up and reused; its
// codes are loaded from the cell each time it is opened.
class TfrmExtEvZones final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ZoneCount = 70;

    explicit TfrmExtEvZones(Notifier &notifier, QWidget *parent = nullptr);

    // Column 1 of rows 1-70, zone 0 first.
    void setZoneCodes(const QStringList &codes);
    QStringList zoneCodes() const;

    QLabel *lblTitle = nullptr;
    TMultiGrid *mgdZones = nullptr;
    QGroupBox *gbxAutoFill = nullptr;
    QPushButton *btnSelectAll = nullptr;
    QLineEdit *edtStart = nullptr;
    QLineEdit *edtStep = nullptr;
    QPushButton *btnFill = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    // The text of the zone code being edited, as it was when the edit began.
    QString PreviousCellText;

    void btnSelectAllClick();
    void btnFillClick();
    void mgdZonesKeyPress(TMultiGrid *Sender, QChar &Key);
    void mgdZonesEditorEnter(TMultiGrid *Sender, int ACol, int ARow, QString Text);
    void mgdZonesEditorApply(TMultiGrid *Sender, int ACol, int ARow, QString Text);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeZonesTable(QWidget *parent);
    QWidget *makeAutoFill(QWidget *parent);
    QLineEdit *makeFillField(const QString &name, const QString &text, int padLength,
                             FieldGuard *&guard, QWidget *parent);

    Notifier &m_notifier;
    FieldGuard *m_startGuard = nullptr;
    FieldGuard *m_stepGuard = nullptr;
};

} // namespace sr5n
