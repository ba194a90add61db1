#pragma once

#include "protocols/ProtocolDialogs.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n::test {

// Answers the protocol library's dialogs from scripts and records what was asked.
class FakeProtocolDialogs final : public ProtocolDialogs
{
public:
    struct NameRequest {
        QString caption, message;
        QStringList names;
        QString name;
        QStringList taken;
    };

    std::optional<QString> askProtocolName(const QString &caption, const QString &message,
                                           const QStringList &names, const QString &name,
                                           const QStringList &taken) override;
    std::optional<QString> askSaveFile(const QString &fileName) override;
    std::optional<QString> askOpenFile() override;

    QList<std::optional<QString>> names; // answers of the name dialog; Cancel when empty
    QList<std::optional<QString>> saveFiles;
    QList<std::optional<QString>> openFiles;
    QList<NameRequest> nameRequests;
    QStringList proposedFiles;
    int openRequests = 0;
};

using Protocol = QPair<QString, QString>; // name, record

// Writes a protocol list file with the given protocols.
bool WriteProtocolList(const QString &path, const QList<Protocol> &protocols);
// Reads a protocol list file back; no value when it does not read whole.
std::optional<QList<Protocol>> ReadProtocolList(const QString &path);
// Writes a protocol file with the given version text.
bool WriteProtocolFileAs(const QString &path, const QString &version, const QString &name,
                         const QString &record);

// The editor's start values, and the worked example with all values changed.
inline const char *const StartRecord = "00000100000000000000000000000000050503";
inline const char *const FullRecord = "0203010FFF1F12AB21000000000008000A19FA";

} // namespace sr5n::test
