#include "catalog/ConfigurationFacts.h"

#include "common/Notifier.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/ConfigurationFile.h"
#include "config/ProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"

#include <QStringList>

namespace sr5n {

namespace {

// Tells nobody: decoding for the catalogue never asks or shows anything.
class QuietNotifier final : public Notifier
{
public:
    void flash() override {}
    void showError(const QString &) override {}
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
};

// Takes every protocol record as it comes, without a library or a user.
class AcceptingProtocols final : public ProtocolCatalog
{
public:
    int protocolCount() const override { return static_cast<int>(m_records.size()); }
    QString recordAt(int index) const override { return m_records.value(index); }
    int indexOfRecord(const QString &record) const override
    {
        for (qsizetype i = 0; i < m_records.size(); ++i)
            if (m_records.at(i).compare(record, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }
    bool RegisterDeviceProtocol(const QString &record, int, const QStringList &) override
    {
        if (indexOfRecord(record) < 0) {
            m_records.append(record);
            // The pairs choose their protocol from the model's lists, as from the library's.
            for (const QString &chooser :
                 {QStringLiteral("cbx1PProtocol"), QStringLiteral("cbx2PProtocol")})
                m_model.setChoiceItems(chooser, m_records);
        }
        return true;
    }

    explicit AcceptingProtocols(ConfigModel &model) : m_model(model) {}

private:
    ConfigModel &m_model;
    QStringList m_records;
};

} // namespace

QString ConfigurationFacts::objectNumber(const ConfigModel &model, int pair)
{
    const int number = !model.flag(pair, 1, u"N") && model.flag(pair, 2, u"N") ? 2 : 1;
    return model.text(pair, number, u"NObjectCode");
}

ConfigurationFacts ConfigurationFacts::of(const ConfigModel &model)
{
    ConfigurationFacts facts;
    facts.codes = objectNumber(model, 1) + u' ' + objectNumber(model, 2);
    QStringList phones;
    for (int pair = 1; pair <= 2; ++pair)
        for (int number = 1; number <= 2; ++number)
            if (model.flag(pair, number, u"N") && !model.text(pair, number, u"N").isEmpty())
                phones << model.text(pair, number, u"N");
    facts.phones = phones.join(u' ');
    return facts;
}

std::optional<ConfigurationFacts> ConfigurationFacts::ofFile(const QByteArray &snc)
{
    QStringList data, commands;
    if (!ReadConfigurationBytes(snc, data, commands))
        return std::nullopt;
    ConfigModel model;
    EventCodeTables tables;
    AcceptingProtocols protocols(model);
    QuietNotifier quiet;
    if (!DecodeAnswers(BlockContext{model, tables, protocols, quiet}, data, commands))
        return std::nullopt;
    return of(model);
}

} // namespace sr5n
