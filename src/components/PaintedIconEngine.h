#pragma once

#include <QHash>
#include <QIconEngine>

#include <memory>

namespace sr5n {

// An icon painted by code on a 24-unit square, at the size a widget asks for
// and only then; each size is painted once and kept, and copies of the icon
// share what was painted. The disabled and selected looks are made from the
// painted one by the style, as for icons made of pictures.
class PaintedIconEngine final : public QIconEngine
{
public:
    using Paint = void (*)(QPainter &);

    // `name` tells the icons apart (key of the engine, for the curious).
    PaintedIconEngine(const char *name, Paint draw);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QString iconName() override;
    QIconEngine *clone() const override;

    // How many renderings of this icon have been painted so far.
    int paintedCount() const;

private:
    struct Renderings {
        const char *name;
        Paint paint;
        QHash<QString, QPixmap> pixmaps; // by side, look and palette
        int painted = 0;
    };

    PaintedIconEngine(std::shared_ptr<Renderings> renderings);
    QPixmap normal(int side);

    std::shared_ptr<Renderings> m_renderings;
};

} // namespace sr5n
