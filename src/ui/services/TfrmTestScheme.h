#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace sr5n {

class Notifier;
class TConnection;

// The diagnostics window: starts the communicator's self-test half a second
// after it is shown and lights a green or red lamp for each of five tests.
// While the test runs the user cannot close it.
class TfrmTestScheme final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int TestCount = 5;

    TfrmTestScheme(TConnection &connection, Notifier &notifier, QWidget *parent = nullptr);

    QStringList TestNames;
    QLabel *lblMsg = nullptr;
    QLabel *imgLED_Gray = nullptr;
    QLabel *imgLED_Green = nullptr;
    QLabel *imgLED_Red = nullptr;
    QProgressBar *prbProgress = nullptr;
    QPushButton *btnOK = nullptr;
    QTimer *tmrTest = nullptr;

    // The test exchange; runs once from the timer after each showing.
    void tmrTestTimer();
    bool testing() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void FormCreate();
    void FormShow();
    void showVerdict(unsigned mask);
    void setMessage(const QString &text, const QColor &color);
    QLabel *lamp(int n) const;
    QLabel *label(int n) const;

    TConnection &m_connection;
    Notifier &m_notifier;
};

} // namespace sr5n
