#include "components/DesignScale.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLayout>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace sr5n {

QFont DesignFont()
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    return font;
}

qreal DesignScale(const QFont &font)
{
    // Measured both ways on a line of the window's own words: a wide face
    // (DejaVu Sans) outgrows its point size across, a tall one down.
    static const QString sample =
        QStringLiteral("Проверка сигнала \"свободно\" перед началом набора 0123456789");
    static const QFont design = DesignFont();
    const QFontMetricsF designed(design);
    const QFontMetricsF given(font);
    const qreal across = given.horizontalAdvance(sample) / designed.horizontalAdvance(sample);
    const qreal down = given.height() / designed.height();
    return std::max<qreal>(1.0, std::max(across, down));
}

int Scaled(const QWidget *widget, int size)
{
    const qreal scale = DesignScale(widget->font());
    return scale <= 1.0 ? size : int(std::ceil(size * scale));
}

QSize Scaled(const QWidget *widget, QSize size)
{
    return {Scaled(widget, size.width()), Scaled(widget, size.height())};
}

QRect Scaled(const QWidget *widget, const QRect &rect)
{
    return {Scaled(widget, rect.x()), Scaled(widget, rect.y()), Scaled(widget, rect.width()),
            Scaled(widget, rect.height())};
}

namespace {

void fixSize(QWidget *window, QSize size)
{
    QSize fixed = Scaled(window, size);
    if (QLayout *layout = window->layout()) {
        layout->activate();
        fixed = fixed.expandedTo(window->sizeHint());
    }
    window->setFixedSize(fixed);
}

// Sizes the window again when its face changes: at once, and once the
// change has reached every control inside.
class DrawnSizeKeeper final : public QObject
{
public:
    DrawnSizeKeeper(QWidget *window, QSize size) : QObject(window), m_window(window), m_size(size)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::FontChange) {
            fixSize(m_window, m_size);
            QTimer::singleShot(0, this, [this] { fixSize(m_window, m_size); });
        }
        return false;
    }

private:
    QWidget *m_window;
    QSize m_size;
};

} // namespace

void FixDrawnSize(QWidget *window, QSize size)
{
    fixSize(window, size);
    if (!window->findChild<DrawnSizeKeeper *>(QString(), Qt::FindDirectChildrenOnly))
        new DrawnSizeKeeper(window, size);
}

} // namespace sr5n
