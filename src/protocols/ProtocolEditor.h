#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace sr5n {

class ConfigModel;
class ProtocolCatalog;

// A code mask panel of the protocol editor: its name, the stem of its
// controls and the number of digit positions it holds (its tag).
struct MaskPanel {
    QString name;
    int positions = 0;

    // The name without "pnl": "Object", "Event", "Group", "Zone".
    QString stem() const { return name.mid(3); }
    // The digit flag "chb" + stem + position and the mask button "sbtPM" + stem + position.
    QString digitFlag(int position) const;
    QString maskButton(int position) const;
};

// The four mask panels in the order every walk over the masks takes.
const QList<MaskPanel> &MaskPanelList();
// Their names: "pnlObject", "pnlEvent", "pnlGroup", "pnlZone".
QStringList MaskPanelNames();

// The caption of a mask button: the prefix characters whose bit is set in
// `selection` (bit 0 = character 1), or "..." when nothing is selected.
QString MaskCaption(const QString &prefix, int selection);

// The protocol editor: encodes the editor's values (held by the configuration
// model) into a 38-digit protocol record and decodes a record back into them,
// keeps the current record, the captions of the mask buttons, and the library
// chooser cbxProtocol with the Delete button, which always name the library
// protocol whose record the editor's values reproduce.
class ProtocolEditor final : public QObject
{
    Q_OBJECT

public:
    explicit ProtocolEditor(ConfigModel &model, QObject *parent = nullptr);

    // The library whose records the editor is matched against; none means an
    // empty library.
    void setCatalog(const ProtocolCatalog *catalog) { m_catalog = catalog; }

    QString EncodeProtocol() const;
    // Loads a record into the editor. A field that is not hexadecimal, or a
    // record that ends before it, stops the decoding: what was set so far
    // stays, CurrentProtocol is kept, and the result is false.
    bool DecodeProtocol(const QString &record);
    // Re-encodes the editor, selects the matching library protocol (or none)
    // in the chooser and enables Delete exactly when one is selected.
    void RematchProtocol();
    // Sets every mask button's caption from its selection and `prefix`.
    void ShowPrefixMasks(const QString &prefix);

    QString CurrentProtocol() const { return m_current; }
    bool decoding() const { return m_decoding; }
    QString maskCaption(const QString &buttonName) const;

    // The prefix selection chosen in the prefix-mask dialog for a mask button.
    void applyMaskSelection(const QString &buttonName, int selection);

    // The library chooser cbxProtocol: its items and selection (-1: none).
    QStringList chooserItems() const { return m_chooserItems; }
    int chooserIndex() const { return m_chooserIndex; }
    void setChooserItems(const QStringList &items, int index);
    // The user (or the library) chooses entry `index`: the editor shows that
    // library protocol, and Delete follows the selection.
    void cbxProtocolSelect(int index);
    bool deleteEnabled() const { return m_deleteEnabled; }

signals:
    void chooserChanged();
    void deleteEnabledChanged(bool enabled);
    void maskCaptionsChanged();

private:
    void setChooserIndex(int index);
    void setDeleteEnabled(bool enabled);
    void valueChanged(const QString &name);

    ConfigModel &m_model;
    const ProtocolCatalog *m_catalog = nullptr;
    QSet<QString> m_editorValues;
    QString m_current;
    bool m_decoding = false;
    QHash<QString, QString> m_captions;
    QStringList m_chooserItems;
    int m_chooserIndex = -1;
    bool m_deleteEnabled = false;
};

} // namespace sr5n
