#pragma once

#include "link/OperationProgress.h"

#include <QString>

#include <cstdio>

namespace sr5n {

// Counts the steps of an operation and tells `changed()` after each change.
class CountingProgress : public OperationProgress
{
public:
    void begin(Kind kind, int maximum) override;
    void setMaximum(int maximum) override;
    void step() override;

protected:
    virtual void started(Kind kind) = 0;
    virtual void changed() = 0;
    // Whole percents of the steps done.
    int percent() const;

    int m_position = 0;
    int m_maximum = 1;
};

// A device operation's progress as one line on a terminal: the caption, a bar
// and the percentage, redrawn in place. Draws nothing on a stream that is
// not a terminal, so that logs and pipes stay clean.
class TerminalProgress final : public CountingProgress
{
public:
    explicit TerminalProgress(std::FILE *stream = stderr);
    // Whether anything is drawn (the stream is a terminal).
    bool enabled() const { return m_enabled; }
    // For tests and pipes that want the bar all the same.
    void setEnabled(bool enabled) { m_enabled = enabled; }

    void end() override;
    // Ends the line being drawn, so that a message can follow on its own line.
    void breakLine();

    // The line drawn: "<caption> [#####.....]  42%".
    static QString line(const QString &caption, int position, int maximum, int width = 30);

private:
    void started(Kind kind) override;
    void changed() override;

    std::FILE *m_stream;
    bool m_enabled;
    bool m_shown = false;
    bool m_lineOpen = false;
    QString m_caption;
    int m_drawnPercent = -1;
};

// A worker's progress, written for the process that started it: lines
// "@progress <position> <maximum>" on standard output.
class WorkerProgress final : public CountingProgress
{
public:
    void end() override {}

private:
    void started(Kind) override { m_reportedPercent = -1; }
    void changed() override;

    int m_reportedPercent = -1;
};

} // namespace sr5n
