#include "components/PaintedIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace sr5n {

PaintedIconEngine::PaintedIconEngine(const char *name, Paint draw)
    : m_renderings(std::make_shared<Renderings>())
{
    m_renderings->name = name;
    m_renderings->paint = draw;
}

PaintedIconEngine::PaintedIconEngine(std::shared_ptr<Renderings> renderings)
    : m_renderings(std::move(renderings))
{
}

QIconEngine *PaintedIconEngine::clone() const
{
    return new PaintedIconEngine(m_renderings);
}

QString PaintedIconEngine::key() const
{
    return QStringLiteral("sr5n-painted");
}

QString PaintedIconEngine::iconName()
{
    return QString::fromLatin1(m_renderings->name);
}

int PaintedIconEngine::paintedCount() const
{
    return m_renderings->painted;
}

QSize PaintedIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const int side = std::max(0, std::min(size.width(), size.height()));
    return {side, side};
}

QPixmap PaintedIconEngine::normal(int side)
{
    const QString key = QString::number(side);
    const auto found = m_renderings->pixmaps.constFind(key);
    if (found != m_renderings->pixmaps.cend())
        return *found;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 24.0, side / 24.0);
        m_renderings->paint(painter);
    }
    ++m_renderings->painted;
    m_renderings->pixmaps.insert(key, pixmap);
    return pixmap;
}

QPixmap PaintedIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    const int side = actualSize(size, mode, QIcon::Off).width();
    if (side <= 0)
        return QPixmap();
    const QPixmap painted = normal(side);
    if (mode == QIcon::Normal || mode == QIcon::Active)
        return painted;
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return painted;
    // The style greys a disabled icon against the palette's colours.
    const QString key = QStringLiteral("%1/%2/%3")
                            .arg(side)
                            .arg(int(mode))
                            .arg(QGuiApplication::palette().cacheKey());
    const auto found = m_renderings->pixmaps.constFind(key);
    if (found != m_renderings->pixmaps.cend())
        return *found;
    QStyleOption option;
    option.palette = QGuiApplication::palette();
    const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, painted, &option);
    m_renderings->pixmaps.insert(key, generated);
    return generated;
}

void PaintedIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                              QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const QSize side = actualSize(rect.size(), mode, state);
    QPixmap rendering = pixmap(side * ratio, mode, state);
    if (rendering.isNull())
        return;
    rendering.setDevicePixelRatio(ratio);
    QRect target(QPoint(0, 0), side);
    target.moveCenter(rect.center());
    painter->drawPixmap(target, rendering);
}

} // namespace sr5n
