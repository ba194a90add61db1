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
//
// Only records of 38 hexadecimal digits enter the library, kept in upper
// case; a name is never given to a second protocol (a list written elsewhere
// may still hold repeated names); the choosers keep the protocol they show by
// its place through every change; and a list file that failed to load is
// copied aside before it is first written over.
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
    // False, after telling the user, for a record that is not 38 hexadecimal
    // digits and for renaming a known record to another protocol's name.
    bool RegisterProtocol(const QString &name, const QString &record);
    bool WriteProtocolFile(const QString &name, const QString &record, const QString &path);
    // The protocol file's name and record; none for a file that cannot be
    // read or whose record is not 38 hexadecimal digits.
    static std::optional<ProtocolFileContents> ReadProtocolFile(const QString &path);

    // The buttons of the editor page.
    void btnProtocol_SaveClick();
    void btnProtocol_AddClick();
    void btnProtocol_DeleteClick();

private:
    // The name dialog for `record`: when the record is in the library, the
    // names of the other protocols cannot be given to it.
    std::optional<QString> askName(const QString &caption, const QString &message,
                                   const QString &name, const QString &record);
    // The names of every protocol but the one at `index` (none for -1).
    QStringList namesOfOthers(int index) const;
    // `removed`: the position a protocol was just removed from, or -1.
    void refreshChoosers(int position, int removed);
    // Copies a list file that failed to load beside it, once, and tells the user where.
    bool keepDamagedList();
    QString damagedListCopyPath() const;

    ConfigModel &m_model;
    ProtocolEditor &m_editor;
    Notifier &m_notifier;
    QString m_folder;
    ProtocolDialogs *m_dialogs = nullptr;
    QStringList m_names;
    QStringList m_records;
    bool m_damagedList = false;
};

} // namespace sr5n
