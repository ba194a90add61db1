#pragma once

#include "common/Notifier.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"
#include "events/EventCodeTables.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace sr5n::fuzz {

// Says nothing and answers every question with No; counts the errors it
// was to show, for targets that check a refusal is told.
class SilentNotifier final : public Notifier
{
public:
    int failures = 0;

    void flash() override {}
    void showError(const QString &) override { ++failures; }
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
};

// The starter protocols; registering an unknown one is declined, as a user may.
class StarterCatalog final : public ProtocolCatalog
{
public:
    int protocolCount() const override { return int(m_records.size()); }
    QString recordAt(int index) const override { return m_records.value(index); }
    int indexOfRecord(const QString &record) const override;
    bool RegisterDeviceProtocol(const QString &record, int, const QStringList &) override
    {
        return indexOfRecord(record) >= 0;
    }

private:
    QStringList m_records{QStringLiteral("02000004FF1F00000000000000000000050528"),
                          QStringLiteral("00000100CF0000000000000000000000050526")};
};

// The window's model and tables as the program holds them, made once per
// process, with their state before any input; reset() brings them back to
// it, so that every input starts from the same configuration.
struct Window {
    SilentNotifier notifier;
    ConfigModel model;
    EventCodeTables tables;
    StarterCatalog catalog;
    ConfigModel pristine;
    EventCodeTables pristineTables;
    const BlockContext context{model, tables, catalog, notifier};
    // The changes of values and of codes the window was told of.
    int valueChanges = 0;
    int codeChanges = 0;

    Window();
    void reset();
};

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A file holding the input, for readers that take a path; one per process.
QString writeInputFile(const QByteArray &bytes);

// The application object, for targets whose readers load Qt plug-ins (SQL
// drivers); made on the first call, once per process.
void ensureApplication();

// The folder of the running target, where the build puts the data files.
QString programFolder();

// An invariant broken: says which, with what shows it, and stops the run.
[[noreturn]] void fail(const char *what, const QByteArray &detail = QByteArray());

} // namespace sr5n::fuzz
