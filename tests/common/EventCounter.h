#pragma once

#include <QEvent>
#include <QObject>

namespace sr5n::test {

// Counts the events of one type that reach the objects it watches.
class EventCounter final : public QObject
{
public:
    explicit EventCounter(QEvent::Type type) : m_type(type) {}

    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++count;
        return false;
    }

private:
    QEvent::Type m_type;
};

} // namespace sr5n::test
