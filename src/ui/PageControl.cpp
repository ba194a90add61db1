#include "ui/PageControl.h"

#include "components/AccessibleParts.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QVBoxLayout>

#include <utility>

namespace sr5n {

// The rows of tabs above the pages: lays the tabs out in as many rows as they
// need, stretches each row to the full width, and paints them with the style.
// It takes the focus like the page control of the desktop: the arrow keys,
// Home and End then choose the page.
class TabRows final : public QWidget
{
public:
    explicit TabRows(PageControl *owner) : QWidget(owner), m_owner(owner)
    {
        setObjectName(QStringLiteral("tabStrip"));
        setMouseTracking(true);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        setFocusPolicy(Qt::StrongFocus);
    }

    void addTab(const QString &text)
    {
        m_texts.append(text);
        relayout();
    }
    QString text(int index) const { return m_texts.value(index); }
    int count() const { return int(m_texts.size()); }
    int rowCount() const { return m_rowCount; }
    QRect tabRect(int index) const { return m_rects.value(index); }

    QSize sizeHint() const override { return {400, m_rowCount * rowHeight()}; }
    int heightForWidth(int width) const override { return rowsFor(width) * rowHeight(); }
    bool hasHeightForWidth() const override { return true; }

protected:
    void resizeEvent(QResizeEvent *) override { relayout(); }

    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        const int current = m_owner->currentIndex();
        for (int i = 0; i < m_rects.size(); ++i) {
            QStyleOptionTab option;
            option.initFrom(this);
            option.rect = m_rects[i];
            option.text = m_texts[i];
            option.shape = QTabBar::RoundedNorth;
            option.position = QStyleOptionTab::Middle;
            option.state &=
                ~(QStyle::State_Selected | QStyle::State_MouseOver | QStyle::State_HasFocus);
            if (i == current)
                option.state |= QStyle::State_Selected;
            if (i == m_hover)
                option.state |= QStyle::State_MouseOver;
            painter.drawControl(QStyle::CE_TabBarTab, option);
            if (i == current && hasFocus()) {
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = m_rects[i].adjusted(4, 3, -4, -3);
                painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
            }
        }
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
            event->ignore();
            return;
        }
        const int current = m_owner->currentIndex();
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            m_owner->setCurrentIndex(std::max(current - 1, 0));
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            m_owner->setCurrentIndex(std::min(current + 1, count() - 1));
            break;
        case Qt::Key_Home:
            m_owner->setCurrentIndex(0);
            break;
        case Qt::Key_End:
            m_owner->setCurrentIndex(count() - 1);
            break;
        default:
            event->ignore();
            return;
        }
        event->accept();
    }

    void focusInEvent(QFocusEvent *) override { update(); }
    void focusOutEvent(QFocusEvent *) override { update(); }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const int index = tabAt(event->position().toPoint());
        if (index >= 0)
            m_owner->setCurrentIndex(index);
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        setHover(tabAt(event->position().toPoint()));
    }
    void leaveEvent(QEvent *) override { setHover(-1); }

private:
    int rowHeight() const { return fontMetrics().height() + 10; }
    int tabWidth(int index) const { return fontMetrics().horizontalAdvance(m_texts[index]) + 28; }

    int rowsFor(int width) const
    {
        int rows = m_texts.isEmpty() ? 0 : 1;
        int x = 0;
        for (int i = 0; i < m_texts.size(); ++i) {
            const int w = tabWidth(i);
            if (x > 0 && x + w > width) {
                ++rows;
                x = 0;
            }
            x += w;
        }
        return rows;
    }

    void relayout()
    {
        const int width = std::max(this->width(), 1);
        m_rects.clear();
        QList<QList<int>> rows;
        int x = 0;
        for (int i = 0; i < m_texts.size(); ++i) {
            const int w = tabWidth(i);
            if (rows.isEmpty() || (x > 0 && x + w > width)) {
                rows.append(QList<int>());
                x = 0;
            }
            rows.last().append(i);
            x += w;
        }
        m_rects.resize(m_texts.size());
        const int h = rowHeight();
        for (int r = 0; r < rows.size(); ++r) {
            int natural = 0;
            for (int i : rows[r])
                natural += tabWidth(i);
            // Stretch every row to the full width, spreading the spare pixels.
            const int spare = std::max(0, width - natural);
            int left = 0;
            for (int k = 0; k < rows[r].size(); ++k) {
                const int i = rows[r][k];
                const int extra = spare * (k + 1) / rows[r].size() - spare * k / rows[r].size();
                const int w = tabWidth(i) + extra;
                m_rects[i] = QRect(left, r * h, w, h);
                left += w;
            }
        }
        if (m_rowCount != rows.size()) {
            m_rowCount = static_cast<int>(rows.size());
            setFixedHeight(m_rowCount * h);
            updateGeometry();
        }
        update();
    }

    int tabAt(const QPoint &point) const
    {
        for (int i = 0; i < m_rects.size(); ++i)
            if (m_rects[i].contains(point))
                return i;
        return -1;
    }

    void setHover(int index)
    {
        if (m_hover != index) {
            m_hover = index;
            update();
        }
    }

    PageControl *m_owner;
    QStringList m_texts;
    QList<QRect> m_rects;
    int m_rowCount = 0;
    int m_hover = -1;
};

namespace {

// One tab of the strip for screen readers: a page tab named by its caption,
// selected while its page is shown, pressed to show it.
class TabAccessible final : public WidgetPartAccessible, public QAccessibleActionInterface
{
public:
    TabAccessible(TabRows *tabs, PageControl *owner, int index)
        : WidgetPartAccessible(tabs), m_tabs(tabs), m_owner(owner), m_index(index)
    {
    }

