#pragma once

// Measures taken on pictures of the windows, the log page they are taken of,
// and the application's look set for a test, as the tests of contrast and of
// the dark palette take them.

#include "common/WindowParts.h"
#include "components/ReadableColors.h"
#include "events/EventLogDecoder.h"
#include "ui/PageControl.h"
#include "ui/TfrmMain.h"
#include "ui/events/LogsPage.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

namespace sr5n::test {

// Saves a picture when SR5N_SCREENSHOT_DIR names a folder, to look at.
inline void KeepPicture(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("SR5N_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(name));
}

// The colour most pixels of `area` have: the background.
inline QColor MostCommonColour(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int count = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > count) {
            most = it.key();
            count = it.value();
        }
    return QColor::fromRgb(most);
}

// How the pixel of `area` that stands out most from `background` stands out
// (the core of a letter, of a round outline; edges are blended).
inline double StrongestContrast(const QImage &image, const QRect &area, const QColor &background)
{
    double best = 1.0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            best = std::max(best, ContrastRatio(image.pixelColor(x, y), background));
    return best;
}

// The contrast of the text of `area` to its background.
inline double TextContrast(const QImage &image, const QRect &area)
{
    return StrongestContrast(image, area, MostCommonColour(image, area));
}

// Three records of the event log, whether each went to pair 1 and to pair 2
// as `sent` says; the last one numbered 1.
inline DecodedEventLog ThreeRecords(const QStringList &names,
                                    const std::array<std::array<bool, 2>, 3> &sent)
{
    DecodedEventLog log;
    for (int i = 0; i < 3; ++i) {
        EventLogRow row;
        row.name = names.value(i);
        row.zone = QString::number(i + 1);
        row.sentToPair1 = sent[i][0];
        row.sentToPair2 = sent[i][1];
        row.number = 3 - i;
        log.rows.append(row);
    }
    return log;
}

// Shows `window` with its log page in front, listing `log`.
inline LogsPage *ShowLog(TfrmMain &window, const DecodedEventLog &log)
{
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *logs = part<LogsPage>(window, "tshLogs");
    part<PageControl>(window, "pgcPages")->setCurrentPage(logs);
    logs->showLog(log);
    return logs;
}

// While it lives, the application has the Fusion style (wrapped by `wrap`
// when given) and the palette `palette` makes for that style, handed through
// the style as a desktop theme's palette reaches the program; then the style
// and palette it had before.
class ApplicationLook
{
public:
    using Wrap = std::function<QStyle *(QStyle *)>;
    using Palette = std::function<QPalette(const QStyle &)>;

    ApplicationLook(const Palette &palette, const Wrap &wrap = {})
        : m_style(QApplication::style()->name()), m_palette(QApplication::palette())
    {
        QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"));
        QApplication::setStyle(wrap ? wrap(fusion) : fusion);
        QPalette made = palette(*QApplication::style());
        QApplication::style()->polish(made);
        QApplication::setPalette(made);
    }
    ~ApplicationLook()
    {
        QApplication::setPalette(m_palette);
        QApplication::setStyle(QStyleFactory::create(m_style));
    }
    ApplicationLook(const ApplicationLook &) = delete;
    ApplicationLook &operator=(const ApplicationLook &) = delete;

private:
    QString m_style;
    QPalette m_palette;
};

} // namespace sr5n::test
