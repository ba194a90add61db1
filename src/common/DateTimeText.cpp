#include "common/DateTimeText.h"

#include <QRegularExpression>

namespace sr5n::DateTimeText {

namespace {

QChar firstSeparator(const QString &qtFormat, QChar fallback)
{
    bool quoted = false;
    for (QChar c : qtFormat) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

// Literal text waits here until the next format letter, then goes out as one
// quoted run (adjacent quoted runs would read as an escaped quote).
class FormatWriter
{
public:
    void literal(QChar c) { m_pending += c; }
    void token(const QString &qtToken)
    {
        flush();
        m_out += qtToken;
    }
    QString result()
    {
        flush();
        return m_out;
    }

private:
    void flush()
    {
        if (m_pending.isEmpty())
            return;
        bool needsQuotes = false;
        for (QChar c : m_pending)
            needsQuotes = needsQuotes || c.isLetter() || c == u'\'';
        if (needsQuotes)
            m_out += u'\'' + QString(m_pending).replace(u'\'', QStringLiteral("''")) + u'\'';
        else
            m_out += m_pending;
        m_pending.clear();
    }

    QString m_out;
    QString m_pending;
};

int runLength(const QString &text, qsizetype at, QChar letter)
{
    int n = 0;
    while (at + n < text.size() && text.at(at + n).toLower() == letter)
        ++n;
    return n;
}

// Two-digit years fall into the century window that ends 50 years from now.
int fullYear(const QString &digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    const int now = QDate::currentDate().year();
    int result = now - now % 100 + year;
    if (result > now + 50)
        result -= 100;
    else if (result <= now - 50)
        result += 100;
    return result;
}

QString separatorClass(QChar sep, const QString &extra)
{
    return QStringLiteral("[") + QRegularExpression::escape(QString(sep) + extra) +
           QStringLiteral("]");
}

} // namespace

QString defaultFormat(TDateTimeKind kind)
{
    return kind == dtkTime ? QStringLiteral("h:nn:ss") : QStringLiteral("dd/mm/yyyy");
}

QChar dateSeparator(const QLocale &locale)
{
    return firstSeparator(locale.dateFormat(QLocale::ShortFormat), u'/');
}

QChar timeSeparator(const QLocale &locale)
{
    return firstSeparator(locale.timeFormat(QLocale::ShortFormat), u':');
}

QString toQtFormat(const QString &format, const QLocale &locale)
{
    FormatWriter out;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        const QChar lower = c.toLower();
        if (c == u'"' || c == u'\'') {
            qsizetype end = format.indexOf(c, i + 1);
            if (end < 0)
                end = format.size();
            for (qsizetype k = i + 1; k < end; ++k)
                out.literal(format.at(k));
            i = end + 1;
            continue;
        }
        if (c == u'/') {
            out.literal(dateSeparator(locale));
            ++i;
            continue;
        }
        if (c == u':') {
            out.literal(timeSeparator(locale));
            ++i;
            continue;
        }
        if (format.mid(i, 5).compare(QStringLiteral("am/pm"), Qt::CaseInsensitive) == 0) {
            out.token(QStringLiteral("AP"));
            i += 5;
            continue;
        }
        if (format.mid(i, 3).compare(QStringLiteral("a/p"), Qt::CaseInsensitive) == 0) {
            out.token(QStringLiteral("ap"));
            i += 3;
            continue;
        }
        const int n = runLength(format, i, lower);
        if (lower == u'd') {
            if (n >= 6)
                out.token(locale.dateFormat(QLocale::LongFormat));
            else if (n == 5)
                out.token(locale.dateFormat(QLocale::ShortFormat));
            else
                out.token(QString(n, u'd'));
            afterHour = false;
        } else if (lower == u'm') {
            if (afterHour && n <= 2)
                out.token(QString(n, u'm'));
            else
                out.token(QString(qMin(n, 4), u'M'));
            afterHour = false;
        } else if (lower == u'n') {
            out.token(QString(qMin(n, 2), u'm'));
        } else if (lower == u'y') {
            out.token(n > 2 ? QStringLiteral("yyyy") : QStringLiteral("yy"));
            afterHour = false;
        } else if (lower == u'h') {
            out.token(QString(qMin(n, 2), u'h'));
            afterHour = true;
        } else if (lower == u's') {
            out.token(QString(qMin(n, 2), u's'));
        } else if (lower == u'z') {
            out.token(n >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"));
        } else if (lower == u't') {
            out.token(locale.timeFormat(n >= 2 ? QLocale::LongFormat : QLocale::ShortFormat));
        } else if (lower == u'c') {
            out.token(locale.dateFormat(QLocale::ShortFormat) + u' ' +
                      locale.timeFormat(QLocale::LongFormat));
        } else {
            for (int k = 0; k < n; ++k)
                out.literal(format.at(i + k));
        }
        i += n;
    }
    return out.result();
}

QString format(const QDateTime &value, const QString &fmt, TDateTimeKind kind,
               const QLocale &locale)
{
    const QString used = fmt.isEmpty() ? defaultFormat(kind) : fmt;
    return locale.toString(value, toQtFormat(used, locale));
}

std::optional<QDateTime> read(const QString &text, TDateTimeKind kind, const QLocale &locale)
{
    if (kind == dtkTime) {
        const QString sep = separatorClass(timeSeparator(locale), QStringLiteral(":."));
        const QRegularExpression re(
            QStringLiteral("^\\s*(\\d{1,2})\\s*%1\\s*(\\d{1,2})(?:\\s*%1\\s*(\\d{1,2})"
                           "(?:[.,](\\d{1,3}))?)?\\s*(am|pm|a|p)?\\s*$")
                .arg(sep),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        int hour = m.captured(1).toInt();
        const QString half = m.captured(5).toLower();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour %= 12;
            if (half.startsWith(u'p'))
                hour += 12;
        }
        const QTime time(hour, m.captured(2).toInt(), m.captured(3).toInt(),
                         m.captured(4).leftJustified(3, u'0').toInt());
        if (!time.isValid())
            return std::nullopt;
        return QDateTime(zeroDate().date(), time);
    }

    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype posD = shortFormat.indexOf(u'd');
    const qsizetype posM = shortFormat.indexOf(u'M');
    const qsizetype posY = shortFormat.indexOf(u'y');
    const QString sep = separatorClass(dateSeparator(locale), QStringLiteral("/.-"));
    const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,4})\\s*%1\\s*(\\d{1,4})(?:\\s*%1\\s*(\\d{1,4}))?\\s*$")
            .arg(sep));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QStringList parts{m.captured(1), m.captured(2)};
    if (!m.captured(3).isEmpty())
        parts << m.captured(3);

    // Order of the parts as the locale writes them; a missing year is this year.
    struct Field {
        qsizetype pos;
        char name;
    };
    std::vector<Field> order{{posD < 0 ? 0 : posD, 'd'}, {posM < 0 ? 1 : posM, 'm'}};
    if (parts.size() == 3)
        order.push_back({posY < 0 ? 2 : posY, 'y'});
    std::sort(order.begin(), order.end(),
              [](const Field &a, const Field &b) { return a.pos < b.pos; });
    int day = 0;
    int month = 0;
    int year = QDate::currentDate().year();
    for (size_t k = 0; k < order.size(); ++k) {
        const QString &part = parts.at(qsizetype(k));
        if (order[k].name == 'd')
            day = part.toInt();
        else if (order[k].name == 'm')
            month = part.toInt();
        else
            year = fullYear(part);
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(0, 0));
}

QDateTime zeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QDateTime lastDate()
{
    return QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999));
}

} // namespace sr5n::DateTimeText
