#include "RequestSet.h"

#include <QStringList>

namespace sr5n::sim {

std::optional<RequestSet> RequestSet::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
        return all();
    QList<Range> ranges;
    const QStringList parts = trimmed.split(QLatin1Char(','));
    for (const QString &rawPart : parts) {
        const QString part = rawPart.trimmed();
        bool ok = false;
        const qsizetype dash = part.indexOf(QLatin1Char('-'));
        if (dash < 0) {
            const int k = part.toInt(&ok);
            if (!ok || k < 1)
                return std::nullopt;
            ranges.append({k, k});
            continue;
        }
        const int first = part.left(dash).toInt(&ok);
        if (!ok || first < 1)
            return std::nullopt;
        const QString tail = part.mid(dash + 1).trimmed();
        if (tail.isEmpty()) {
            ranges.append({first, -1});
            continue;
        }
        const int last = tail.toInt(&ok);
        if (!ok || last < first)
            return std::nullopt;
        ranges.append({first, last});
    }
    return RequestSet(ranges);
}

bool RequestSet::contains(int request) const
{
    for (const Range &range : m_ranges) {
        if (request >= range.first && (range.last < 0 || request <= range.last))
            return true;
    }
    return false;
}

} // namespace sr5n::sim
