#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

namespace sr5n {

// A text record: 32-bit little-endian length N, N bytes of Windows-1251 text,
// then the byte sum of the text as a 32-bit little-endian number.
bool WriteTextRecord(const QString &text, QIODevice &stream);
std::optional<QString> ReadTextRecord(QIODevice &stream);

// The same on raw bytes, for callers that compare texts byte by byte.
bool WriteRecordBytes(const QByteArray &bytes, QIODevice &stream);
std::optional<QByteArray> ReadRecordBytes(QIODevice &stream);

// Byte-wise comparison of two version texts: negative, zero or positive as
// `a` is less than, equal to or greater than `b`; a text that is the
// beginning of the other is the lesser.
int CompareVersion(const QByteArray &a, const QByteArray &b);

// A file is accepted when its version is not greater than the one written.
bool VersionAccepted(const QString &fileVersion, const QString &writtenVersion);

} // namespace sr5n
