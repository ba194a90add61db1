#pragma once

#include "link/OperationProgress.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace sr5n {

// The progress window of every device operation except diagnostics: shows
// the kind of operation and how far it has got, keeps the main window
// disabled while shown, and offers Cancel, the only way to stop early. It is
// a transient window of the main window (the desktop keeps it above it) and
// takes the keyboard when shown, so Escape cancels at once.
class TfrmProgress final : public QDialog, public OperationProgress
{
    Q_OBJECT

public:
    enum ProgressMode { ModeRead = 0, ModeWrite = 1, ModeLog = 2, ModeSearch = 3 };

    // `mainWindow` is disabled while this window is shown.
    explicit TfrmProgress(QWidget *mainWindow);

    int Mode = ModeRead; // set by the caller before showing
    int Tag = 0;         // 1 while shown, 0 once closed

    QProgressBar *prbProgress = nullptr;
    QLabel *lblPercent = nullptr;
    QLabel *imgRead = nullptr;
    QLabel *imgWrite = nullptr;
    QLabel *imgLog = nullptr;
    QPushButton *btnCancel = nullptr;

    // Called by Cancel (button or Escape); the main window sets the link's
    // Aborted flag here.
    void setCancelHandler(std::function<void()> handler) { m_cancel = std::move(handler); }

    void setMaximum(int maximum) override;
    void Step();
    // Shows the window (not modal): FormShow runs.
    void showProgress();
    // Closes the window: FormClose runs; harmless when already closed.
    void closeProgress();

    // The progress of a device operation: Mode from the kind, then shown.
    void begin(Kind kind, int maximum) override;
    void step() override { Step(); }
    void end() override { closeProgress(); }
    // Shown after the caption: "  Поиск коммуникатора: /dev/ttyS1 (2 из 4)".
    void setStage(const QString &stage) override;

    static QString captionForMode(int mode);
    static QString percentText(int position, int maximum);

    void btnCancelClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void FormShow();
    void FormClose();
    void keepAboveMainWindow();

    QPointer<QWidget> m_mainWindow;
    std::function<void()> m_cancel;
};

} // namespace sr5n
