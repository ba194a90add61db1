// The JSON form `sr5n-cli json --import` takes, on arbitrary bytes. A form
// that is taken, exported again and taken into a fresh configuration gives
// the same configuration; a form that is refused changes nothing.
#include "FuzzSupport.h"

#include "cli/ConfigJson.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"
#include "events/EventNameLists.h"

using namespace sr5n;

namespace {

// A configuration as the program has it after loading its name lists, made
// once; every input starts from its state before any input. It counts the
// changes it is told of, so that a refused form is seen to change nothing
// without comparing the whole configuration.
struct Configuration {
    ConfigModel model;
    EventCodeTables tables;
    int changes = 0;

    Configuration()
    {
        const auto count = [this] { ++changes; };
        QObject::connect(&model, &ConfigModel::valueChanged, count);
        QObject::connect(&model, &ConfigModel::rangeChanged, count);
        QObject::connect(&model, &ConfigModel::itemsChanged, count);
        QObject::connect(&tables, &EventCodeTables::rowsChanged, count);
        QObject::connect(&tables, &EventCodeTables::separateCodeChanged, count);
        QObject::connect(&tables, &EventCodeTables::commonCodeChanged, count);
        QObject::connect(&tables, &EventCodeTables::zoneCodesChanged, count);
        QObject::connect(&tables, &EventCodeTables::marksChanged, count);
    }
    void resetTo(const Configuration &other)
    {
        model.copyValues(other.model);
        tables.copyFrom(other.tables);
        changes = 0;
    }
    QByteArray json() const { return ConfigurationToJson(model, tables); }
};

struct Forms {
    Configuration pristine, imported, again;

    Forms()
    {
        fuzz::SilentNotifier notifier;
        SetUpEventTables(fuzz::programFolder(), pristine.tables, notifier);
        const QStringList protocols{QStringLiteral("Contact ID"), QStringLiteral("4+2")};
        pristine.model.setChoiceItems(QStringLiteral("cbx1PProtocol"), protocols);
        pristine.model.setChoiceItems(QStringLiteral("cbx2PProtocol"), protocols);
        imported.resetTo(pristine);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Forms forms;
    const QByteArray input = fuzz::bytesOf(data, size);
    if (ConfigurationFromJson(input, forms.imported.model, forms.imported.tables)) {
        if (forms.imported.changes != 0)
            fuzz::fail("a refused form changed the configuration", forms.imported.json());
        return 0;
    }
    const QByteArray exported = forms.imported.json();
    forms.imported.resetTo(forms.pristine);
    forms.again.resetTo(forms.pristine);
    if (const std::optional<QString> fault =
            ConfigurationFromJson(exported, forms.again.model, forms.again.tables))
        fuzz::fail("the exported form is refused", fault->toUtf8() + '\n' + exported);
    const QByteArray reexported = forms.again.json();
    if (reexported != exported)
        fuzz::fail("the exported form gives another configuration", exported + '\n' + reexported);
    return 0;
}
