#include "ui/config/CheckTitledGroup.h"

#include "ui/config/CaptionClick.h"
#include "ui/config/ConfigWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace sr5n {

namespace {
constexpr int HeaderIndent = 8;
}

CheckTitledGroup::CheckTitledGroup(const QString &stem, const QString &caption, QWidget *parent)
    : QWidget(parent), m_frame(new QGroupBox(this)), m_header(new QWidget(this)),
      m_checkBox(new QCheckBox(m_header)), m_caption(new QLabel(caption, m_header)),
      m_contents(new QGridLayout(m_frame))
{
    m_frame->setObjectName(QStringLiteral("gbx") + stem);
    m_checkBox->setObjectName(QStringLiteral("chb") + stem);
    m_caption->setObjectName(QStringLiteral("stt") + stem);
    MakeCaptionClickable(m_caption);
    // The check box and the frame have no caption of their own: screen
    // readers name them by the text beside the box.
    m_checkBox->setAccessibleName(caption.trimmed());
    m_frame->setAccessibleName(caption.trimmed());

    auto *headerLayout = new QHBoxLayout(m_header);
    headerLayout->setContentsMargins(2, 0, 4, 0);
    headerLayout->setSpacing(2);
    headerLayout->addWidget(m_checkBox);
    headerLayout->addWidget(m_caption);
    // The header hides the frame's line behind it.
    m_header->setAutoFillBackground(true);
    m_header->raise();

    CompactGrid(m_contents, headerOffset() + 6);
    setSizePolicy(m_frame->sizePolicy());
}

int CheckTitledGroup::headerOffset() const
{
    return m_header->sizeHint().height() / 2;
}

QSize CheckTitledGroup::sizeHint() const
{
    const QSize frame = m_frame->sizeHint();
    return {std::max(frame.width(), m_header->sizeHint().width() + 2 * HeaderIndent),
            frame.height() + headerOffset()};
}

QSize CheckTitledGroup::minimumSizeHint() const
{
    const QSize frame = m_frame->minimumSizeHint();
    return {std::max(frame.width(), m_header->sizeHint().width() + 2 * HeaderIndent),
            frame.height() + headerOffset()};
}

bool CheckTitledGroup::hasHeightForWidth() const
{
    return m_frame->hasHeightForWidth();
}

int CheckTitledGroup::heightForWidth(int width) const
{
    return m_frame->heightForWidth(width) + headerOffset();
}

void CheckTitledGroup::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int offset = headerOffset();
    m_frame->setGeometry(0, offset, width(), height() - offset);
    m_header->setGeometry(HeaderIndent, 0, m_header->sizeHint().width(),
                          m_header->sizeHint().height());
}

} // namespace sr5n
