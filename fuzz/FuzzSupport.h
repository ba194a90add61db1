#pragma once

#include "common/Notifier.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace sr5n::fuzz {

// Says nothing and answers every question with No: the targets only look for
// crashes, leaks and undefined behaviour.
class SilentNotifier final : public Notifier
{
public:
    void flash() override {}
    void showError(const QString &) override {}
    void showInformation(const QString &) override {}
    bool askYesNo(const QString &, QuestionIcon, const QString &) override { return false; }
};

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A file holding the input, for readers that take a path; one per process.
QString writeInputFile(const QByteArray &bytes);

} // namespace sr5n::fuzz
