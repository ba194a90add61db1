#pragma once

#include "config/ProtocolCatalog.h"
#include "protocols/ProtocolListMerge.h"

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
// its place through every change; a list file that failed to load is copied
// aside before it is first written over, and so is a protocol replaced under
// its name. Other processes (the command line) write the same list file: a
// save locks it, reads it again and merges this library's changes into it.
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
    // A name of a protocol whose record is in `kept` (the other pairs'
    // protocols of the configuration being decoded) cannot be given to the
    // new one: those protocols stay as they are.
    bool RegisterDeviceProtocol(const QString &record, int pair, const QStringList &kept) override;
    bool RegisterDeviceProtocol(const QString &record, int pair)
    {
        return RegisterDeviceProtocol(record, pair, {});
    }

    bool LoadProtocolList();
    // Writes the library, merged with what the list file holds now: a
    // protocol another process added meanwhile stays, and so do its other
    // changes. False, after telling the user, when the file cannot be written
    // or is not a regular file (a folder, a pipe).
    bool SaveProtocolList();
    // The name proposed for a new protocol: "Новый протокол", or, when a
    // protocol has that name, the first of "Новый протокол 2", "… 3" none has.
    QString freeProtocolName() const;
    // Refills the three choosers; `position` is what the editor chooser selects,
    // -1 to keep the name it shows.
    void RefreshProtocolChoosers(int position);
    // True when `record` is not in the library or the user agrees to rename it.
    bool ConfirmProtocolRename(const QString &record);
    // False, after telling the user, for a record that is not 38 hexadecimal
    // digits and for renaming a known record to another protocol's name. A
    // protocol whose record is replaced is first kept in a protocol file
    // beside the list file, and the user told where.
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
    // Keeps the protocol at `index` in a protocol file beside the list file
    // before its record is replaced; the path, or empty after telling the user.
    QString keepReplaced(int index);
    // Takes `list` as the library; the choosers keep their protocols by record.
    void adopt(const ProtocolList &list);

    ConfigModel &m_model;
    ProtocolEditor &m_editor;
    Notifier &m_notifier;
    QString m_folder;
    ProtocolDialogs *m_dialogs = nullptr;
    QStringList m_names;
    QStringList m_records;
    // The list file as this library last read or wrote it: what a save
    // merges its changes against.
    ProtocolList m_stored;
    bool m_damagedList = false;
};

} // namespace sr5n
