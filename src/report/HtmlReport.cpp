#include "report/HtmlReport.h"

#include "common/Codepage.h"
#include "common/Maker.h"
#include "config/ConfigModel.h"
#include "config/ConfigValues.h"
#include "config/ValueTexts.h"
#include "events/EventCodeTables.h"

#include <QSaveFile>

namespace sr5n {

namespace {

using Table = EventCodeTables::Table;
using Mark = EventCodeTables::Mark;

const QString kTableStart =
    QStringLiteral("<TABLE RULES=all ALIGN=center CELLPADDING=10 CELLSPACING=0>\n");
const QString kCodeTableStart =
    QStringLiteral("<TABLE RULES=all ALIGN=center CELLPADDING=10 CELLSPACING=0 "
                   "STYLE='text-align:center; width:80%'>\n");
const QString kTableEnd = QStringLiteral("</TABLE><BR /><BR />\n");

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Writes the page's fragments; "\n" in a fragment becomes CR LF.
class Page
{
public:
    Page(const ConfigModel &config, const QLocale &locale) : m_config(config), m_locale(locale) {}

    void add(const QString &fragment) { m_text += fragment; }

    // The label text of a value as its caption or label shows it.
    QString label(const QString &valueName, int number = 1) const
    {
        const ValueDescription *description = m_config.description(valueName);
        return description ? description->labelFor(number) : QString();
    }

    void checkItem(const QString &label, const QString &flagName)
    {
        add(QStringLiteral("<B>") + escaped(label) + QStringLiteral(":</B> ") +
            FlagStateText(m_config.flag(flagName)) + QStringLiteral("<BR />\n"));
    }

    void valueItem(const QString &labelText, const QString &value)
    {
        add(QStringLiteral("<B>") + escaped(labelText) + QStringLiteral("</B> ") + escaped(value) +
            QStringLiteral("<BR />\n"));
    }

    // The text of a value, as every view of the configuration shows it.
    QString value(const QString &name) const { return ValueDisplayText(m_config, name, m_locale); }

    // A value item labelled with the value's own label.
    void item(const QString &name, int number = 1) { valueItem(label(name, number), value(name)); }

