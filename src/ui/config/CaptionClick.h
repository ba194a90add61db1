#pragma once

#include <QString>

class QLabel;
class QObject;

namespace sr5n {

// The check box a caption stands for: "stt" + stem gives "chb" + stem; empty
// for a name that is not a caption's.
QString CaptionCheckBoxName(const QString &captionName);

// A click on the caption beside a check box: when `caption` is an enabled
// static text, the check box named after it in the caption's window is
// clicked, with exactly the effects of a click on the box. Anything else does
// nothing.
void CaptionClicked(QObject *caption);

// Makes a static text ("stt...") act on its check box when clicked.
void MakeCaptionClickable(QLabel *caption);

} // namespace sr5n
