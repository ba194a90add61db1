#include "ui/BarButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace sr5n {

BarButton::BarButton(const QString &caption, const QIcon &icon, QWidget *parent)
    : QPushButton(caption, parent)
{
    setIcon(icon);
    setIconSize(QSize(24, 24));
    setFixedSize(90, 24);
    setAutoDefault(false);
}

void BarButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QRect iconRect(1, (height() - 24) / 2, 24, 24);
    icon().paint(&painter, iconRect, Qt::AlignCenter, mode);

    const QRect textRect(iconRect.right() + 2, 0, width() - iconRect.right() - 4, height());
    QFont font = this->font();
    const int natural = QFontMetrics(font).horizontalAdvance(text());
    if (natural > textRect.width())
        font.setStretch(std::max(50, 100 * textRect.width() / natural));
    painter.setFont(font);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace sr5n
