#include "protocols/ProtocolLibrary.h"

#include "common/DataFile.h"
#include "common/Notifier.h"
#include "config/ConfigModel.h"
#include "protocols/ProtocolDialogs.h"
#include "protocols/ProtocolEditor.h"
#include "protocols/SafeFileName.h"

#include <QDir>

namespace sr5n {

namespace {

const QString PairChoosers[] = {QStringLiteral("cbx1PProtocol"), QStringLiteral("cbx2PProtocol")};
const QString NewProtocolName = QStringLiteral("Новый протокол");
const QString AddCaption = QStringLiteral("Добавление протокола в программу");

int indexIgnoringCase(const QStringList &list, const QString &text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
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
    m_names.clear();
    m_records.clear();
    const bool loaded = [this] {
        DataFileReader reader(FileTypes::ProtocolList);
        if (!reader.open(listFilePath()))
            return false;
        const std::optional<qint64> count = reader.readCount();
        if (!count)
            return false;
        for (qint64 i = 0; i < *count; ++i) {
            const std::optional<QString> name = reader.readText();
            if (!name)
                return false;
            const std::optional<QString> record = reader.readText();
            if (!record)
                return false;
            m_names.append(*name);
            m_records.append(*record);
        }
        return true;
    }();
    if (!loaded) {
        m_notifier.reportFailure(QStringLiteral("Невозможно открыть список протоколов"));
        return false;
    }
    RefreshProtocolChoosers(-1);
    return true;
}

bool ProtocolLibrary::SaveProtocolList()
{
    DataFileWriter writer(FileTypes::ProtocolList);
    bool written = writer.open(listFilePath()) && writer.writeNumber(m_names.size());
    for (int i = 0; written && i < m_names.size(); ++i)
        written = writer.writeText(m_names.at(i)) && writer.writeText(m_records.at(i));
    if (writer.commit() && written)
        return true;
    m_notifier.reportFailure(QStringLiteral("Невозможно сохранить список протоколов"));
    return false;
}

void ProtocolLibrary::RefreshProtocolChoosers(int position)
{
    if (position < 0) {
        const QStringList shown = m_editor.chooserItems();
        const int index = m_editor.chooserIndex();
        position = index >= 0 && index < shown.size() ? indexOfName(shown.at(index)) : -1;
    }
    m_editor.setChooserItems(m_names, std::max(position, 0));
    m_editor.cbxProtocolSelect(m_editor.chooserIndex());

    for (const QString &chooser : PairChoosers) {
        const QString shown = m_model.choiceText(chooser);
        m_model.setChoiceItems(chooser, m_names);
        m_model.setChoice(chooser, std::max(indexOfName(shown), 0));
    }
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

void ProtocolLibrary::RegisterProtocol(const QString &name, const QString &record)
{
    int index = indexOfRecord(record);
    if (index >= 0) {
        m_names[index] = name;
    } else if (index = indexOfName(name); index >= 0) {
        m_records[index] = record;
    } else {
        m_names.append(name);
        m_records.append(record);
        index = int(m_names.size()) - 1;
    }
    RefreshProtocolChoosers(index);
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
    std::optional<QString> record = reader.readText();
    if (!record)
        return std::nullopt;
    return ProtocolFileContents{*name, *record};
}

std::optional<QString> ProtocolLibrary::askName(const QString &caption, const QString &message,
                                                const QString &name)
{
    if (!m_dialogs)
        return std::nullopt;
    return m_dialogs->askProtocolName(caption, message, m_names, name);
}

void ProtocolLibrary::btnProtocol_SaveClick()
{
    if (!ConfirmProtocolRename(m_editor.CurrentProtocol()))
        return;
    const std::optional<QString> name = askName(
        QStringLiteral("Сохранение протокола в программе"),
        QStringLiteral("Введите название протокола или выберите протокол из списка для замены"),
        NewProtocolName);
    if (!name)
        return;
    const std::optional<QString> path = m_dialogs->askSaveFile(SafeFileName(*name));
    if (!path)
        return;
    m_editor.RematchProtocol();
    const QString record = m_editor.CurrentProtocol();
    RegisterProtocol(*name, record);
    if (!SaveProtocolList())
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
        file->name);
    if (!name)
        return;
    RegisterProtocol(*name, file->record);
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
    RefreshProtocolChoosers(-1);
    SaveProtocolList();
}

bool ProtocolLibrary::RegisterDeviceProtocol(const QString &record, int pair)
{
    if (indexOfRecord(record) >= 0)
        return true;
    const std::optional<QString> name =
        askName(AddCaption,
                QStringLiteral("Указанный протокол для %1ой пары номеров не зарегистрирован в "
                               "программе. Чтобы добавить протокол, введите название:")
                    .arg(pair),
                NewProtocolName);
    if (!name)
        return false;
    const std::optional<QString> path = m_dialogs->askSaveFile(SafeFileName(*name));
    if (!path)
        return false;
    RegisterProtocol(*name, record);
    if (!SaveProtocolList())
        return false;
    return WriteProtocolFile(*name, record, *path);
}

} // namespace sr5n
