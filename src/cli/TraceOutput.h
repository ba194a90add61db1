#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace sr5n {

class LineJournal;
class TConnection;

// Where `--trace` sends the trace of the line: "-" writes each line to
// standard error as it happens; a file is written once the command ends, as
// -o writes (OutputFile). Without --trace nothing is traced, unless the
// sr5n.link logging category is on (QT_LOGGING_RULES), which then gets it.
class TraceOutput final
{
public:
    // `path`: the --trace value, "{port}" already replaced; empty: none.
    // `beforeLine` runs before a line goes to standard error (the progress
    // bar steps aside).
    TraceOutput(const QString &path, TConnection &link, std::function<void()> beforeLine);
    ~TraceOutput();

    TraceOutput(const TraceOutput &) = delete;
    TraceOutput &operator=(const TraceOutput &) = delete;

    // Whether anything is traced.
    bool active() const { return m_journal != nullptr; }
    // Writes the file (nothing for "-" or none); the message of a failure.
    std::optional<QString> save() const;

private:
    QString m_path;
    TConnection &m_link;
    std::unique_ptr<LineJournal> m_journal;
};

} // namespace sr5n
