#pragma once

#include <QPushButton>

namespace sr5n {

// A button of the bottom bar: 90 by 24 pixels, a 24 by 24 icon at its left and
// the caption in the rest, narrowed rather than cut when it is too wide.
class BarButton final : public QPushButton
{
public:
    BarButton(const QString &caption, const QIcon &icon, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace sr5n
