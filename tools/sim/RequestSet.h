#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace sr5n::sim {

// A set of request numbers (counted from 1), written as a comma-separated
// list of "K", "K-M" and "K-" (K and every later request), or "all".
class RequestSet
{
public:
    static std::optional<RequestSet> parse(const QString &text);
    static RequestSet all() { return RequestSet({{1, -1}}); }

    RequestSet() = default;
    bool contains(int request) const;
    bool isEmpty() const { return m_ranges.isEmpty(); }

private:
    struct Range {
        int first;
        int last; // -1: no end
    };
    explicit RequestSet(QList<Range> ranges) : m_ranges(std::move(ranges)) {}

    QList<Range> m_ranges;
};

} // namespace sr5n::sim
