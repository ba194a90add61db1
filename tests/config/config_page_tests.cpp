#include "common/FakeNotifier.h"
#include "components/FieldGuard.h"
#include "config/ConfigModel.h"
#include "ui/config/CaptionClick.h"
#include "ui/config/PairPage.h"
#include "ui/config/ParametersPage.h"
#include "ui/config/VoicePage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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

    template <typename T> T *find(const char *name) const
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

void paste(QLineEdit *field, const QString &text)
{
    QApplication::clipboard()->setText(text);
    field->paste();
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
        if (name.startsWith(u"sbtPM") || name.contains(u"Protocol_Test") || name == u"edtPrefix")
            continue;
        if (name.startsWith(u"chbObject") || name.startsWith(u"chbEvent") ||
            name.startsWith(u"chbGroup") || name.startsWith(u"chbZone"))
            continue;
        EXPECT_NE(p.find<QWidget>(qPrintable(name)), nullptr) << qPrintable(name);
    }
}

TEST(ConfigPages, StartUpStateIsShownAndFollowsTheModel)
{
    Pages p;
    EXPECT_FALSE(p.find<QWidget>("gbx1P1N")->isEnabled());
    EXPECT_FALSE(p.find<QLineEdit>("edt2P2N")->isEnabled());
    EXPECT_FALSE(p.find<QLabel>("stt1PTest")->isEnabled());
    EXPECT_FALSE(p.find<QCheckBox>("chb2PAutoReset")->isEnabled());
    EXPECT_TRUE(p.find<QCheckBox>("chb2PAutoReset")->isChecked());
    EXPECT_TRUE(p.find<QCheckBox>("chb1P2N")->isEnabled());
    EXPECT_FALSE(p.find<QSlider>("trbVoiceWaitAnswer")->isEnabled());
    EXPECT_FALSE(p.find<QTimeEdit>("dtpLineTestPeriod")->isEnabled());
    EXPECT_TRUE(p.find<QSlider>("trbSilenceLevel")->isEnabled());
    EXPECT_EQ(p.find<QSlider>("trbSilenceLevel")->maximum(), -24);
    EXPECT_EQ(p.find<QLabel>("sttSilenceLevel")->text(), QStringLiteral("-35 дБм"));
    EXPECT_EQ(p.find<QLabel>("stt2PCallsTrialCount")->text(), QStringLiteral("20 "));
    EXPECT_EQ(p.find<QLineEdit>("edt1P1N")->toolTip().count(u'\n'), 3);
    EXPECT_EQ(p.find<QLabel>("lbl1P2NWaitPCNReady")->text(),
              QStringLiteral("Время ожидания сигнала готовности от ПЦН:"));
    EXPECT_EQ(p.find<QLabel>("stt2P2N")->text(), QStringLiteral("Второй номер телефона "));

    // A decoder's changes reach the widgets as a user's would.
    p.model.setFlag(QStringLiteral("chb2P1N"), true);
    p.model.setFlag(QStringLiteral("chb2PTest"), true);
    p.model.setSlider(QStringLiteral("trb2PTestPeriod"), 99);
    p.model.setSlider(QStringLiteral("trbPassiveDays"), 0);
    p.model.setText(QStringLiteral("edt2P1NObjectCode"), QStringLiteral("beef"));
    EXPECT_TRUE(p.find<QCheckBox>("chb2P1N")->isChecked());
    EXPECT_TRUE(p.find<QLineEdit>("edt2P1N")->isEnabled());
    EXPECT_TRUE(p.find<QWidget>("gbx2P")->isEnabled());
    EXPECT_TRUE(p.find<QSlider>("trb2PTestPeriod")->isEnabled());
    EXPECT_EQ(p.find<QLabel>("stt2PTestPeriod")->text(), QStringLiteral("24 ч"));
    EXPECT_EQ(p.find<QSlider>("trbPassiveHours")->minimum(), 1);
    EXPECT_EQ(p.find<QLabel>("sttPassiveHours")->text(), QStringLiteral("1 ч"));
    EXPECT_EQ(p.find<QLineEdit>("edt2P1NObjectCode")->text(), QStringLiteral("BEEF"));
}

TEST(ConfigPages, UserEditsReachTheModel)
{
    Pages p;
    p.find<QSlider>("trbPassiveDays")->setValue(0);
    EXPECT_EQ(p.model.slider(QStringLiteral("trbPassiveHours")), 1);
    EXPECT_EQ(p.find<QSlider>("trbPassiveHours")->value(), 1);

    QTimeEdit *period = p.find<QTimeEdit>("dtpLineTestPeriod");
    period->setTime(QTime(1, 0));
    period->setTime(QTime(0, 0));
    EXPECT_EQ(p.model.time(QStringLiteral("dtpLineTestPeriod")), QTime(0, 1));
    EXPECT_EQ(period->time(), QTime(0, 1));
    period->setTime(QTime(0, 0)); // the model already holds 00:01: the picker is put back
    EXPECT_EQ(period->time(), QTime(0, 1));

    auto *freq = p.find<QWidget>("rgpLineFreq");
    freq->findChildren<QAbstractButton *>().at(2)->click();
    EXPECT_EQ(p.model.choice(QStringLiteral("rgpLineFreq")), 2);
}

