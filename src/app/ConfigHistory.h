#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

// The configurations read from the device and written to it, each kept as a
// configuration file (".snc") in one folder, named with the date, time,
// operation, port and the object numbers of both pairs:
//     2025-03-14_09-30-05_read_ttyUSB0_1234_0567.snc
// Only the newest Limit files of that form are kept; other files in the
// folder are never touched.
class ConfigHistory final
{
public:
    static constexpr int Limit = 500;

    enum class Operation { Read, Write, VerifiedWrite };

    // One kept configuration, as its file name tells it.
    struct Entry {
        QString path;
        QDateTime time;
        Operation operation = Operation::Read;
        QString port;
        QString objects[2]; // object numbers of pair 1 and pair 2
    };

    // The folder; created when the first configuration is kept.
    explicit ConfigHistory(QString folder = defaultFolder());

    // "history" in the program's folder of the user's data folder.
    static QString defaultFolder();

    const QString &folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

    // Keeps a request list (commands and data, as the configuration file
    // holds them), then removes the oldest files beyond Limit. The path of
    // the new file, or nothing when it could not be written.
    std::optional<QString> keep(Operation operation, const QString &port, const QString &object1,
                                const QString &object2, const QStringList &data,
                                const QStringList &commands,
                                const QDateTime &time = QDateTime::currentDateTime());

    // The kept configurations, newest first.
    QList<Entry> entries() const;

    // The entry a file name stands for, or nothing for a name of another form.
    static std::optional<Entry> parse(const QString &fileName);
    // "Чтение", "Запись", "Запись с проверкой".
    static QString operationText(Operation operation);
    // The time of an entry as the user reads it: "14.03.2025 09:30:05".
    static QString timeText(const QDateTime &time);
    // "Запись с проверкой, 14.03.2025 09:30:05, порт ttyUSB0".
    static QString describe(const Entry &entry);
    // The port as a file name shows it: "/dev/" dropped, anything but
    // letters, digits, "." and "-" turned into "-" ("/dev/pts/4" gives "pts-4").
    static QString portPart(const QString &port);

private:
    QString fileName(Operation operation, const QString &port, const QString &object1,
                     const QString &object2, const QDateTime &time, int copy) const;
    void removeOldest() const;

    QString m_folder;
};

} // namespace sr5n