    QString text() const { return m_text; }

private:
    const ConfigModel &m_config;
    const QLocale &m_locale;
    QString m_text;
};

QString pairName(const char *prefix, int pair, const char *rest)
{
    return QString::fromLatin1(prefix) + QString::number(pair) + QString::fromLatin1(rest);
}

QString numberName(const char *prefix, int pair, int number, const char *rest)
{
    return QString::fromLatin1(prefix) + QString::number(pair) + u'P' + QString::number(number) +
           u'N' + QString::fromLatin1(rest);
}

void writeHead(Page &page, const QDateTime &now, const QLocale &locale)
{
    page.add(QStringLiteral(
        "<HTML>\n<HEAD>\n"
        "<META HTTP-EQUIV=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n"
        "<TITLE>Конфигурация СР-5/Н</TITLE>\n"
        "</HEAD>\n"));
    page.add(QStringLiteral(
        "<STYLE>\n"
        "TABLE { width:80%; border-width:2px; border-style:ridge; text-align:left; vertical-align: "
        "middle }\n"
        "TH { FONT-SIZE: 12pt; color: #000000; font-family: Verdana, Arial, Helvetica, sans-serif; "
        "text-align:center; vertical-align: middle }\n"
        "TR { FONT-SIZE: 10pt; color: #000000; font-family: Verdana, Arial, Helvetica, sans-serif "
        "}\n"
        "TD { FONT-SIZE: 10pt; color: #000000; font-family: Verdana, Arial, Helvetica, sans-serif "
        "}\n"
        "BODY { bgcolor: #FFFFFF; FONT-SIZE: 10pt; color: #000000; text-align:center; font-family: "
        "Verdana, Arial, Helvetica, sans-serif; leftMargin=10; topMargin=0; marginheight=\"0\"; "
        "marginwidth=\"0\"}\n"
        "</STYLE>\n"));
    page.add(QStringLiteral("<BODY>\n<H2>Конфигурация СР-5/Н</H2>\n<H3>") +
             locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
             LongTimeText(now.time(), locale) + QStringLiteral("</H3><BR />\n"));
}

void writePair(Page &page, int p)
{
    page.add(kTableStart);
    page.add(QStringLiteral("<TH>") +
             (p == 1 ? QStringLiteral("Первая ") : QStringLiteral("Вторая ")) +
             QStringLiteral("пара номеров телефонов</TH>\n"));
    page.add(QStringLiteral("<TR><TD>\n"));
    page.item(pairName("cbx", p, "PProtocol"));
    page.item(pairName("edt", p, "PGroupCode"));
    page.item(pairName("trb", p, "PCallsTrialCount"));
    page.add(QStringLiteral("</TD></TR>\n"));
    for (int n = 1; n <= 2; ++n) {
        page.add(QStringLiteral("<TR><TD>\n"));
        page.checkItem(CaptionText(page.label(numberName("chb", p, n, ""), n)),
                       numberName("chb", p, n, ""));
        for (const char *check : {"CheckFree", "CheckBusy"})
            page.checkItem(CaptionText(page.label(numberName("chb", p, n, check), n)),
                           numberName("chb", p, n, check));
        page.item(numberName("edt", p, n, ""), n);
        page.item(numberName("edt", p, n, "ObjectCode"), n);
        page.item(numberName("trb", p, n, "WaitPCNReady"), n);
        page.add(QStringLiteral("</TD></TR>\n"));
    }
    page.add(QStringLiteral("<TR><TD>\n"));
    page.checkItem(CaptionText(page.label(pairName("chb", p, "PAutoReset"))),
                   pairName("chb", p, "PAutoReset"));
    page.item(pairName("trb", p, "PAutoResetTime"));
    page.checkItem(CaptionText(page.label(pairName("chb", p, "PTest"))),
                   pairName("chb", p, "PTest"));
    page.item(pairName("dtp", p, "PTestStart"));
    page.item(pairName("edt", p, "PTestCode"));
    page.item(pairName("trb", p, "PTestPeriod"));
    page.add(QStringLiteral("</TD></TR>\n"));
    page.add(kTableEnd);
}

void writeVoiceCallsPanel(Page &page)
{
    page.add(kTableStart + QStringLiteral("<TH>Голосовые сообщения</TH>\n<TR><TD>\n"));
    page.checkItem(CaptionText(page.label(QStringLiteral("chbVoiceNum"))),
                   QStringLiteral("chbVoiceNum"));
    for (const char *check : {"chbVoiceCheckFree", "chbVoiceCheckBusy"})
        page.checkItem(CaptionText(page.label(QString::fromLatin1(check))),
                       QString::fromLatin1(check));
    for (const char *value : {"edtVoiceNum", "trbVoiceWaitAnswer", "trbVoiceCallsTrialCount",
                              "trbVoicePauseBeforeCheck"})
        page.item(QString::fromLatin1(value));
    page.add(kTableEnd);

    page.add(kTableStart + QStringLiteral("<TH>Входящие звонки</TH>\n<TR><TD>\n"));
    page.checkItem(CaptionText(page.label(QStringLiteral("chbInCalls"))),
                   QStringLiteral("chbInCalls"));
    page.item(QStringLiteral("trbInCallsParam"));
    page.add(kTableEnd);

    page.add(kTableStart + QStringLiteral("<TH>ППКОП</TH>\n<TR><TD>\n"));
    page.checkItem(page.label(QStringLiteral("chbSendedEventsAfterReset")),
                   QStringLiteral("chbSendedEventsAfterReset"));
    page.item(QStringLiteral("trbPassiveDays"));
    page.item(QStringLiteral("trbPassiveHours"));
    page.add(kTableEnd);
}

void writeParameters(Page &page)
{
    page.add(kTableStart + QStringLiteral("<TH>Параметры</TH>\n<TR><TD>"));
    QString groupTitle;
    for (const GroupDescription &group : ConfigGroupDescriptions())
        if (group.rest == QLatin1String("Params"))
            groupTitle = group.title;
    page.add(QStringLiteral("<B>") + escaped(CaptionText(groupTitle)) + QStringLiteral("</B>\n"));
    for (const char *slider :
         {"trbSesansLength", "trbPauseLength", "trbImpulsePeriod", "trbSilenceLevel"})
        page.item(QString::fromLatin1(slider));
    const QString lineFreq = QStringLiteral("rgpLineFreq");
    page.add(QStringLiteral("<B>") + escaped(CaptionText(page.label(lineFreq))) +
             QStringLiteral(":</B> ") + escaped(page.value(lineFreq)) + QStringLiteral("<BR />\n"));
    page.add(QStringLiteral("</TD></TR><TR><TD>\n"));
    page.checkItem(page.label(QStringLiteral("chbLineCheck")), QStringLiteral("chbLineCheck"));
    page.checkItem(page.label(QStringLiteral("chbLineTestCheckNoise")),
                   QStringLiteral("chbLineTestCheckNoise"));
    page.item(QStringLiteral("dtpLineTestStart"));
    page.item(QStringLiteral("dtpLineTestPeriod"));
    page.item(QStringLiteral("trbTestsBeforeFault"));
    page.add(QStringLiteral("</TD></TR></TABLE><BR /><BR />\n"));
}

QString cell(const QString &text, bool bold = false, const QString &attributes = QString())
{
    const QString open =
        attributes.isEmpty() ? QStringLiteral("<TD>") : QStringLiteral("<TD ") + attributes + u'>';
    return bold ? open + QStringLiteral("<B>") + escaped(text) + QStringLiteral("</B></TD>")
                : open + escaped(text) + QStringLiteral("</TD>");
}

void writeInternalCodes(Page &page, const EventCodeTables &tables)
{
    const QStringList separateHeaders = EventCodeTables::columnHeaders(Table::Separate);
    page.add(kCodeTableStart);
    page.add(QStringLiteral("<TH COLSPAN=") + QString::number(separateHeaders.size()) + u'>' +
             escaped(EventCodeTables::internalTitle()) + QStringLiteral("</TH>\n"));
    page.add(QStringLiteral("<TR>"));
    for (const QString &header : separateHeaders)
        page.add(cell(header, true));
    page.add(QStringLiteral("</TR>\n"));
    for (int r = 1; r <= tables.rowCount(Table::Separate); ++r) {
        const EventRow row = tables.row(Table::Separate, r);
        page.add(QStringLiteral("<TR>") + cell(row.displayNumber) + cell(row.name) +
                 cell(tables.separateCode(r, 1)) + cell(tables.separateCode(r, 2)) +
                 QStringLiteral("</TR>\n"));
    }
    const QStringList commonHeaders = EventCodeTables::columnHeaders(Table::Common);
    const QString span = QStringLiteral("COLSPAN=2");
    page.add(QStringLiteral("<TR></TR><TR>") + cell(commonHeaders[0], true) +
             cell(commonHeaders[1], true) + cell(commonHeaders[2], true, span) +
             QStringLiteral("</TR>\n"));
    for (int r = 1; r <= tables.rowCount(Table::Common); ++r) {
        const EventRow row = tables.row(Table::Common, r);
        page.add(QStringLiteral("<TR>") + cell(row.displayNumber) + cell(row.name) +
                 cell(tables.commonCode(r), false, span) + QStringLiteral("</TR>\n"));
    }
    page.add(kTableEnd);
}

void writeExternalCodes(Page &page, const EventCodeTables &tables)
{
    const QStringList headers = EventCodeTables::columnHeaders(Table::External);
    page.add(kCodeTableStart);
    page.add(QStringLiteral("<TH COLSPAN=") + QString::number(headers.size()) + u'>' +
             escaped(EventCodeTables::externalTitle()) + QStringLiteral("</TH>\n"));
    page.add(QStringLiteral("<TR>"));
    for (const QString &header : headers)
        page.add(cell(header, true));
    page.add(QStringLiteral("</TR>\n"));
    for (int r = 1; r <= tables.rowCount(Table::External); ++r) {
        const EventRow row = tables.row(Table::External, r);
        QString line = QStringLiteral("<TR>") + cell(row.displayNumber) + cell(row.name);
        for (int pair = 1; pair <= 2; ++pair) {
            const ZoneSummary summary = tables.zoneSummary(r, pair);
            line += QStringLiteral("<TD>") + escaped(summary.text);
            if (summary.tag != 0) {
                const QStringList zones = tables.zoneCodes(r, pair);
                for (int zone = 0; zone < zones.size(); ++zone)
                    if (zones[zone] != QLatin1String("0000"))
                        line += QStringLiteral("<BR />") + QString::number(zone) +
                                QStringLiteral(" - ") + escaped(zones[zone]);
            }
            line += QStringLiteral("</TD>");
        }
        for (const Mark mark : {Mark::HighPriority, Mark::Mandatory})
            line += tables.mark(r, mark) ? QStringLiteral("<TD>&bull;</TD>")
                                         : QStringLiteral("<TD>&ordm</TD>");
        page.add(line + QStringLiteral("</TR>"));
    }
    page.add(kTableEnd);
}

void writeFooter(Page &page)
{
    page.add(escaped(MakerName()) + QStringLiteral("<BR>\n"));
    page.add(QStringLiteral("<A HREF=\"http://") + MakerWebSite() +
             QStringLiteral("/\" TARGET=_blank>") + MakerWebSite() + QStringLiteral("</A><BR>\n"));
    page.add(QStringLiteral("<A HREF=\"mailto:") + MakerEmail() +
             QStringLiteral("\" TARGET=_blank>") + MakerEmail() + QStringLiteral("</A><BR>\n"));
    page.add(QStringLiteral("</BODY>\n</HTML>\n"));
}

} // namespace

QByteArray BuildHtmlReport(const ConfigModel &config, const EventCodeTables &tables,
                           const QDateTime &now, const QLocale &locale)
{
    Page page(config, locale);
    writeHead(page, now, locale);
    writePair(page, 1);
    writePair(page, 2);
    writeVoiceCallsPanel(page);
    writeParameters(page);
    writeInternalCodes(page, tables);
    writeExternalCodes(page, tables);
    writeFooter(page);
    QString text = page.text();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return ToCp1251(text);
}

bool WriteHtmlReport(const QString &path, const QByteArray &page)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(page) != page.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace sr5n
