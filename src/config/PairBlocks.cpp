#include "config/PairBlocks.h"

#include "common/HexText.h"
#include "config/BlockFields.h"
#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "config/ProtocolCatalog.h"

namespace sr5n {

namespace {

bool validIndex(int index)
{
    return index == 1 || index == 2;
}

// Characters of the phone field handed to DecodePhone: the longest number's
// digit bytes and the end mark, with room to spare.
constexpr qsizetype PhoneFieldCharacters = 52;

} // namespace

QString EncodeNumberBlock(const BlockContext &context, int pair, int number)
{
    if (!validIndex(pair) || !validIndex(number))
        return {};
    ConfigModel &model = context.model;
    UncheckEmptyNumber(model, NumberControlName(u"edt", pair, number, u"N"));
    return CodeText(model.text(pair, number, u"NObjectCode"), 4) +
           ByteText(model.slider(pair, u"PCallsTrialCount")) + QStringLiteral("00") +
           ByteText(model.slider(pair, number, u"NWaitPCNReady")) + QStringLiteral("00") +
           EncodePhone(model.text(pair, number, u"N"), model.flag(pair, number, u"N"),
                       model.flag(pair, number, u"NCheckFree"));
}

bool DecodeNumberBlock(const BlockContext &context, int pair, int number, const QString &data)
{
    if (!validIndex(pair) || !validIndex(number))
        return false;
    ConfigModel &model = context.model;

    const QString objectCode = data.left(4);
    if (objectCode.size() < 4 || !IsHexText(objectCode))
        return false;
    model.setText(pair, number, u"NObjectCode", objectCode);

    const std::optional<int> attempts = HexNumber(data, 5, 2);
    if (!attempts)
        return false;
    model.setSlider(pair, u"PCallsTrialCount", *attempts);

    const std::optional<int> waiting = HexNumber(data, 9, 2);
    if (!waiting)
        return false;
    model.setSlider(pair, number, u"NWaitPCNReady", *waiting);

    if (data.size() < 14)
        return false;
    model.setFlag(pair, number, u"N", data.at(12) == u'8');
    const bool checkFree = data.at(13).toUpper() != u'E';
    model.setFlag(pair, number, u"NCheckFree", checkFree);
    model.setText(pair, number, u"N",
                  DecodePhone(data.mid(checkFree ? 12 : 14, PhoneFieldCharacters)));
    return true;
}

QString EncodeProtocolBlock(const BlockContext &context, int pair)
{
    if (!validIndex(pair))
        return {};
    const int index = context.model.choice(pair, u"PProtocol");
    if (index < 0 || index >= context.catalog.protocolCount())
        return {};
    return context.catalog.recordAt(index);
}

bool DecodeProtocolBlock(const BlockContext &context, int pair, const QString &data)
{
    if (!validIndex(pair))
        return false;
    // Pair 1 comes first in every list: by pair 2 its protocol is this configuration's.
    QStringList kept;
    if (const QString first = context.catalog.recordAt(context.model.choice(1, u"PProtocol"));
        pair == 2 && !first.isEmpty())
        kept.append(first);
    if (!context.catalog.RegisterDeviceProtocol(data, pair, kept))
        return false;
    const int index = context.catalog.indexOfRecord(data);
    if (index < 0)
        return false;
    context.model.setChoice(pair, u"PProtocol", index);
    return true;
}

} // namespace sr5n
