#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace sr5n {

// Opens documents with the desktop's handler for their type (xdg-open) and
// tells when that fails: no opener, no handler for the type, or a handler
// that fails. The opener runs in the background; the program never waits
// for the document to be closed.
class DocumentOpener final : public QObject
{
    Q_OBJECT

public:
    explicit DocumentOpener(QObject *parent = nullptr);
    ~DocumentOpener() override;

    // Starts opening `path`. `failed` runs once if the desktop reports that
    // the document could not be shown; it may run before open() returns.
    void open(const QString &path, std::function<void()> failed);

    // The opener program, looked up on PATH when a document is opened.
    static QString program() { return QStringLiteral("xdg-open"); }
};

} // namespace sr5n
