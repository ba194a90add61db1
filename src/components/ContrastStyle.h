#pragma once

#include <QProxyStyle>

namespace sr5n {

// The desktop's style, with what a user must see made visible on any palette:
// the outline of check boxes (also in lists and grids) and radio buttons has
// at least 3:1 against the colours around and inside it, and disabled texts
// are brought to 3:1 against their background where the palette allows.
class ContrastStyle final : public QProxyStyle
{
public:
    // Takes `base` (the style to draw with) over.
    explicit ContrastStyle(QStyle *base);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    // A palette the application takes from the desktop: its disabled texts
    // lifted to 3:1 (those of line edits and lists among them).
    void polish(QPalette &palette) override;
    using QProxyStyle::polish;
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                      bool enabled, const QString &text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;

    // The outline of an enabled indicator: the palette's text colour, softened
    // towards `inside` as far as 3:1 against every one of `around` allows.
    static QColor outlineColour(const QColor &text, const QColor &inside,
                                const QList<QColor> &around);
};

} // namespace sr5n
