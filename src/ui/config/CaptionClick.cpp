#include "ui/config/CaptionClick.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace sr5n {

namespace {

class CaptionClickFilter final : public QObject
{
public:
    explicit CaptionClickFilter(QLabel *caption) : QObject(caption) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = qobject_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton && label &&
            label->rect().contains(mouse->position().toPoint()))
            CaptionClicked(watched);
        return false;
    }
};

} // namespace

QString CaptionCheckBoxName(const QString &captionName)
{
    if (!captionName.startsWith(u"stt") || captionName.size() <= 3)
        return {};
    return QStringLiteral("chb") + captionName.mid(3);
}

void CaptionClicked(QObject *caption)
{
    auto *label = qobject_cast<QLabel *>(caption);
    if (!label || !label->isEnabled())
        return;
    const QString boxName = CaptionCheckBoxName(label->objectName());
    if (boxName.isEmpty())
        return;
    QWidget *root = label->window();
    auto *box = root->findChild<QCheckBox *>(boxName);
    if (!box)
        return;
    box->click();
}

void MakeCaptionClickable(QLabel *caption)
{
    caption->installEventFilter(new CaptionClickFilter(caption));
}

} // namespace sr5n
