#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace sr5n {

// A titled group of radio buttons, one per item; the chosen item's index is
// the value (-1 when none is chosen).
class RadioGroup final : public QGroupBox
{
    Q_OBJECT

public:
    RadioGroup(const QString &title, const QStringList &items, int columns,
               QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    int count() const;

signals:
    // The user chose an item.
    void itemClicked(int index);

private:
    QButtonGroup *m_buttons;
};

} // namespace sr5n
