#include "common/FakeNotifier.h"
#include "config/CaptionClick.h"
#include "config/ConfigModel.h"
#include "config/PairPage.h"
#include "config/ParametersPage.h"
#include "config/VoicePage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace sr5n;

namespace {

// The page area of the main window's page control.
constexpr int PageWidth = 729;
constexpr int PageHeight = 400;

struct Pages {
    ConfigModel model;
    test::FakeNotifier notifier;
    std::unique_ptr<QWidget> pages[4];

    Pages()
    {
        pages[0] = std::make_unique<PairPage>(model, 1, notifier);
        pages[1] = std::make_unique<PairPage>(model, 2, notifier);
        pages[2] = std::make_unique<VoicePage>(model, notifier);
        pages[3] = std::make_unique<ParametersPage>(model, notifier);
        for (auto &page : pages) {
            page->resize(PageWidth, PageHeight);
            page->show();
        }
        QApplication::processEvents();
    }

    template<typename T> T *find(const char *name) const
    {
        for (const auto &page : pages) {
            if (auto *w = page->findChild<T *>(QString::fromLatin1(name)))
                return w;
        }
        return nullptr;
    }
};

void typeInto(QWidget *widget, Qt::Key key, const QString &text,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

void leave(QWidget *widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &out);
}

} // namespace

TEST(ConfigPages, EveryValueOfThePagesHasItsControlAndNothingIsClipped)
{
    Pages p;
    const QString shots = qEnvironmentVariable("SR5N_PAGE_SHOTS");
    const char *files[] = {"pair1.png", "pair2.png", "voice.png", "parameters.png"};
    for (int i = 0; i < 4; ++i) {
        QWidget *page = p.pages[i].get();
        EXPECT_LE(page->minimumSizeHint().width(), PageWidth) << files[i];
        EXPECT_LE(page->minimumSizeHint().height(), PageHeight) << files[i];
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || !label->isVisible())
                continue;
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << qPrintable(label->objectName());
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << qPrintable(label->objectName());
            }
        }
        for (QAbstractButton *box : page->findChildren<QAbstractButton *>()) {
            if (box->isVisible()) {
                EXPECT_GE(box->width(), box->sizeHint().width()) << qPrintable(box->text());
            }
        }
        if (!shots.isEmpty())
            page->grab().save(QDir(shots).filePath(QString::fromLatin1(files[i])));
    }
    const QStringList values = p.model.names();
    for (const QString &name : values) {
        if (name.startsWith(u"trb") && (name.contains(u"Handshake") || name.contains(u"Kissoff")))
            continue;
        if (name.startsWith(u"rgp") && name != u"rgpLineFreq")
            continue;
        if (name.startsWith(u"sbtPM") || name.contains(u"Protocol_Test") ||
            name == u"edtPrefix")
            continue;
        if (name.startsWith(u"chbObject") || name.startsWith(u"chbEvent") ||
            name.startsWith(u"chbGroup") || name.startsWith(u"chbZone"))
            continue;
        EXPECT_NE(p.find<QWidget>(qPrintable(name)), nullptr) << qPrintable(name);
    }
}
