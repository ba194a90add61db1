#pragma once

#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace sr5n::test {

// A protocol library in memory. Registering an unknown record succeeds only
// while `acceptNew` is set; it then adds the record and refreshes the pair
// choosers of the model, as the real library does.
class FakeProtocolCatalog final : public ProtocolCatalog
{
public:
    explicit FakeProtocolCatalog(ConfigModel &model) : m_model(model) {}

    void add(const QString &name, const QString &record)
    {
        names.append(name);
        records.append(record);
        refreshChoosers();
    }

    int protocolCount() const override { return int(records.size()); }
    QString recordAt(int index) const override { return records.value(index); }
    int indexOfRecord(const QString &record) const override
    {
        for (int i = 0; i < records.size(); ++i)
            if (records.at(i).compare(record, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    bool RegisterDeviceProtocol(const QString &record, int pair, const QStringList &kept) override
    {
        registrations.append({record, pair, kept});
        if (indexOfRecord(record) >= 0)
            return true;
        if (whileAsking)
            whileAsking(pair);
        if (!acceptNew)
            return false;
        add(QStringLiteral("Новый протокол"), record);
        return true;
    }

    struct Registration {
        QString record;
        int pair = 0;
        QStringList kept;
    };

    QStringList names;
    QStringList records;
    QList<Registration> registrations;
    bool acceptNew = false;
    // What happens to the library while the user is asked for `pair`'s name.
    std::function<void(int pair)> whileAsking;

    void refreshChoosers()
    {
        m_model.setChoiceItems(QStringLiteral("cbx1PProtocol"), names);
        m_model.setChoiceItems(QStringLiteral("cbx2PProtocol"), names);
    }

private:
    ConfigModel &m_model;
};

} // namespace sr5n::test
