#pragma once

#include "config/ConfigValues.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>

namespace sr5n {

// The configuration as the user edits it: every value of ConfigValueDescriptions(),
// addressed by its control name, with the rules that run on every change,
// whoever makes it (a page, a block decoder, a configuration file):
// sliders clamp to their range, choices take their last item when set beyond it,
// value texts follow the sliders, the passivity hours never reach zero with
// zero days, the line-check interval never becomes 00:00 once edited, and the
// enabling of every control follows the flags. Setting a value to what it
// already holds runs nothing and notifies nobody.
//
// Names: a value's own control name ("trb1P2NWaitPCNReady"); the typed
// accessors taking (pair, rest) or (pair, number, rest) compose it with the
// accessor's prefix: slider "trb", flag "chb", text "edt", time "dtp", choice "cbx".
class ConfigModel final : public QObject
{
    Q_OBJECT

public:
    explicit ConfigModel(QObject *parent = nullptr);

    // Whether `name` is a value of the model.
    bool contains(const QString &name) const;
    // The description of the value `name`, or nullptr.
    const ValueDescription *description(const QString &name) const;
    // Every value name, in description order.
    QStringList names() const;

    // Sliders (and the protocol editor's prefix selections, kind Mask).
    int slider(const QString &name) const;
    void setSlider(const QString &name, int value);
    int slider(int pair, QStringView rest) const;
    void setSlider(int pair, QStringView rest, int value);
    int slider(int pair, int number, QStringView rest) const;
    void setSlider(int pair, int number, QStringView rest, int value);
    // The slider's current bounds (the passivity hours' lower bound moves).
    int minimum(const QString &name) const;
    int maximum(const QString &name) const;
    // The value text of a slider, by the slider's name or its value text's ("stt...").
    QString valueText(const QString &name) const;

    bool flag(const QString &name) const;
    void setFlag(const QString &name, bool on);
    bool flag(int pair, QStringView rest) const;
    void setFlag(int pair, QStringView rest, bool on);
    bool flag(int pair, int number, QStringView rest) const;
    void setFlag(int pair, int number, QStringView rest, bool on);

    // Codes and phone numbers. Codes are stored upper-cased, cut to their length;
    // phone numbers keep only "0"-"9" and "A"-"D" (upper-cased), at most 24.
    QString text(const QString &name) const;
    void setText(const QString &name, const QString &text);
    QString text(int pair, QStringView rest) const;
    void setText(int pair, QStringView rest, const QString &text);
    QString text(int pair, int number, QStringView rest) const;
    void setText(int pair, int number, QStringView rest, const QString &text);

    // Times of day; seconds are dropped, an invalid time is ignored.
    QTime time(const QString &name) const;
    void setTime(const QString &name, QTime time);
    QTime time(int pair, QStringView rest) const;
    void setTime(int pair, QStringView rest, QTime time);

    // Choices: the item index, -1 for a protocol chooser without a selection.
    int choice(const QString &name) const;
    void setChoice(const QString &name, int index);
    int choice(int pair, QStringView rest) const;
    void setChoice(int pair, QStringView rest, int index);
    QStringList choiceItems(const QString &name) const;
    // The text of the chosen item, empty without a selection.
    QString choiceText(const QString &name) const;
    // Replaces the items of a chooser filled from outside (cbx1PProtocol,
    // cbx2PProtocol); the index is kept when still inside the list, else it
    // becomes the last item, or -1 for an empty list.
    void setChoiceItems(const QString &name, const QStringList &items);

    // A pair is active when at least one of its two numbers is in use.
    bool pairActive(int pair) const;
    // Whether the control `name` (a value, its "lbl" label, its "stt" value
    // text or caption, or a "gbx" group) is enabled; unknown names are enabled.
    bool isEnabled(const QString &name) const;
    // Every control name whose enabling the model decides.
    QStringList enablingNames() const;

    // If the phone number field `fieldName` ("edt1P1N", "edtVoiceNum") is
    // empty, switch its flag ("chb" + the same stem) off.
    void uncheckEmptyNumber(const QString &fieldName);

    // Takes the values named (with their bounds and items) from a model whose
    // rules have already run on them, then notifies every change at once and
    // re-applies the enabling. Unknown names are skipped.
    void copyValues(const ConfigModel &source, const QStringList &names);
    // The same for every value, without looking a name up.
    void copyValues(const ConfigModel &source);

signals:
    void valueChanged(const QString &name);
    // The bounds of a slider changed.
    void rangeChanged(const QString &name);
    // The items of a chooser changed.
    void itemsChanged(const QString &name);
    void enabledChanged(const QString &name, bool enabled);

private:
    struct Entry {
        const ValueDescription *description = nullptr;
        int pair = 0;
        int number = 0;
        int value = 0;
        QString text;
        QTime time;
        int minimum = 0;
        int maximum = 0;
        QStringList items;
    };
    struct EnableSlot {
        EnableRule rule = EnableRule::Always;
        int pair = 0;
        int number = 0;
    };
    // What every model starts as, built once: the default entries, the
    // controls whose enabling the model decides and the conditions they follow.
    struct Layout;
    static const Layout &layout();

    const Entry *entry(const QString &name) const;
    Entry *entry(const QString &name);
    const Entry *find(const QString &name, ValueKind kind) const;
    Entry *find(const QString &name, ValueKind kind);
    const Entry *findNumeric(const QString &name) const;
    Entry *findNumeric(const QString &name);
    static bool evaluate(const Layout &layout, const QList<Entry> &entries, const EnableSlot &slot);
    void applyEnabling();
    void copyEntries(const ConfigModel &source, const QList<qsizetype> &indexes);
    void applyPassiveHoursBound();

    const Layout &m_layout;
    // The values, in the order of Layout::names.
    QList<Entry> m_entries;
    // Whether each control of Layout::controls is enabled, in its order.
    QList<bool> m_enabled;
};

// UncheckEmptyNumber: the operation the block encoders run before each number.
inline void UncheckEmptyNumber(ConfigModel &model, const QString &fieldName)
{
    model.uncheckEmptyNumber(fieldName);
}

} // namespace sr5n
