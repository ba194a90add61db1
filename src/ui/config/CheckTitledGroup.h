#pragma once

#include <QWidget>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;

namespace sr5n {

// A group frame titled by a check box: the frame "gbx" + stem has a blank
// title, and a caption-less check box "chb" + stem with its clickable static
// text "stt" + stem sits on the frame's top edge. The check box and the
// caption stay outside the frame, so disabling the frame's controls leaves
// them alone.
class CheckTitledGroup final : public QWidget
{
public:
    CheckTitledGroup(const QString &stem, const QString &caption, QWidget *parent = nullptr);

    QGroupBox *frame() const { return m_frame; }
    QCheckBox *checkBox() const { return m_checkBox; }
    QLabel *caption() const { return m_caption; }
    // The layout of the frame's contents.
    QGridLayout *contents() const { return m_contents; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int headerOffset() const;

    QGroupBox *m_frame;
    QWidget *m_header;
    QCheckBox *m_checkBox;
    QLabel *m_caption;
    QGridLayout *m_contents;
};

} // namespace sr5n
