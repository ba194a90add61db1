#include "protocols/ProtocolLibrary.h"

#include "common/DataFile.h"
#include "common/Notifier.h"
#include "config/ConfigModel.h"
#include "config/ProtocolRecord.h"
#include "protocols/ProtocolDialogs.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/SafeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace sr5n {

namespace {

const QString PairChoosers[] = {QStringLiteral("cbx1PProtocol"), QStringLiteral("cbx2PProtocol")};
const QString NewProtocolName = QStringLiteral("Новый протокол");
const QString AddCaption = QStringLiteral("Добавление протокола в программу");
// How long a save waits for another process writing the list file.
constexpr int ListLockWaitMs = 10000;

// A list file as read: the protocols read completely (a record of another
// form left out), whether the file read to its end, and whether every record
// had the record's form.
struct ListFile {
    ProtocolList list;
    bool loaded = false;
    bool wellFormed = true;

    bool whole() const { return loaded && wellFormed; }
};

ListFile readListFile(const QString &path)
{
    ListFile file;
    file.loaded = [&path, &file] {
        DataFileReader reader(FileTypes::ProtocolList);
        if (!reader.open(path))
            return false;
        const std::optional<qint64> count = reader.readCount();
        if (!count)
            return false;
        for (qint64 i = 0; i < *count; ++i) {
            const std::optional<QString> name = reader.readText();
            if (!name)
                return false;
            const std::optional<QString> text = reader.readText();
            if (!text)
                return false;
            // A record of another form never reaches the library; the rest
            // of the list is still usable.
            const std::optional<QString> record = CheckedProtocolRecord(*text);
            if (!record) {
                file.wellFormed = false;
                continue;
            }
            file.list.names.append(*name);
            file.list.records.append(*record);
        }
        return true;
    }();
    return file;
}

int indexIgnoringCase(const QStringList &list, const QString &text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The position a chooser keeps when the protocol at `removed` leaves the
// library (-1: none left): the later ones move up, the removed one's users go
// to the first.
int keptPosition(int index, int removed)
{
    if (removed < 0 || index < removed)
        return index;
    return index == removed ? 0 : index - 1;
}

} // namespace

ProtocolLibrary::ProtocolLibrary(ConfigModel &model, ProtocolEditor &editor, Notifier &notifier,
                                 QString folder, QObject *parent)
    : QObject(parent), m_model(model), m_editor(editor), m_notifier(notifier),
      m_folder(std::move(folder))
{
    m_editor.setCatalog(this);
}

ProtocolLibrary::~ProtocolLibrary()
{
    m_editor.setCatalog(nullptr);
}

QString ProtocolLibrary::listFilePath() const
{
    return QDir(m_folder).filePath(QStringLiteral("prtcls.bin"));
}

int ProtocolLibrary::indexOfName(const QString &name) const
{
    return indexIgnoringCase(m_names, name);
}

QString ProtocolLibrary::recordAt(int index) const
{
    return index >= 0 && index < m_records.size() ? m_records.at(index) : QString();
}

int ProtocolLibrary::indexOfRecord(const QString &record) const
{
    return indexIgnoringCase(m_records, record);
}

bool ProtocolLibrary::LoadProtocolList()
{
    const ListFile read = readListFile(listFilePath());
    m_names = read.list.names;
    m_records = read.list.records;
    // What could not be loaded is kept aside before the list is first written again.
    m_damagedList = !read.whole() && QFileInfo(listFilePath()).isFile();
    m_stored = read.list;
    if (read.loaded)
        RefreshProtocolChoosers(-1);
    if (!read.whole()) {
        m_notifier.reportFailure(QStringLiteral("Невозможно открыть список протоколов"));
        return false;
    }
    return true;
}

QString ProtocolLibrary::damagedListCopyPath() const
{
    const QDir dir(m_folder);
    QString path = dir.filePath(QStringLiteral("prtcls-damaged.bin"));
    for (int n = 2; QFileInfo(path).exists() || QFileInfo(path).isSymLink(); ++n)
        path = dir.filePath(QStringLiteral("prtcls-damaged-%1.bin").arg(n));
    return path;
}

bool ProtocolLibrary::keepDamagedList()
{
    if (!m_damagedList)
        return true;
    if (!QFileInfo(listFilePath()).isFile()) {
        m_damagedList = false; // gone meanwhile: nothing left to keep
        return true;
    }
    const QString copy = damagedListCopyPath();
    if (!QFile::copy(listFilePath(), copy)) {
        m_notifier.reportFailure(
            QStringLiteral("Невозможно сохранить копию поврежденного списка протоколов"));
        return false;
    }
    m_damagedList = false;
    m_notifier.showInformation(
        QStringLiteral("Список протоколов был поврежден. Его копия сохранена в файле \"%1\"")
            .arg(QDir::toNativeSeparators(copy)));
    return true;
}

bool ProtocolLibrary::SaveProtocolList()
{
    const QString path = listFilePath();
    const auto failed = [this] {
        m_notifier.reportFailure(QStringLiteral("Невозможно сохранить список протоколов"));
        return false;
    };
    // A folder, a pipe or a device in the list file's place is never written through.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        return failed();
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(ListLockWaitMs))
        return failed();
    // Another process may have written the list since this one read it; a
    // file that does not read whole is kept aside, and this library's list
    // is what gets written.
    const ListFile now = readListFile(path);
    m_damagedList = !now.whole() && QFileInfo(path).isFile();
    const ProtocolList theirs = now.whole() ? now.list : m_stored;
    const ProtocolList merged =
        MergeProtocolLists(m_stored, ProtocolList{m_names, m_records}, theirs);
    // A list that failed to load is never written over before it is kept aside.
    if (!keepDamagedList())
        return false;
    DataFileWriter writer(FileTypes::ProtocolList);
    bool written = writer.open(path) && writer.writeNumber(merged.names.size());
    for (int i = 0; written && i < merged.names.size(); ++i)
        written = writer.writeText(merged.names.at(i)) && writer.writeText(merged.records.at(i));
    if (!writer.commit() || !written)
        return failed();
    m_stored = merged;
    adopt(merged);
    return true;
}

