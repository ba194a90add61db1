#pragma once

#include <QStackedWidget>
#include <QWidget>

#include <functional>
#include <vector>

namespace sr5n {

class TabRows;

// A page control whose tabs wrap onto several rows when they do not fit in
// one, and highlight under the mouse. A page may be given as the function
// that builds it: it is then built when first shown or asked for.
class PageControl final : public QWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);

    int addPage(QWidget *page, const QString &caption);
    // `make` builds the page with the given parent; the current page is built at once.
    int addPage(std::function<QWidget *(QWidget *parent)> make, const QString &caption);
    int count() const { return m_stack->count(); }
    // The page, built now if it was not yet.
    QWidget *page(int index) const;
    bool isBuilt(int index) const;
    void buildAllPages();
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
    // Puts the page built late where it would have been in the focus chain
    // had it been built with the others: after the tab strip and the pages before it.
    void joinFocusChain(int index) const;

    TabRows *m_tabs;
    QStackedWidget *m_stack;
    // The builders of the pages not built yet, by index (empty once built).
    mutable std::vector<std::function<QWidget *(QWidget *)>> m_makers;
};

} // namespace sr5n