    bool isValid() const override { return m_tabs && m_owner && m_index < m_tabs->count(); }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && m_tabs ? m_tabs->text(m_index) : QString();
    }
    QRect rect() const override
    {
        return m_tabs ? onScreen(m_tabs, m_tabs->tabRect(m_index)) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        const bool current = m_owner->currentIndex() == m_index;
        s.selectable = true;
        s.selected = current;
        s.focusable = true;
        s.focused = current && m_tabs->hasFocus();
        s.invisible = !m_tabs->isVisible();
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && isValid())
            m_owner->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<TabRows> m_tabs;
    QPointer<PageControl> m_owner;
    int m_index;
};

// The strip for screen readers: a page tab list named by the page shown,
// with one page tab per page.
class TabStripAccessible final : public QAccessibleWidget
{
public:
    TabStripAccessible(TabRows *tabs, PageControl *owner)
        : QAccessibleWidget(tabs, QAccessible::PageTabList), m_owner(owner)
    {
    }

    TabRows *tabs() const { return static_cast<TabRows *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty() && m_owner)
            return tabs()->text(m_owner->currentIndex());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return tabs()->count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= tabs()->count() || !m_owner)
            return nullptr;
        return m_tabs.part(quint64(index),
                           [this, index] { return new TabAccessible(tabs(), m_owner, index); });
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(m_tabs.keyOf(child));
    }

private:
    QPointer<PageControl> m_owner;
    WidgetParts m_tabs;
};

QAccessibleInterface *tabStripFactory(const QString &, QObject *object)
{
    auto *tabs = dynamic_cast<TabRows *>(object);
    auto *owner = tabs ? qobject_cast<PageControl *>(tabs->parentWidget()) : nullptr;
    return owner ? new TabStripAccessible(tabs, owner) : nullptr;
}

} // namespace

PageControl::PageControl(QWidget *parent)
    : QWidget(parent), m_tabs(new TabRows(this)), m_stack(new QStackedWidget(this))
{
    m_stack->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    static const bool accessible = [] {
        QAccessible::installFactory(&tabStripFactory);
        return true;
    }();
    Q_UNUSED(accessible);
}

int PageControl::addPage(QWidget *page, const QString &caption)
{
    const int index = m_stack->addWidget(page);
    m_makers.resize(std::size_t(count()));
    m_tabs->addTab(caption);
    return index;
}

int PageControl::addPage(std::function<QWidget *(QWidget *)> make, const QString &caption)
{
    // An empty stand-in holds the place until the page is built.
    auto *standIn = new QWidget(m_stack);
    const int index = m_stack->addWidget(standIn);
    m_makers.resize(std::size_t(count()));
    m_makers[std::size_t(index)] = std::move(make);
    m_tabs->addTab(caption);
    if (index == currentIndex())
        page(index);
    return index;
}

bool PageControl::isBuilt(int index) const
{
    return index >= 0 && index < count() && !m_makers[std::size_t(index)];
}

QWidget *PageControl::page(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    auto &make = m_makers[std::size_t(index)];
    if (make) {
        const auto build = std::exchange(make, nullptr);
        QWidget *standIn = m_stack->widget(index);
        QWidget *built = build(m_stack);
        // The stand-in is never the current page: a page is built before it is shown.
        m_stack->insertWidget(index, built);
        m_stack->removeWidget(standIn);
        delete standIn;
        joinFocusChain(index);
    }
    return m_stack->widget(index);
}

void PageControl::buildAllPages()
{
    for (int i = 0; i < count(); ++i)
        page(i);
}

void PageControl::joinFocusChain(int index) const
{
    QWidget *built = m_stack->widget(index);
    // The page's controls, in the order of its own chain.
    QList<QWidget *> controls;
    for (QWidget *w = built->nextInFocusChain(); w != built && built->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        if (w->focusPolicy() != Qt::NoFocus)
            controls.append(w);
    }
    // The last control of the nearest page before it, else the tab strip.
    QWidget *after = m_tabs;
    for (int i = index - 1; i >= 0 && after == m_tabs; --i) {
        if (!isBuilt(i))
            continue;
        QWidget *before = m_stack->widget(i);
        for (QWidget *w = before->nextInFocusChain(); w != before && before->isAncestorOf(w);
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus)
                after = w;
        }
    }
    for (QWidget *control : std::as_const(controls)) {
        QWidget::setTabOrder(after, control);
        after = control;
    }
}

QString PageControl::tabText(int index) const
{
    return m_tabs->text(index);
}

int PageControl::tabRowCount() const
{
    return m_tabs->rowCount();
}

QWidget *PageControl::tabStrip() const
{
    return m_tabs;
}

QRect PageControl::tabRect(int index) const
{
    return m_tabs->tabRect(index);
}

void PageControl::selectNextPage(bool forward)
{
    if (count() == 0)
        return;
    setCurrentIndex((currentIndex() + (forward ? 1 : count() - 1)) % count());
    m_tabs->setFocus(Qt::ShortcutFocusReason);
}

void PageControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == currentIndex())
        return;
    m_stack->setCurrentWidget(page(index));
    m_tabs->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent selection(m_tabs, QAccessible::Selection);
        selection.setChild(index);
        QAccessible::updateAccessibility(&selection);
        if (m_tabs->hasFocus()) {
            QAccessibleEvent focus(m_tabs, QAccessible::Focus);
            focus.setChild(index);
            QAccessible::updateAccessibility(&focus);
        }
    }
    emit currentChanged(index);
}

} // namespace sr5n
