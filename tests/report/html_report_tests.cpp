#include "common/Codepage.h"
#include "common/FakeNotifier.h"
#include "config/ConfigModel.h"
#include "events/EventCodeTables.h"
#include "events/EventNameLists.h"
#include "report/HtmlReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sr5n;

namespace {

// A configuration that shows every kind of item: one number of each pair in
// use, a protocol name with markup, zone codes, marks, times.
void fillKnownConfiguration(ConfigModel &config, EventCodeTables &tables)
{
    test::FakeNotifier notifier;
    SetUpEventTables(QStringLiteral(SR5N_BIN_DIR), tables, notifier);
    config.setChoiceItems(QStringLiteral("cbx1PProtocol"),
                          {QStringLiteral("Contact ID <b>жирный</b>")});
    config.setChoiceItems(QStringLiteral("cbx2PProtocol"), {QStringLiteral("4+2 & DTMF")});
    config.setChoice(QStringLiteral("cbx1PProtocol"), 0);
    config.setChoice(QStringLiteral("cbx2PProtocol"), 0);
    config.setText(QStringLiteral("edt1P1N"), QStringLiteral("8123A4567"));
    config.setFlag(QStringLiteral("chb1P1N"), true);
    config.setText(QStringLiteral("edt1P1NObjectCode"), QStringLiteral("12AB"));
    config.setText(QStringLiteral("edt1PGroupCode"), QStringLiteral("0A"));
    config.setFlag(QStringLiteral("chb1PTest"), true);
    config.setTime(QStringLiteral("dtp1PTestStart"), QTime(9, 30));
    config.setText(QStringLiteral("edt2P2N"), QStringLiteral("4951234567"));
    config.setFlag(QStringLiteral("chb2P2N"), true);
    config.setFlag(QStringLiteral("chbLineCheck"), true);
    config.setTime(QStringLiteral("dtpLineTestPeriod"), QTime(12, 0));
    tables.setSeparateCode(2, 1, QStringLiteral("3A01"));
    tables.setZoneCode(1, 1, 0, QStringLiteral("1100"));
    tables.setZoneCode(2, 2, 3, QStringLiteral("E130"));
    tables.setZoneCode(2, 2, 7, QStringLiteral("E131"));
    tables.setZoneCode(2, 2, 0, QStringLiteral("E100"));
    tables.setMark(1, EventCodeTables::Mark::HighPriority, true);
    tables.setMark(3, EventCodeTables::Mark::Mandatory, true);
}

QByteArray expectedPage()
{
    QFile file(QStringLiteral(SR5N_TEST_DATA_DIR "/report/expected_report.html"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The date line differs from run to run: compare everything else.
QByteArray withoutDateLine(QByteArray page)
{
    const qsizetype start = page.indexOf("<H3>");
    const qsizetype end = page.indexOf("</H3>");
    if (start >= 0 && end > start)
        page.remove(start + 4, end - start - 4);
    return page;
}

} // namespace

TEST(HtmlReport, WholePageMatchesTheExpectedFile)
{
    ConfigModel config;
    EventCodeTables tables;
    fillKnownConfiguration(config, tables);
    const QLocale locale(QLocale::Russian, QLocale::Russia);
    const QByteArray page =
        BuildHtmlReport(config, tables, QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)), locale);
    if (qEnvironmentVariableIsSet("SR5N_WRITE_EXPECTED")) {
        QFile out(QStringLiteral(SR5N_TEST_DATA_DIR "/report/expected_report.html"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(page);
    }
    EXPECT_EQ(withoutDateLine(page), withoutDateLine(expectedPage()));
}

TEST(HtmlReport, PageIsWindows1251WithCrLfAndEscapedWindowTexts)
{
    ConfigModel config;
    EventCodeTables tables;
    fillKnownConfiguration(config, tables);
    const QByteArray page = BuildHtmlReport(config, tables, QDateTime::currentDateTime());
    EXPECT_EQ(page.count('\n'), page.count("\r\n"));
    const QString text = FromCp1251(page);
    EXPECT_EQ(ToCp1251(text), page);
    EXPECT_TRUE(text.contains(QStringLiteral("Contact ID &lt;b&gt;жирный&lt;/b&gt;")));
    EXPECT_FALSE(text.contains(QStringLiteral("<b>")));
    EXPECT_TRUE(text.contains(QStringLiteral("4+2 &amp; DTMF")));
    EXPECT_TRUE(page.contains("charset=windows-1251"));
    EXPECT_TRUE(page.contains(
        ToCp1251(QStringLiteral("<TH COLSPAN=4>Внутренние коды событий коммуникатора</TH>"))));
    EXPECT_TRUE(page.contains(ToCp1251(
                    QStringLiteral("<TD>E100<BR />3 - E130<BR />7 - E131</TD>"))) == false);
    EXPECT_TRUE(page.contains(
        ToCp1251(QStringLiteral("<TD>2 зоны<BR />0 - E100<BR />3 - E130<BR />7 - E131</TD>"))));
    EXPECT_TRUE(page.contains("</TR><TR>"));
    EXPECT_TRUE(page.contains("<TD>&bull;</TD><TD>&ordm</TD></TR>"));
}

TEST(HtmlReport, TitleCarriesTheDateAndTime)
{
    ConfigModel config;
    EventCodeTables tables;
    const QLocale locale(QLocale::Russian, QLocale::Russia);
    const QString text = FromCp1251(
        BuildHtmlReport(config, tables, QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)), locale));
    EXPECT_TRUE(text.contains(QStringLiteral("<H3>10.12.2026 09:05:07</H3><BR />\r\n")))
        << qPrintable(text.mid(text.indexOf(QStringLiteral("<H3>")), 40));
    EXPECT_EQ(LongTimeText(QTime(9, 30), locale), QStringLiteral("09:30:00"));
}

TEST(HtmlReport, WriteReplacesOnlyAWholePageAndReportsFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.html"));
    ASSERT_TRUE(WriteHtmlReport(path, "first"));
    ASSERT_TRUE(WriteHtmlReport(path, "second"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second"));
    EXPECT_FALSE(WriteHtmlReport(dir.filePath(QStringLiteral("no/such/folder/report.html")), "x"));
}
