#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace sr5n {

// The characters an event code may hold.
QString CodeCellCharacters();
// Number of hexadecimal digits of an event code.
inline constexpr int CodeLength = 4;

// The key filter of the code cells: hexadecimal digits and the control keys
// Backspace, Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X and Enter pass; any other key is
// dropped (set to none).
void FilterCodeKey(QChar &Key);

// What a code cell holds after an edit: the previous text when the new one
// has a character outside `allowed` (`refused` is then set), padded on the
// left with "0" up to `length`.
struct CheckedCode {
    QString text;
    bool refused = false;
};
CheckedCode CheckCodeText(const QString &text, QStringView allowed, const QString &previous,
                          int length = CodeLength);

// The memory-fault code may never be "0000".
QString MemoryFaultZeroMessage();
bool IsZeroCode(const QString &code);

} // namespace sr5n
