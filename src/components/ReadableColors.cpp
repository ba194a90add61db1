#include "components/ReadableColors.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace sr5n {

namespace {

double channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

// Keeps a label's accent colour readable on the label's background, also
// after a change of the application's palette.
class AccentColour final : public QObject
{
public:
    AccentColour(QLabel *label, const QColor &colour) : QObject(label), m_colour(colour)
    {
        apply(label);
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Sent after the label took a new palette, also when it sets its own.
        if (event->type() == QEvent::PaletteChange)
            apply(static_cast<QLabel *>(watched));
        return false;
    }

private:
    void apply(QLabel *label) const
    {
        QPalette palette = label->palette();
        const QColor wanted = ReadableOn(m_colour, palette.color(label->backgroundRole()));
        if (palette.color(QPalette::WindowText) == wanted)
            return;
        palette.setColor(QPalette::WindowText, wanted);
        label->setPalette(palette);
    }

    QColor m_colour;
};

} // namespace

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor &colour, const QColor &background)
{
    if (ContrastRatio(colour, background) >= ReadableContrast)
        return colour;
    // Towards white on a dark background, towards black on a light one; the
    // end itself always reads (at least 4.58 to 1 against any colour).
    const QColor end = luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step < 20; ++step) {
        const QColor candidate = Blend(colour, end, step / 20.0);
        if (ContrastRatio(candidate, background) >= ReadableContrast)
            return candidate;
    }
    return end;
}

QColor ContrastingOn(const QColor &colour, const QColor &background, double ratio,
                     const QColor &toward)
{
    for (int step = 0; step < 20; ++step) {
        const QColor candidate = Blend(colour, toward, step / 20.0);
        if (ContrastRatio(candidate, background) >= ratio)
            return candidate;
    }
    return toward;
}

QColor ReadableText(const QColor &preferred, const QColor &background)
{
    if (ContrastRatio(preferred, background) >= ReadableContrast)
        return preferred;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

QColor Blend(const QColor &from, const QColor &to, double share)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * share),
                            float(a.greenF() + (b.greenF() - a.greenF()) * share),
                            float(a.blueF() + (b.blueF() - a.blueF()) * share));
}

void SetAccentColour(QLabel *label, const QColor &colour)
{
    new AccentColour(label, colour);
}

QPalette DarkPalette()
{
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    const QColor text(230, 230, 230);
    const QColor grey(128, 128, 128);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, grey);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Light, window.lighter(150));
    palette.setColor(QPalette::Midlight, window.lighter(125));
    palette.setColor(QPalette::Mid, window.lighter(110));
    palette.setColor(QPalette::Dark, window.darker(150));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Link, QColor(90, 160, 240));
    palette.setColor(QPalette::LinkVisited, QColor(170, 130, 240));
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    palette.setColor(QPalette::Disabled, QPalette::Text, grey);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    palette.setColor(QPalette::Disabled, QPalette::Light, base);
    return palette;
}

} // namespace sr5n
