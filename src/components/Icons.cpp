#include "components/Icons.h"

#include "components/PaintedIconEngine.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace sr5n::Icons {

namespace {

const QColor kBlue(0x1f, 0x5f, 0xb0);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xc0, 0x39, 0x2b);
const QColor kGrey(0x55, 0x5f, 0x6b);
const QColor kAmber(0xe0, 0xa0, 0x20);

// One icon of each kind per run, so that a size painted for one widget
// serves every other; dropped with the application object, whose pixmaps
// they are.
QHash<QByteArray, QIcon> &made()
{
    static QHash<QByteArray, QIcon> icons;
    return icons;
}

void forgetIcons()
{
    made().clear();
}

// The icon painted by `paint` on a 24-unit square, at each size when it is
// first asked for.
QIcon painted(const char *name, PaintedIconEngine::Paint paint)
{
    QHash<QByteArray, QIcon> &icons = made();
    const QByteArray key(name);
    const auto found = icons.constFind(key);
    if (found != icons.cend())
        return *found;
    if (icons.isEmpty())
        qAddPostRoutine(forgetIcons);
    return *icons.insert(key, QIcon(new PaintedIconEngine(name, paint)));
}

void device(QPainter &p, QRectF r)
{
    p.setPen(QPen(kGrey, 1.2));
    p.setBrush(QColor(0xe8, 0xec, 0xf0));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(kGreen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(r.left() + 3, r.top() + 3), 1.2, 1.2);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &color)
{
    p.setPen(QPen(color, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(to + d * 2.5);
    head.lineTo(to - d * 2.5 + n * 3.5);
    head.lineTo(to - d * 2.5 - n * 3.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(head);
}

void letter(QPainter &p, const QRectF &r, const QString &text, const QColor &fill, int pixel)
{
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(r);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(pixel);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
}

} // namespace

QIcon application()
{
    return painted("application", [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1, 1, 22, 22), 4, 4);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 5, 16, 10), 1.5, 1.5);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(7, 19), 1.6, 1.6);
        p.setBrush(kAmber);
        p.drawEllipse(QPointF(12, 19), 1.6, 1.6);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(17, 19), 1.6, 1.6);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(7);
        p.setFont(font);
        p.setPen(kBlue);
        p.drawText(QRectF(4, 5, 16, 10), Qt::AlignCenter, QStringLiteral("СР-5"));
    });
}

QIcon makerLogo()
{
    return painted("makerLogo", [](QPainter &p) {
        p.setPen(QPen(kBlue, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 2, 20, 20));
        p.drawArc(QRectF(6, 6, 12, 12), 30 * 16, 300 * 16);
        p.setBrush(kBlue);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 12), 2, 2);
    });
}

QIcon open()
{
    return painted("open", [](QPainter &p) {
        p.setPen(QPen(kAmber.darker(130), 1));
        p.setBrush(kAmber);
        QPainterPath folder;
        folder.moveTo(2, 6);
        folder.lineTo(9, 6);
        folder.lineTo(11, 8);
        folder.lineTo(21, 8);
        folder.lineTo(21, 19);
        folder.lineTo(2, 19);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setBrush(kAmber.lighter(130));
        QPainterPath front;
        front.moveTo(4, 11);
        front.lineTo(23, 11);
        front.lineTo(21, 19);
        front.lineTo(2, 19);
        front.closeSubpath();
        p.drawPath(front);
    });
}

QIcon save()
{
    return painted("save", [](QPainter &p) {
        p.setPen(QPen(kBlue.darker(130), 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 12, 7));
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(7, 14, 10, 7));
    });
}

QIcon read()
{
    return painted("read", [](QPainter &p) {
        device(p, QRectF(2, 2, 14, 10));
        arrow(p, QPointF(16, 9), QPointF(16, 19), kGreen);
        p.setPen(QPen(kGrey, 1.4));
        p.drawLine(QPointF(8, 22), QPointF(22, 22));
    });
}

