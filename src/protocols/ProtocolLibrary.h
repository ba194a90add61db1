#pragma once

#include "config/ProtocolCatalog.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

class ConfigModel;
class Notifier;
class ProtocolDialogs;
class ProtocolEditor;

// A protocol as a protocol file holds it.
struct ProtocolFileContents {
    QString name;
    QString record;
};

// The library of named protocols: the parallel lists ProtocolNames and
// ProtocolRecords, the protocol list file prtcls.bin in its folder, protocol
// files, and the three choosers that show the library (the editor's
// cbxProtocol and the pair choosers cbx1PProtocol, cbx2PProtocol). Lookups
// ignore letter case, Cyrillic included; the first equal entry wins.
class ProtocolLibrary final : public QObject, public ProtocolCatalog
{
    Q_OBJECT

public:
    // `folder` holds prtcls.bin: the executable's folder in the program.
    ProtocolLibrary(ConfigModel &model, ProtocolEditor &editor, Notifier &notifier, QString folder,
                    QObject *parent = nullptr);
    ~ProtocolLibrary() override;

    // Where names, files and answers come from; without dialogs nothing is registered.
    void setDialogs(ProtocolDialogs *dialogs) { m_dialogs = dialogs; }

    const QStringList &ProtocolNames() const { return m_names; }
    const QStringList &ProtocolRecords() const { return m_records; }
    QString listFilePath() const;

    // The first position of `name` in ProtocolNames, letter case ignored; -1 if none.
    int indexOfName(const QString &name) const;

    // ProtocolCatalog
    int protocolCount() const override { return int(m_records.size()); }
    QString recordAt(int index) const override;
    int indexOfRecord(const QString &record) const override;
    bool RegisterDeviceProtocol(const QString &record, int pair) override;

    bool LoadProtocolList();
    bool SaveProtocolList();
    // Refills the three choosers; `position` is what the editor chooser selects,
    // -1 to keep the name it shows.
    void RefreshProtocolChoosers(int position);
    // True when `record` is not in the library or the user agrees to rename it.
    bool ConfirmProtocolRename(const QString &record);
    void RegisterProtocol(const QString &name, const QString &record);
    bool WriteProtocolFile(const QString &name, const QString &record, const QString &path);
    static std::optional<ProtocolFileContents> ReadProtocolFile(const QString &path);

    // The buttons of the editor page.
    void btnProtocol_SaveClick();
    void btnProtocol_AddClick();
    void btnProtocol_DeleteClick();

private:
    std::optional<QString> askName(const QString &caption, const QString &message,
                                   const QString &name);

    ConfigModel &m_model;
    ProtocolEditor &m_editor;
    Notifier &m_notifier;
    QString m_folder;
    ProtocolDialogs *m_dialogs = nullptr;
    QStringList m_names;
    QStringList m_records;
};

} // namespace sr5n
