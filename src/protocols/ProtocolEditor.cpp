#include "protocols/ProtocolEditor.h"

#include "common/HexText.h"
#include "config/ConfigModel.h"
#include "config/ProtocolCatalog.h"

#include <optional>

namespace sr5n {

namespace {

const QString Handshake = QStringLiteral("rgpHandshake");
const QString ImpulseParams = QStringLiteral("rgpImpulseParams");
const QString DataFreq = QStringLiteral("rgpDataFreq");
const QString KissOff = QStringLiteral("rgpKissOff");
const QString Recheck = QStringLiteral("chbProtocol_Test");
const QString RecheckType = QStringLiteral("rgpProtocol_Test");
const QString Handshake1400 = QStringLiteral("trbHandshake1400");
const QString Handshake2300 = QStringLiteral("trbHandshake2300");
const QString Kissoff = QStringLiteral("trbKissoff");
const QString Prefix = QStringLiteral("edtPrefix");

constexpr int DtmfIndex = 2;

// Every digit flag or mask button, in the order of the mask walk.
template <typename Name> QStringList maskWalk(Name name)
{
    QStringList names;
    for (const MaskPanel &panel : MaskPanelList()) {
        for (int position = 1; position <= panel.positions; ++position)
            names.append((panel.*name)(position));
    }
    return names;
}

bool isHexText(const QString &text)
{
    for (QChar c : text) {
        if (!HexNumber(QString(c), 1, 1))
            return false;
    }
    return true;
}

} // namespace

QString MaskPanel::digitFlag(int position) const
{
    return QStringLiteral("chb") + stem() + QString::number(position);
}

QString MaskPanel::maskButton(int position) const
{
    return QStringLiteral("sbtPM") + stem() + QString::number(position);
}

const QList<MaskPanel> &MaskPanelList()
{
    static const QList<MaskPanel> panels = {{QStringLiteral("pnlObject"), 4},
                                            {QStringLiteral("pnlEvent"), 4},
                                            {QStringLiteral("pnlGroup"), 2},
                                            {QStringLiteral("pnlZone"), 3}};
    return panels;
}

QStringList MaskPanelNames()
{
    QStringList names;
    for (const MaskPanel &panel : MaskPanelList())
        names.append(panel.name);
    return names;
}

QString MaskCaption(const QString &prefix, int selection)
{
    if (selection <= 0)
        return QStringLiteral("...");
    QString caption;
    for (qsizetype i = 0; i < prefix.size() && i < 31; ++i) {
        if (selection & (1 << i))
            caption.append(prefix.at(i));
    }
    return caption;
}

ProtocolEditor::ProtocolEditor(ConfigModel &model, QObject *parent)
    : QObject(parent), m_model(model)
{
    m_editorValues = {Handshake,   ImpulseParams, DataFreq,      KissOff, Recheck,
                      RecheckType, Handshake1400, Handshake2300, Kissoff, Prefix};
    for (const QString &name : maskWalk(&MaskPanel::digitFlag))
        m_editorValues.insert(name);
    for (const QString &name : maskWalk(&MaskPanel::maskButton)) {
        m_editorValues.insert(name);
        m_captions.insert(name, QStringLiteral("..."));
    }
    m_current = EncodeProtocol();
    connect(&m_model, &ConfigModel::valueChanged, this, &ProtocolEditor::valueChanged);
}

void ProtocolEditor::valueChanged(const QString &name)
{
    if (m_editorValues.contains(name))
        RematchProtocol();
}

QString ProtocolEditor::EncodeProtocol() const
{
    auto choice = [this](const QString &name) { return std::max(0, m_model.choice(name)); };
    const int dataFreq = choice(DataFreq);
    QString record = HexDigits(choice(Handshake), 2) + HexDigits(choice(ImpulseParams), 2);
    record += dataFreq == DtmfIndex ? QStringLiteral("00") : QStringLiteral("01");
    const int flags = (dataFreq == 1 ? 1 : 0) + 2 * choice(KissOff) +
                      4 * (m_model.flag(Recheck) ? 1 : 0) + 8 * choice(RecheckType);
    record += HexDigits(flags, 2);

    int byte = 0;
    int bit = 0;
    for (const QString &name : maskWalk(&MaskPanel::digitFlag)) {
        if (m_model.flag(name))
            byte |= 1 << bit;
        if (++bit == 8) {
            record += HexDigits(byte, 2);
            byte = 0;
            bit = 0;
        }
    }
    if (bit > 0)
        record += HexDigits(byte, 2);

    record += m_model.text(Prefix);

    byte = 0;
    bool high = false;
    for (const QString &name : maskWalk(&MaskPanel::maskButton)) {
        const int selection = m_model.slider(name) & 0x0F;
        if (high) {
            record += HexDigits(byte | selection << 4, 2);
            byte = 0;
        } else {
            byte = selection;
        }
        high = !high;
    }
    if (high)
        record += HexDigits(byte, 2);

    record += QStringLiteral("00");
    record += HexDigits(m_model.slider(Handshake1400), 2);
    record += HexDigits(m_model.slider(Handshake2300), 2);
    record += HexDigits(m_model.slider(Kissoff), 2);
    return record;
}

bool ProtocolEditor::DecodeProtocol(const QString &record)
{
    m_decoding = true;
    const bool decoded = [&] {
        auto field = [&record](int first) { return HexNumber(record, first, 2); };
        const std::optional<int> handshake = field(1);
        if (!handshake)
            return false;
        m_model.setChoice(Handshake, *handshake);
        const std::optional<int> pulses = field(3);
        if (!pulses)
            return false;
        m_model.setChoice(ImpulseParams, *pulses);
        const std::optional<int> mode = field(5);
        const std::optional<int> flags = field(7);
        if (!mode || !flags)
            return false;
        m_model.setChoice(DataFreq, *mode == 0 ? DtmfIndex : (*flags & 1));
        m_model.setChoice(KissOff, (*flags & 2) ? 1 : 0);
        m_model.setFlag(Recheck, (*flags & 4) != 0);
        m_model.setChoice(RecheckType, (*flags & 8) ? 1 : 0);

        int position = 9;
        std::optional<int> byte = field(position);
        int bit = 0;
        for (const QString &name : maskWalk(&MaskPanel::digitFlag)) {
            if (bit == 8) {
                position += 2;
                byte = field(position);
                bit = 0;
            }
            if (!byte)
                return false;
            m_model.setFlag(name, (*byte >> bit++) & 1);
        }

        // The prefix goes to the device as it is: only hexadecimal digits are taken.
        const QString prefix = record.mid(12, 4);
        if (prefix.size() != 4 || !isHexText(prefix))
            return false;
        m_model.setText(Prefix, prefix);

        position = 17;
        bool high = false;
        for (const QString &name : maskWalk(&MaskPanel::maskButton)) {
            if (!high) {
                byte = field(position);
                position += 2;
                if (!byte)
                    return false;
            }
            m_model.setSlider(name, high ? *byte >> 4 : *byte & 0x0F);
            high = !high;
        }
        ShowPrefixMasks(m_model.text(Prefix));

        const std::pair<const QString *, int> lengths[] = {
            {&Handshake1400, 33}, {&Handshake2300, 35}, {&Kissoff, 37}};
        for (const auto &[name, first] : lengths) {
            const std::optional<int> length = field(first);
            if (!length)
                return false;
            m_model.setSlider(*name, *length);
        }
        return true;
    }();
    if (decoded)
        m_current = record;
    m_decoding = false;
    return decoded;
}

void ProtocolEditor::RematchProtocol()
{
    if (m_decoding)
        return;
    m_current = EncodeProtocol();
    setChooserIndex(m_catalog ? m_catalog->indexOfRecord(m_current) : -1);
    setDeleteEnabled(m_chooserIndex >= 0);
}

void ProtocolEditor::ShowPrefixMasks(const QString &prefix)
{
    for (const QString &name : maskWalk(&MaskPanel::maskButton))
        m_captions.insert(name, MaskCaption(prefix, m_model.slider(name)));
    emit maskCaptionsChanged();
}

QString ProtocolEditor::maskCaption(const QString &buttonName) const
{
    return m_captions.value(buttonName);
}

void ProtocolEditor::applyMaskSelection(const QString &buttonName, int selection)
{
    if (!m_captions.contains(buttonName))
        return;
    m_model.setSlider(buttonName, selection);
    m_captions.insert(buttonName, MaskCaption(m_model.text(Prefix), m_model.slider(buttonName)));
    emit maskCaptionsChanged();
    RematchProtocol();
}

void ProtocolEditor::setChooserItems(const QStringList &items, int index)
{
    m_chooserItems = items;
    m_chooserIndex = index >= 0 && index < items.size() ? index : -1;
    emit chooserChanged();
}

void ProtocolEditor::setChooserIndex(int index)
{
    if (index < 0 || index >= m_chooserItems.size())
        index = -1;
    if (index == m_chooserIndex)
        return;
    m_chooserIndex = index;
    emit chooserChanged();
}

void ProtocolEditor::cbxProtocolSelect(int index)
{
    setChooserIndex(index);
    if (m_chooserIndex >= 0 && m_catalog)
        DecodeProtocol(m_catalog->recordAt(m_chooserIndex));
    setDeleteEnabled(m_chooserIndex >= 0);
}

void ProtocolEditor::setDeleteEnabled(bool enabled)
{
    if (enabled == m_deleteEnabled)
        return;
    m_deleteEnabled = enabled;
    emit deleteEnabledChanged(enabled);
}

} // namespace sr5n
