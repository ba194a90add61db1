#pragma once

#include "config/ConfigValues.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace sr5n {

class ConfigModel;
class Notifier;
class ProtocolEditor;
class ProtocolLibrary;
class TfrmPrefixMask;

// The page "Редактор протоколов": the protocol's parameters, signal lengths,
// prefix and code masks bound to the model, and the library chooser with its
// buttons Добавить, Сохранить and Удалить.
class ProtocolPage final : public QWidget
{
public:
    ProtocolPage(ConfigModel &model, ProtocolEditor &editor, ProtocolLibrary &library,
                 Notifier &notifier, QWidget *parent = nullptr);

    static QString caption() { return PageCaption(ConfigPage::ProtocolEditor); }

    // The dialog the mask buttons open (created after the main window).
    void setPrefixMaskWindow(TfrmPrefixMask *dialog);

    // A mask button pressed: the prefix is checked, then the dialog chooses
    // the prefix characters for that digit.
    void maskButtonClick(const QString &buttonName);

    QLineEdit *edtPrefix = nullptr;
    QComboBox *cbxProtocol = nullptr;
    QPushButton *btnProtocol_Add = nullptr;
    QPushButton *btnProtocol_Save = nullptr;
    QPushButton *btnProtocol_Delete = nullptr;

private:
    QWidget *makeParameters();
    QWidget *makeLengths();
    QWidget *makeMasks();
    QWidget *makeLibrary();
    void showChooser();
    void showMaskCaptions();
    void prefixEdited();

    ConfigModel &m_model;
    ProtocolEditor &m_editor;
    ProtocolLibrary &m_library;
    Notifier &m_notifier;
    QHash<QString, QToolButton *> m_maskButtons;
    QPointer<TfrmPrefixMask> m_prefixMask;
};

} // namespace sr5n
