#include "ui/config/ConfigBinding.h"

#include "common/FieldRules.h"
#include "components/FieldGuard.h"
#include "config/ConfigModel.h"
#include "config/ControlNames.h"
#include "config/ValueCheck.h"
#include "ui/config/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimeEdit>

namespace sr5n {

ConfigBinding::ConfigBinding(ConfigModel &model, Notifier &notifier, QObject *parent)
    : QObject(parent), m_model(model), m_notifier(notifier)
{
    connect(&m_model, &ConfigModel::valueChanged, this, &ConfigBinding::showValue);
    connect(&m_model, &ConfigModel::rangeChanged, this, &ConfigBinding::showRange);
    connect(&m_model, &ConfigModel::itemsChanged, this, &ConfigBinding::showItems);
    connect(&m_model, &ConfigModel::enabledChanged, this, &ConfigBinding::showEnabled);
}

void ConfigBinding::bind(QWidget *root)
{
    bindWidget(root);
    const QList<QWidget *> children = root->findChildren<QWidget *>();
    for (QWidget *child : children)
        bindWidget(child);
}

void ConfigBinding::bindWidget(QWidget *widget)
{
    const QString name = widget->objectName();
    if (name.isEmpty() || m_widgets.contains(name))
        return;
    const ValueDescription *d = m_model.description(name);
    // Prefix selections are shown by the protocol editor's mask buttons.
    if (d && d->kind == ValueKind::Mask)
        return;
    const bool valueText = name.startsWith(u"stt") && qobject_cast<QLabel *>(widget) &&
                           m_model.valueText(name) != QString();
    const bool enabling = m_model.enablingNames().contains(name);
    if (!d && !valueText && !enabling)
        return;
    m_widgets.insert(name, widget);

    if (d) {
        switch (d->kind) {
        case ValueKind::Slider:
            if (auto *slider = qobject_cast<QSlider *>(widget)) {
                connect(slider, &QSlider::valueChanged, this, [this, name](int value) {
                    m_model.setSlider(name, value);
                    showValue(name);
                });
            }
            break;
        case ValueKind::Flag:
            if (auto *box = qobject_cast<QAbstractButton *>(widget)) {
                connect(box, &QAbstractButton::toggled, this, [this, name](bool on) {
                    m_model.setFlag(name, on);
                    showValue(name);
                });
            }
            break;
        case ValueKind::Code:
        case ValueKind::Phone:
            if (auto *field = qobject_cast<QLineEdit *>(widget)) {
                const bool phone = d->kind == ValueKind::Phone;
                const QString allowed = phone ? PhoneCharacters() : CodeCharacters();
                const int padLength = phone ? 0 : d->minimum;
                field->setMaxLength(d->maximum);
                // The model takes what the field holds while it is a value the
                // field may hold once left (a code padded with zeros).
                connect(field, &QLineEdit::textChanged, this,
                        [this, name, padLength](const QString &text) {
                            if (check(m_model, name, PadWithZeros(text, padLength)))
                                m_model.setText(name, text);
                        });
                std::function<void()> afterLeave;
                if (phone)
                    afterLeave = [this, name] { m_model.uncheckEmptyNumber(name); };
                new FieldGuard(field, allowed, padLength, m_notifier, std::move(afterLeave));
            }
            break;
        case ValueKind::Time:
            if (auto *edit = qobject_cast<QTimeEdit *>(widget)) {
                connect(edit, &QTimeEdit::timeChanged, this, [this, name](QTime time) {
                    m_model.setTime(name, time);
                    showValue(name);
                });
            }
            break;
        case ValueKind::Choice:
            if (auto *combo = qobject_cast<QComboBox *>(widget)) {
                showItems(name);
                connect(combo, &QComboBox::currentIndexChanged, this, [this, name](int index) {
                    m_model.setChoice(name, index);
                    showValue(name);
                });
            } else if (auto *group = qobject_cast<RadioGroup *>(widget)) {
                connect(group, &RadioGroup::itemClicked, this, [this, name](int index) {
                    m_model.setChoice(name, index);
                    showValue(name);
                });
            }
            break;
        case ValueKind::Mask:
            break;
        }
        showRange(name);
    }
    showValue(valueText ? SwapPrefix(name, u"trb") : name);
    if (enabling)
        widget->setEnabled(m_model.isEnabled(name));
}

void ConfigBinding::showValue(const QString &name)
{
    if (QWidget *widget = m_widgets.value(name)) {
        const QSignalBlocker blocker(widget);
        if (auto *slider = qobject_cast<QSlider *>(widget)) {
            slider->setValue(m_model.slider(name));
        } else if (auto *box = qobject_cast<QAbstractButton *>(widget)) {
            box->setChecked(m_model.flag(name));
        } else if (auto *field = qobject_cast<QLineEdit *>(widget)) {
            // Only the letter case differs after the model upper-cased a pasted text: keep the
            // cursor.
            const QString text = m_model.text(name);
            if (field->text() != text && field->text().toUpper() != text.toUpper()) {
                field->setText(text);
            } else if (field->text() != text) {
                const int cursor = field->cursorPosition();
                field->setText(text);
                field->setCursorPosition(cursor);
            }
        } else if (auto *edit = qobject_cast<QTimeEdit *>(widget)) {
            edit->setTime(m_model.time(name));
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            combo->setCurrentIndex(m_model.choice(name));
        } else if (auto *group = qobject_cast<RadioGroup *>(widget)) {
            group->setItemIndex(m_model.choice(name));
        }
    }
    if (name.startsWith(u"trb")) {
        if (auto *label = qobject_cast<QLabel *>(m_widgets.value(SwapPrefix(name, u"stt"))))
            label->setText(m_model.valueText(name));
    }
}

void ConfigBinding::showRange(const QString &name)
{
    if (auto *slider = qobject_cast<QSlider *>(m_widgets.value(name))) {
        const QSignalBlocker blocker(slider);
        slider->setRange(m_model.minimum(name), m_model.maximum(name));
        slider->setValue(m_model.slider(name));
    }
}

void ConfigBinding::showItems(const QString &name)
{
    if (auto *combo = qobject_cast<QComboBox *>(m_widgets.value(name))) {
        const QSignalBlocker blocker(combo);
        combo->clear();
        combo->addItems(m_model.choiceItems(name));
        combo->setCurrentIndex(m_model.choice(name));
    }
}

void ConfigBinding::showEnabled(const QString &name, bool enabled)
{
    if (QWidget *widget = m_widgets.value(name))
        widget->setEnabled(enabled);
}

} // namespace sr5n
