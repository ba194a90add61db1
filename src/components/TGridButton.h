#pragma once

#include <QPushButton>

namespace sr5n {

// The button the grid lays over combo and dialog cells. It reports a press of
// any mouse button at once (the combo list opens on any of them) and never
// takes the keyboard focus from the grid.
class TGridButton : public QPushButton
{
    Q_OBJECT

public:
    explicit TGridButton(QWidget *parent = nullptr);

signals:
    void pressedWith(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

} // namespace sr5n