QIcon write()
{
    return painted("write", [](QPainter &p) {
        device(p, QRectF(2, 2, 14, 10));
        arrow(p, QPointF(17, 21), QPointF(17, 11), kRed);
        p.setPen(QPen(kGrey, 1.4));
        p.drawLine(QPointF(8, 22), QPointF(22, 22));
    });
}

QIcon log()
{
    return painted("log", [](QPainter &p) {
        p.setPen(QPen(kGrey, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 2, 16, 20));
        p.setPen(QPen(kBlue, 1.4));
        for (int y = 6; y <= 18; y += 4)
            p.drawLine(QPointF(7, y), QPointF(17, y));
    });
}

QIcon exportHtml()
{
    return painted("exportHtml", [](QPainter &p) {
        p.setPen(QPen(kGrey, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 2, 14, 19));
        p.setPen(QPen(kBlue, 1.2));
        p.setBrush(QColor(0xd6, 0xe6, 0xfa));
        p.drawEllipse(QRectF(10, 10, 12, 12));
        p.drawLine(QPointF(10, 16), QPointF(22, 16));
        p.drawEllipse(QRectF(14, 10, 4, 12));
    });
}

QIcon diagnostics()
{
    return painted("diagnostics", [](QPainter &p) {
        device(p, QRectF(2, 5, 20, 14));
        p.setPen(QPen(kRed, 1.6));
        p.setBrush(Qt::NoBrush);
        QPainterPath pulse;
        pulse.moveTo(4, 13);
        pulse.lineTo(8, 13);
        pulse.lineTo(10, 8);
        pulse.lineTo(13, 17);
        pulse.lineTo(15, 12);
        pulse.lineTo(20, 12);
        p.drawPath(pulse);
    });
}

QIcon help()
{
    return painted("help", [](QPainter &p) {
        letter(p, QRectF(2, 2, 20, 20), QStringLiteral("?"), kBlue, 15);
    });
}

QIcon about()
{
    return painted("about", [](QPainter &p) {
        letter(p, QRectF(2, 2, 20, 20), QStringLiteral("i"), kGreen, 15);
    });
}

QIcon connection()
{
    return painted("connection", [](QPainter &p) {
        p.setPen(QPen(kGrey, 1.2));
        p.setBrush(QColor(0xe8, 0xec, 0xf0));
        QPainterPath plug;
        plug.moveTo(3, 8);
        plug.lineTo(21, 8);
        plug.lineTo(18, 16);
        plug.lineTo(6, 16);
        plug.closeSubpath();
        p.drawPath(plug);
        p.setBrush(kGrey);
        p.setPen(Qt::NoPen);
        for (int x = 7; x <= 17; x += 2)
            p.drawEllipse(QPointF(x, 11), 0.8, 0.8);
        for (int x = 8; x <= 16; x += 2)
            p.drawEllipse(QPointF(x, 13.5), 0.8, 0.8);
    });
}

QIcon service()
{
    // A gear.
    return painted("service", [](QPainter &p) {
        p.translate(12, 12);
        p.setPen(Qt::NoPen);
        p.setBrush(kGrey);
        for (int tooth = 0; tooth < 8; ++tooth) {
            p.drawRoundedRect(QRectF(-2.2, -11, 4.4, 6), 1, 1);
            p.rotate(45);
        }
        p.setPen(QPen(kGrey, 1));
        p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
        p.setBrush(QColor(0xe8, 0xec, 0xf0));
        p.drawEllipse(QPointF(0, 0), 3, 3);
    });
}

QIcon findPort()
{
    return painted("findPort", [](QPainter &p) {
        // A magnifying glass over the lines of a port.
        p.setPen(QPen(kGrey, 1.6, Qt::SolidLine, Qt::RoundCap));
        for (int y = 6; y <= 14; y += 4)
            p.drawLine(QPointF(2, y), QPointF(7, y));
        p.setPen(QPen(kBlue, 2.4));
        p.setBrush(QColor(0xe8, 0xf0, 0xfa));
        p.drawEllipse(QPointF(12.5, 10), 6, 6);
        p.setPen(QPen(kBlue, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(17, 14.5), QPointF(21.5, 19.5));
    });
}

} // namespace sr5n::Icons
