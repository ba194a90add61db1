#pragma once

#include <QWidget>

class QTimeEdit;
class QToolButton;

namespace sr5n {

// The communicator's clock on the parameters page: a time picker and the
// two buttons that read the device's time into it and set the device from it.
class ClockPanel final : public QWidget
{
    Q_OBJECT

public:
    explicit ClockPanel(QWidget *parent = nullptr);

    QTimeEdit *dtpCurrentTime = nullptr;
    QToolButton *sbtCurrentTimeRead = nullptr;
    QToolButton *sbtCurrentTimeWrite = nullptr;
};

} // namespace sr5n
