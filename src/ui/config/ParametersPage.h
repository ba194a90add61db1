#pragma once

#include <QWidget>

namespace sr5n {

class ConfigModel;
class Notifier;

// The page "Параметры": dialling and line parameters, the line check and the
// dial-tone frequency, bound to the model, with room for the device clock group.
class ParametersPage final : public QWidget
{
public:
    ParametersPage(ConfigModel &model, Notifier &notifier, QWidget *parent = nullptr);

    static QString caption();
    // The empty area, across the bottom of the page, that holds the device
    // clock's group; it has a QVBoxLayout without margins.
    QWidget *deviceClockArea() const { return m_clockArea; }

private:
    QWidget *m_clockArea;
};

} // namespace sr5n
