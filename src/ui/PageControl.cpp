#include "ui/PageControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QVBoxLayout>

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

PageControl::PageControl(QWidget *parent)
    : QWidget(parent), m_tabs(new TabRows(this)), m_stack(new QStackedWidget(this))
{
    m_stack->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
}

int PageControl::addPage(QWidget *page, const QString &caption)
{
    const int index = m_stack->addWidget(page);
    m_tabs->addTab(caption);
    return index;
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
    m_stack->setCurrentIndex(index);
    m_tabs->update();
    emit currentChanged(index);
}

} // namespace sr5n