TEST(ConfigPages, CaptionClicksActLikeClicksOnTheBox)
{
    Pages p;
    QLabel *caption = p.find<QLabel>("stt1P2N");
    CaptionClicked(caption);
    EXPECT_TRUE(p.model.flag(QStringLiteral("chb1P2N")));
    EXPECT_TRUE(p.find<QWidget>("gbx1P2N")->isEnabled());
    EXPECT_TRUE(p.find<QLabel>("stt1PTest")->isEnabled());

    // A disabled caption does nothing.
    CaptionClicked(p.find<QLabel>("stt2PTest"));
    EXPECT_FALSE(p.model.flag(QStringLiteral("chb2PTest")));
    // Neither does anything that is not a static text, or has no box.
    CaptionClicked(p.find<QCheckBox>("chb1PTest"));
    CaptionClicked(p.find<QLabel>("lbl1PGroupCode"));
    EXPECT_FALSE(p.model.flag(QStringLiteral("chb1PTest")));

    // A real mouse click on the caption toggles it back.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), caption->mapToGlobal(QPointF(3, 3)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                        caption->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(caption, &press);
    QApplication::sendEvent(caption, &release);
    EXPECT_FALSE(p.model.flag(QStringLiteral("chb1P2N")));
    EXPECT_FALSE(p.find<QWidget>("gbx1P")->isEnabled());
}

TEST(ConfigPages, KeyFilterOfPhoneAndCodeFields)
{
    Pages p;
    p.model.setFlag(QStringLiteral("chb1P1N"), true);
    QLineEdit *phone = p.find<QLineEdit>("edt1P1N");
    QLineEdit *code = p.find<QLineEdit>("edt1P1NObjectCode");
    code->clear();
    const struct {
        Qt::Key key;
        const char *text;
        const char *phone;
        const char *code;
    } cases[] = {
        {Qt::Key_X, "x", "", ""},
        {Qt::Key_NumberSign, "#", "", ""},
        {Qt::Key_Asterisk, "*", "", ""},
        {Qt::Key_B, "b", "B", "B"},
        {Qt::Key_E, "e", "B", "BE"},
        {Qt::Key_7, "7", "B7", "BE7"},
        {Qt::Key_Z, "\x1a", "B7", "BE7"}, // Ctrl+Z types no allowed character
        {Qt::Key_Backspace, "\b", "B", "BE"},
    };
    for (const auto &c : cases) {
        typeInto(phone, c.key, QString::fromLatin1(c.text));
        typeInto(code, c.key, QString::fromLatin1(c.text));
        EXPECT_EQ(phone->text(), QString::fromLatin1(c.phone)) << c.text;
        EXPECT_EQ(code->text(), QString::fromLatin1(c.code)) << c.text;
    }
    EXPECT_EQ(p.model.text(QStringLiteral("edt1P1N")), QStringLiteral("B"));
    EXPECT_EQ(p.model.text(QStringLiteral("edt1P1NObjectCode")), QStringLiteral("BE"));

    // Enter validates: a code is padded at once.
    typeInto(code, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(code->text(), QStringLiteral("00BE"));
    EXPECT_TRUE(p.notifier.errors.isEmpty());
}

TEST(ConfigPages, TypedCharacterOfKeyEvents)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *text;
        int typed; // -1: types nothing, never filtered
    } cases[] = {
        {Qt::Key_B, Qt::NoModifier, "b", 'b'},        {Qt::Key_V, Qt::ControlModifier, "\x16", 22},
        {Qt::Key_C, Qt::ControlModifier, "\x03", 3},  {Qt::Key_X, Qt::ControlModifier, "\x18", 24},
        {Qt::Key_A, Qt::ControlModifier, "\x01", 1},  {Qt::Key_Backspace, Qt::NoModifier, "\b", 8},
        {Qt::Key_Return, Qt::NoModifier, "\r", 13},   {Qt::Key_Enter, Qt::KeypadModifier, "\r", 13},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", -1}, {Qt::Key_Escape, Qt::NoModifier, "\x1b", -1},
        {Qt::Key_Tab, Qt::NoModifier, "\t", -1},      {Qt::Key_Left, Qt::NoModifier, "", -1},
    };
    for (const auto &c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
        const std::optional<QChar> typed = TypedCharacter(event);
        EXPECT_EQ(typed ? int(typed->unicode()) : -1, c.typed) << int(c.key);
    }
}