void ProtocolLibrary::adopt(const ProtocolList &list)
{
    if (list == ProtocolList{m_names, m_records})
        return;
    const int shown = m_editor.chooserIndex();
    const QString shownRecord = recordAt(shown);
    QString pairRecords[2];
    for (int i = 0; i < 2; ++i)
        pairRecords[i] = recordAt(m_model.choice(PairChoosers[i]));
    m_names = list.names;
    m_records = list.records;

    const int shownNow = shown < 0 ? -1 : indexOfRecord(shownRecord);
    if (shown < 0 || shownNow >= 0) {
        m_editor.setChooserItems(m_names, shownNow);
    } else {
        // The protocol shown left the library: the first is shown, as after a removal.
        m_editor.setChooserItems(m_names, 0);
        m_editor.cbxProtocolSelect(m_editor.chooserIndex());
    }
    for (int i = 0; i < 2; ++i) {
        m_model.setChoiceItems(PairChoosers[i], m_names);
        m_model.setChoice(PairChoosers[i], std::max(indexOfRecord(pairRecords[i]), 0));
    }
}

QString ProtocolLibrary::freeProtocolName() const
{
    QString name = NewProtocolName;
    for (int n = 2; indexOfName(name) >= 0; ++n)
        name = QStringLiteral("%1 %2").arg(NewProtocolName).arg(n);
    return name;
}

