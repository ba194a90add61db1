#pragma once

#include "common/Notifier.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace sr5n {

// The About window: name, version, the maker and its two links.
class TfrmAbout final : public QDialog
{
    Q_OBJECT

public:
    TfrmAbout(Notifier &notifier, QWidget *parent = nullptr);

    // "Версия  " followed by the version text, or "Версия" when there is none.
    static QString versionCaption(const QString &version);

    QLabel *lblName = nullptr;
    QLabel *lblVersionInfo = nullptr;
    QLabel *lblWebSite = nullptr;
    QLabel *lblEmail = nullptr;
    QPushButton *btnClose = nullptr;

    bool lblWebSiteClick();
    bool lblEmailClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    bool openLink(const QUrl &url, const QString &failure);

    Notifier &m_notifier;
};

} // namespace sr5n
