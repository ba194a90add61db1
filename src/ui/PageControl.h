#pragma once

#include <QStackedWidget>
#include <QWidget>

namespace sr5n {

class TabRows;

// A page control whose tabs wrap onto several rows when they do not fit in
// one, and highlight under the mouse.
class PageControl final : public QWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    int addPage(QWidget *page, const QString &caption);
    int count() const { return m_stack->count(); }
    QWidget *page(int index) const { return m_stack->widget(index); }
    QString tabText(int index) const;
    int currentIndex() const { return m_stack->currentIndex(); }
    QWidget *currentPage() const { return m_stack->currentWidget(); }
    void setCurrentIndex(int index);
    void setCurrentPage(QWidget *page) { setCurrentIndex(m_stack->indexOf(page)); }
    int tabRowCount() const;
    // The tab strip, which takes the focus; a tab's place in it.
    QWidget *tabStrip() const;
    QRect tabRect(int index) const;
    // Ctrl+Tab and Ctrl+PageDown (forward), Ctrl+Shift+Tab and Ctrl+PageUp:
    // the next or previous page, round from the last to the first, with the
    // focus on the tab strip.
    void selectNextPage(bool forward);

signals:
    // After the user (or the program) switched to another page.
    void currentChanged(int index);

private:
    TabRows *m_tabs;
    QStackedWidget *m_stack;
};

} // namespace sr5n
