#pragma once

#include <QWidget>

namespace sr5n {

class ConfigModel;
class Notifier;

// The page "Голосовые / Входящие / ППКП": the voice-message number, incoming
// calls and the control panel's passivity, bound to the model.
class VoicePage final : public QWidget
{
public:
    VoicePage(ConfigModel &model, Notifier &notifier, QWidget *parent = nullptr);

    static QString caption();
};

} // namespace sr5n