QString ProtocolLibrary::keepReplaced(int index)
{
    const QDir dir(m_folder);
    const QString stem = QStringLiteral("prtcls-replaced-") + SafeFileName(m_names.at(index));
    QString path = dir.filePath(stem + QStringLiteral(".snp"));
    for (int n = 2; QFileInfo(path).exists() || QFileInfo(path).isSymLink(); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.snp").arg(stem).arg(n));
    DataFileWriter writer(FileTypes::Protocol);
    const bool written = writer.open(path) && writer.writeText(m_names.at(index)) &&
                         writer.writeText(m_records.at(index));
    if (writer.commit() && written)
        return path;
    m_notifier.reportFailure(
        QStringLiteral("Невозможно сохранить копию заменяемого протокола \"%1\". Протокол не "
                       "заменен")
            .arg(m_names.at(index)));
    return QString();
}

void ProtocolLibrary::RefreshProtocolChoosers(int position)
{
    refreshChoosers(position, -1);
}

void ProtocolLibrary::refreshChoosers(int position, int removed)
{
    // Choosers keep the protocol they show by its place in the library, never
    // by its name: names may repeat in a list written elsewhere.
    if (position < 0)
        position = keptPosition(m_editor.chooserIndex(), removed);
    m_editor.setChooserItems(m_names, std::max(position, 0));
    m_editor.cbxProtocolSelect(m_editor.chooserIndex());

    for (const QString &chooser : PairChoosers) {
        const int kept = keptPosition(m_model.choice(chooser), removed);
        m_model.setChoiceItems(chooser, m_names);
        m_model.setChoice(chooser, std::max(kept, 0));
    }
}

QStringList ProtocolLibrary::namesOfOthers(int index) const
{
    if (index < 0)
        return {};
    QStringList names = m_names;
    names.removeAt(index);
    return names;
}

bool ProtocolLibrary::ConfirmProtocolRename(const QString &record)
{
    const int index = indexOfRecord(record);
    if (index < 0)
        return true;
    return m_notifier.askYesNo(QStringLiteral("Данный протокол зарегистрирован в программе под "
                                              "именем \"%1\". Переименовать?")
                                   .arg(m_names.at(index)),
                               Notifier::QuestionIcon::Warning);
}

bool ProtocolLibrary::RegisterProtocol(const QString &name, const QString &text)
{
    const std::optional<QString> record = CheckedProtocolRecord(text);
    if (!record) {
        m_notifier.reportFailure(MalformedRecordMessage());
        return false;
    }
    int index = indexOfRecord(*record);
    if (index >= 0) {
        // Renaming a known record: the name must not be another protocol's.
        if (indexIgnoringCase(namesOfOthers(index), name) >= 0) {
            m_notifier.reportFailure(NameTakenMessage(name));
            return false;
        }
        m_names[index] = name;
    } else if (index = indexOfName(name); index >= 0) {
        const QString copy = keepReplaced(index);
        if (copy.isEmpty())
            return false;
        const QString replaced = m_names.at(index);
        m_records[index] = *record;
        m_notifier.showInformation(QStringLiteral("Протокол \"%1\" заменен. Прежний протокол "
                                                  "сохранен в файле \"%2\"")
                                       .arg(replaced, QDir::toNativeSeparators(copy)));
    } else {
        m_names.append(name);
        m_records.append(*record);
        index = int(m_names.size()) - 1;
    }
    RefreshProtocolChoosers(index);
    return true;
}

bool ProtocolLibrary::WriteProtocolFile(const QString &name, const QString &record,
                                        const QString &path)
{
    DataFileWriter writer(FileTypes::Protocol);
    const bool written = writer.open(path) && writer.writeText(name) && writer.writeText(record);
    if (writer.commit() && written)
        return true;
    m_notifier.reportFailure(QStringLiteral("Невозможно сохранить файл"));
    return false;
}

std::optional<ProtocolFileContents> ProtocolLibrary::ReadProtocolFile(const QString &path)
{
    DataFileReader reader(FileTypes::Protocol);
    if (!reader.open(path))
        return std::nullopt;
    std::optional<QString> name = reader.readText();
    if (!name)
        return std::nullopt;
    const std::optional<QString> text = reader.readText();
    const std::optional<QString> record = text ? CheckedProtocolRecord(*text) : std::nullopt;
    if (!record)
        return std::nullopt;
    return ProtocolFileContents{*name, *record};
}

std::optional<QString> ProtocolLibrary::askName(const QString &caption, const QString &message,
                                                const QString &name, const QString &record)
{
    if (!m_dialogs)
        return std::nullopt;
    return m_dialogs->askProtocolName(caption, message, m_names, name,
                                      namesOfOthers(indexOfRecord(record)));
}

void ProtocolLibrary::btnProtocol_SaveClick()
{
    const QString shown = m_editor.CurrentProtocol();
    if (!ConfirmProtocolRename(shown))
        return;
    const std::optional<QString> name = askName(
        QStringLiteral("Сохранение протокола в программе"),
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"),
        freeProtocolName(), shown);
    if (!name)
        return;
    const std::optional<QString> path = m_dialogs->askSaveFile(SafeFileName(*name));
    if (!path)
        return;
    m_editor.RematchProtocol();
    const QString record = m_editor.CurrentProtocol();
    if (!RegisterProtocol(*name, record) || !SaveProtocolList())
        return;
    WriteProtocolFile(*name, record, *path);
}

void ProtocolLibrary::btnProtocol_AddClick()
{
    if (!m_dialogs)
        return;
    const std::optional<QString> path = m_dialogs->askOpenFile();
    if (!path)
        return;
    const std::optional<ProtocolFileContents> file = ReadProtocolFile(*path);
    if (!file) {
        m_notifier.reportFailure(
            QStringLiteral("Невозможно прочитать файл. Возможно, файл поврежден"));
        return;
    }
    if (!ConfirmProtocolRename(file->record))
        return;
    const std::optional<QString> name = askName(
        AddCaption, QStringLiteral("Добавить протокол в программу под следующим названием:"),
        file->name, file->record);
    if (!name)
        return;
    if (RegisterProtocol(*name, file->record))
        SaveProtocolList();
}

void ProtocolLibrary::btnProtocol_DeleteClick()
{
    const int index = m_editor.chooserIndex();
    if (index < 0 || index >= m_names.size())
        return;
    if (!m_notifier.askYesNo(
            QStringLiteral("Выбранный протокол будет удален из программы. Файлы с проотоколами на "
                           "жестком диске затронуты не будут. Удалить протокол?"),
            Notifier::QuestionIcon::Warning, QStringLiteral("Удаление протокола")))
        return;
    m_names.removeAt(index);
    m_records.removeAt(index);
    refreshChoosers(-1, index);
    SaveProtocolList();
}

bool ProtocolLibrary::RegisterDeviceProtocol(const QString &text, int pair, const QStringList &kept)
{
    // Only a record of its own form is matched or offered for registration.
    const std::optional<QString> record = CheckedProtocolRecord(text);
    if (!record)
        return false;
    if (indexOfRecord(*record) >= 0)
        return true;
    if (!m_dialogs)
        return false;
    // The protocols kept for the configuration's other pairs cannot be replaced.
    QStringList taken;
    for (const QString &keptRecord : kept) {
        const int index = indexOfRecord(keptRecord);
        if (index >= 0 && indexIgnoringCase(taken, m_names.at(index)) < 0)
            taken.append(m_names.at(index));
    }
    const std::optional<QString> name = m_dialogs->askProtocolName(
        AddCaption,
        QStringLiteral("Указанный протокол для %1ой пары номеров не зарегистрирован в "
                       "программе. Чтобы добавить протокол, введите название:")
            .arg(pair),
        m_names, freeProtocolName(), taken);
    if (!name)
        return false;
    const std::optional<QString> path = m_dialogs->askSaveFile(SafeFileName(*name));
    if (!path)
        return false;
    if (!RegisterProtocol(*name, *record) || !SaveProtocolList())
        return false;
    return WriteProtocolFile(*name, *record, *path);
}

} // namespace sr5n
