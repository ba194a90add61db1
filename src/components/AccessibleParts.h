#pragma once

#include <QAccessible>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace sr5n {

// A part of a widget that screen readers see as an item of its own (a cell of
// a grid, a tab of a tab strip) though it has no object: it has no children,
// its parent is the widget's interface, its window the widget's.
class WidgetPartAccessible : public QAccessibleInterface
{
public:
    explicit WidgetPartAccessible(QWidget *owner) : m_owner(owner) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}

protected:
    // `local`, a rectangle of `widget`, on the screen; empty stays empty.
    static QRect onScreen(const QWidget *widget, const QRect &local);

private:
    QPointer<QWidget> m_owner;
};

// The parts of one widget, made on first use and registered with the
// toolkit (which needs them to stay while they are in use); deleted with
// this list.
class WidgetParts
{
public:
    WidgetParts() = default;
    WidgetParts(const WidgetParts &) = delete;
    WidgetParts &operator=(const WidgetParts &) = delete;
    ~WidgetParts();

    QAccessibleInterface *part(quint64 key,
                               const std::function<QAccessibleInterface *()> &make) const;
    // The key of a part made here, or -1.
    qint64 keyOf(const QAccessibleInterface *part) const;

private:
    mutable QHash<quint64, QAccessible::Id> m_ids;
};

} // namespace sr5n
