#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace sr5n {

class ConfigModel;
class Notifier;

// Binds widgets to the configuration model by their object names, both ways:
// a slider, check box, text field, time picker, combo box or radio group named
// after a value edits it and shows it; a label "stt" + stem shows the value text
// of the slider "trb" + stem; every control whose enabling the model decides
// follows it. Text fields get the key filter and the checks of their kind:
// codes are validated and padded on Enter and when left; phone numbers are
// validated on Enter and when left, and an empty one then switches its flag off.
// A text field hands its text to the model only while it holds no character
// outside its set, so the model never receives one.
class ConfigBinding final : public QObject
{
public:
    ConfigBinding(ConfigModel &model, Notifier &notifier, QObject *parent = nullptr);

    // Binds `root` and every named widget inside it.
    void bind(QWidget *root);

private:
    void bindWidget(QWidget *widget);
    void showValue(const QString &name);
    void showRange(const QString &name);
    void showItems(const QString &name);
    void showEnabled(const QString &name, bool enabled);

    ConfigModel &m_model;
    Notifier &m_notifier;
    QHash<QString, QPointer<QWidget>> m_widgets;
};

} // namespace sr5n
