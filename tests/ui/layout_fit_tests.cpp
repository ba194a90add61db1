// Nothing of the windows is clipped in the program's 8-point face, also when
// the desktop scales: the suite runs this file again with QT_SCALE_FACTOR=2
// and with QT_FONT_DPI=144 (tests/ui/CMakeLists.txt).
#include "DialogsInUse.h"
#include "app/Configurator.h"
#include "common/QtPrinters.h"
#include "common/WindowParts.h"
#include "components/TMultiCell.h"
#include "components/TMultiGrid.h"
#include "protocols/ProtocolLibrary.h"
#include "ui/BarButton.h"
#include "ui/PageControl.h"
#include "ui/Startup.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"
#include "ui/events/TfrmExtEvZones.h"
#include "ui/protocols/TfrmPrefixMask.h"
#include "ui/protocols/TfrmSaveNewProtocol.h"
#include "ui/services/TfrmTestScheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

QString plain(QString text)
{
    return text.remove(u'&');
}

// Controls of `window`, shown now, whose text does not fit them.
QStringList clippedIn(QWidget &window)
{
    QStringList clipped;
    const auto note = [&clipped](const QWidget *w, const QString &text) {
        clipped << QStringLiteral("%1 \"%2\" (%3)")
                       .arg(w->objectName(), text, QLatin1String(w->metaObject()->className()));
    };
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(label->width()) <= label->height()
                                  : label->width() >= label->minimumSizeHint().width() &&
                                        label->height() >= label->minimumSizeHint().height();
            if (!fits)
                note(label, label->text());
        } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            const auto *button = static_cast<QAbstractButton *>(w);
            if (!button->text().isEmpty() && button->width() < button->sizeHint().width())
                note(button, button->text());
        } else if (auto *push = qobject_cast<QPushButton *>(w)) {
            // The bar buttons narrow a caption that would not fit; others must fit.
            const int text = push->fontMetrics().horizontalAdvance(plain(push->text()));
            const int icon = push->icon().isNull() ? 0 : push->iconSize().width() + 4;
            if (!dynamic_cast<BarButton *>(push) && push->width() < text + icon + 6)
                note(push, push->text());
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            if (group->width() < group->fontMetrics().horizontalAdvance(group->title()))
                note(group, group->title());
        } else if (auto *grid = qobject_cast<TMultiGrid *>(w)) {
            const QFontMetrics metrics = grid->fontMetrics();
            for (int c = 0; c < grid->ColCount(); ++c)
                for (int r = 0; r < grid->RowCount(); ++r) {
                    const TMultiCell *cell = grid->Cells(c, r);
                    if (cell->CellType() != mctCheck &&
                        metrics.horizontalAdvance(cell->Text()) > grid->ColWidths(c))
                        note(grid, cell->Text());
                }
        }
    }
    return clipped;
}

class LayoutFit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_font = QApplication::font();
        QApplication::setFont(ConfiguratorApplication::programFont());
    }
    void TearDown() override { QApplication::setFont(m_font); }

private:
    QFont m_font;
};

} // namespace

TEST_F(LayoutFit, EveryPageOfTheMainWindowShowsItsTextsWhole)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    TfrmMain window{app};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const qreal scale = qEnvironmentVariableIntValue("QT_SCALE_FACTOR");
    if (scale > 0) { // the run is the scaled one indeed
        EXPECT_EQ(window.devicePixelRatioF(), scale);
    }
    EXPECT_EQ(window.size(), QSize(737, 526)); // the layout the window is designed for
    auto *pages = test::part<PageControl>(window, "pgcPages");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        EXPECT_EQ(clippedIn(window), QStringList()) << pages->tabText(i).toStdString();
    }
}

TEST_F(LayoutFit, TheDialogsShowTheirTextsWhole)
{
    Configurator app{QCoreApplication::applicationDirPath()};
    Windows windows{app};
    test::PrepareDialogs(windows, app.protocols().ProtocolNames());
    QWidget *const dialogs[] = {&windows.about(), &windows.extEvZones(), &windows.prefixMask(),
                                &windows.saveNewProtocol(), &windows.testScheme()};
    for (QWidget *dialog : dialogs) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_EQ(clippedIn(*dialog), QStringList()) << dialog->objectName().toStdString();
        dialog->hide();
    }
    windows.progress().setMaximum(858);
    windows.progress().showProgress();
    for (int i = 0; i < 858; ++i)
        windows.progress().Step(); // "100%", the widest percentage
    EXPECT_EQ(clippedIn(windows.progress()), QStringList());
    windows.progress().closeProgress();
}
