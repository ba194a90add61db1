#include "components/ContrastStyle.h"

#include "components/ReadableColors.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace sr5n {

namespace {

// The background each disabled text stands on.
QPalette::ColorRole backgroundOf(QPalette::ColorRole text)
{
    switch (text) {
    case QPalette::ButtonText:
        return QPalette::Button;
    case QPalette::Text:
        return QPalette::Base;
    default:
        return QPalette::Window;
    }
}

// A disabled text's own grey, moved towards the enabled text's colour until
// it has 3:1 on its background, so that it still looks disabled.
QColor liftedDisabled(const QPalette &palette, QPalette::ColorRole text)
{
    return ContrastingOn(palette.color(QPalette::Disabled, text),
                         palette.color(QPalette::Disabled, backgroundOf(text)),
                         ControlContrast + 0.1, palette.color(QPalette::Active, text));
}

} // namespace

ContrastStyle::ContrastStyle(QStyle *base) : QProxyStyle(base) {}

void ContrastStyle::polish(QPalette &palette)
{
    QProxyStyle::polish(palette);
    for (QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, text, liftedDisabled(palette, text));
}

QColor ContrastStyle::outlineColour(const QColor &text, const QColor &inside,
                                    const QList<QColor> &around)
{
    // From the fill towards the text, the first colour that stands out from
    // everything around; a little beyond, so that rounding keeps it above.
    for (int step = 1; step <= 20; ++step) {
        const QColor candidate = Blend(inside, text, step / 20.0);
        bool enough = true;
        for (const QColor &colour : around)
            enough = enough && ContrastRatio(candidate, colour) >= ControlContrast + 0.1;
        if (enough)
            return candidate;
    }
    return text;
}

void ContrastStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                  QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool indicator = element == PE_IndicatorCheckBox ||
                           element == PE_IndicatorItemViewItemCheck ||
                           element == PE_IndicatorRadioButton;
    if (!indicator || !(option->state & State_Enabled) || option->rect.width() < 4 ||
        option->rect.height() < 4)
        return;
    const QPalette &pal = option->palette;
    const QColor inside = pal.color(QPalette::Base);
    // A box in a list stands on the row's colours; a widget's on its window.
    QList<QColor> around{inside, pal.color(QPalette::Window)};
    if (element == PE_IndicatorItemViewItemCheck) {
        around << pal.color(QPalette::AlternateBase);
        if (const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
            item && item->backgroundBrush.style() == Qt::SolidPattern)
            around << item->backgroundBrush.color();
    }
    const QColor outline = outlineColour(pal.color(QPalette::Text), inside, around);

    painter->save();
    painter->setBrush(Qt::NoBrush);
    if (element == PE_IndicatorRadioButton) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(outline, 1.5));
        const QRectF circle = QRectF(option->rect).adjusted(1, 1, -1, -1);
        const qreal side = std::min(circle.width(), circle.height());
        QRectF round(0, 0, side, side);
        round.moveCenter(circle.center());
        painter->drawEllipse(round);
    } else {
        // Over the style's own frame, on the same pixels.
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(outline, 1));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

void ContrastStyle::drawItemText(QPainter *painter, const QRect &rect, int flags,
                                 const QPalette &palette, bool enabled, const QString &text,
                                 QPalette::ColorRole textRole) const
{
    if (enabled || textRole == QPalette::NoRole || text.isEmpty()) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        return;
    }
    QPalette lifted = palette;
    lifted.setColor(QPalette::Disabled, textRole, liftedDisabled(palette, textRole));
    QProxyStyle::drawItemText(painter, rect, flags, lifted, enabled, text, textRole);
}

} // namespace sr5n