TEST(ConfigPages, PastedCharacterOutsideTheSetIsReportedOnceAndUndone)
{
    Pages p;
    p.model.setFlag(QStringLiteral("chb2P2N"), true);
    QLineEdit *code = p.find<QLineEdit>("edt2P2NObjectCode");
    code->clear();
    typeInto(code, Qt::Key_1, QStringLiteral("1"));
    typeInto(code, Qt::Key_2, QStringLiteral("2"));
    paste(code, QStringLiteral("G5"));
    EXPECT_EQ(code->text(), QStringLiteral("12G5"));
    EXPECT_EQ(p.model.text(QStringLiteral("edt2P2NObjectCode")), QStringLiteral("12"));
    leave(code);
    EXPECT_EQ(p.notifier.errors,
              QStringList{QStringLiteral("В поле присутствуют недопустимые символы")});
    EXPECT_EQ(code->text(), QStringLiteral("0012"));
    EXPECT_EQ(p.model.text(QStringLiteral("edt2P2NObjectCode")), QStringLiteral("0012"));

    // Phone fields are checked when left too; the model never holds the pasted character.
    QLineEdit *phone = p.find<QLineEdit>("edt2P2N");
    typeInto(phone, Qt::Key_5, QStringLiteral("5"));
    paste(phone, QStringLiteral("+7"));
    EXPECT_EQ(p.model.text(QStringLiteral("edt2P2N")), QStringLiteral("5"));
    leave(phone);
    EXPECT_EQ(p.notifier.errors.size(), 2);
    EXPECT_EQ(phone->text(), QStringLiteral("5"));
    EXPECT_TRUE(p.model.flag(QStringLiteral("chb2P2N")));

    // Two pastes that were never checked: what the undo leaves is cleaned too.
    paste(phone, QStringLiteral("*1"));
    paste(phone, QStringLiteral("#2"));
    typeInto(phone, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(p.notifier.errors.size(), 3);
    EXPECT_EQ(phone->text(), QStringLiteral("51"));
    EXPECT_EQ(p.model.text(QStringLiteral("edt2P2N")), QStringLiteral("51"));
}

TEST(ConfigPages, LeavingFieldsPadsCodesAndSwitchesEmptyNumbersOff)
{
    Pages p;
    p.model.setFlag(QStringLiteral("chb1P1N"), true);
    p.model.setFlag(QStringLiteral("chb1P2N"), true);
    p.model.setFlag(QStringLiteral("chb1PTest"), true);

    QLineEdit *testCode = p.find<QLineEdit>("edt1PTestCode");
    testCode->setText(QStringLiteral("7"));
    leave(testCode);
    EXPECT_EQ(p.model.text(QStringLiteral("edt1PTestCode")), QStringLiteral("0007"));
    QLineEdit *groupCode = p.find<QLineEdit>("edt1PGroupCode");
    groupCode->clear();
    leave(groupCode);
    EXPECT_EQ(groupCode->text(), QStringLiteral("00"));

    // An empty first number switches off; the second keeps the pair active.
    leave(p.find<QLineEdit>("edt1P1N"));
    EXPECT_FALSE(p.model.flag(QStringLiteral("chb1P1N")));
    EXPECT_FALSE(p.find<QCheckBox>("chb1P1N")->isChecked());
    EXPECT_FALSE(p.find<QWidget>("edt1P1NObjectCode")->isEnabled());
    EXPECT_TRUE(p.find<QWidget>("cbx1PProtocol")->isEnabled());

    // The second one empty too: the pair, its test message and automatic reset go off.
    QLineEdit *second = p.find<QLineEdit>("edt1P2N");
    leave(second);
    EXPECT_FALSE(p.find<QWidget>("cbx1PProtocol")->isEnabled());
    EXPECT_FALSE(p.find<QWidget>("chb1PTest")->isEnabled());
    EXPECT_FALSE(p.find<QWidget>("dtp1PTestStart")->isEnabled());
    EXPECT_FALSE(p.find<QWidget>("trb1PAutoResetTime")->isEnabled());
    EXPECT_TRUE(p.model.flag(QStringLiteral("chb1PTest")));

    // Switching number 1 on again, with the test flag still on, enables the test group.
    p.find<QCheckBox>("chb1P1N")->click();
    EXPECT_TRUE(p.find<QWidget>("dtp1PTestStart")->isEnabled());

    // Leaving the voice number empty switches it off as well.
    p.find<QCheckBox>("chbVoiceNum")->click();
    leave(p.find<QLineEdit>("edtVoiceNum"));
    EXPECT_FALSE(p.model.flag(QStringLiteral("chbVoiceNum")));
    EXPECT_FALSE(p.find<QWidget>("trbVoiceWaitAnswer")->isEnabled());
    EXPECT_TRUE(p.notifier.errors.isEmpty());
}

TEST(ConfigPages, CommandsThatKeepTheFocusAwayStillSeeTheFieldLeft)
{
    Pages p;
    p.model.setFlag(QStringLiteral("chb1P2N"), true);
    QWidget *page = p.pages[0].get();
    page->activateWindow();
    QApplication::setActiveWindow(page);
    QLineEdit *code = p.find<QLineEdit>("edt1P2NObjectCode");
    code->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), code);
    code->setText(QStringLiteral("5"));
    LeaveFocusedField();
    EXPECT_EQ(p.model.text(QStringLiteral("edt1P2NObjectCode")), QStringLiteral("0005"));

    QLineEdit *phone = p.find<QLineEdit>("edt1P2N");
    phone->setFocus();
    LeaveFocusedField();
    EXPECT_FALSE(p.model.flag(QStringLiteral("chb1P2N")));
}
