#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace sr5n {

// Characters a phone number field accepts: digits and the dialling letters A-D.
QString PhoneCharacters();
// Characters a code field accepts: hexadecimal digits.
QString CodeCharacters();
// The dial alphabet a phone number holds once upper-cased.
QString DialCharacters();

// The message shown when a field holds a character outside its set.
QString InvalidCharactersMessage();

// Control keys that always reach a text field.
inline constexpr char16_t KeyBackspace = 8;
inline constexpr char16_t KeyCopy = 3;
inline constexpr char16_t KeyPaste = 22;
inline constexpr char16_t KeyCut = 24;
inline constexpr char16_t KeyEnter = 13;
inline constexpr char16_t KeySelectAll = 1;

// Whether a typed character reaches a field whose allowed set is `allowed`:
// the characters of the set and the control keys Backspace, Ctrl+A, Ctrl+C,
// Ctrl+V, Ctrl+X and Enter pass, everything else is discarded.
bool FilterKey(QChar key, QStringView allowed);

// The position of the first character of `text` outside `allowed`, if any.
std::optional<qsizetype> FirstInvalidCharacter(QStringView text, QStringView allowed);

// `text` with "0" characters put in front until it is `length` long; a text
// that is long enough is returned unchanged.
QString PadWithZeros(const QString &text, int length);

// `text` upper-cased, without the characters outside "0"-"9", "A"-"D", and cut
// to 24 characters: what a phone number may hold.
QString DialText(const QString &text);

} // namespace sr5n
