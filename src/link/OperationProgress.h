#pragma once

#include <QString>

namespace sr5n {

// How a device operation shows its progress: the window's progress window,
// a terminal line, or nothing. The link's Cancel is wired by whoever shows it.
class OperationProgress
{
public:
    enum class Kind { Reading = 0, Writing = 1, LogReading = 2, Searching = 3 };

    virtual ~OperationProgress() = default;

    // Shown with the bar at zero; `maximum` steps make it full.
    virtual void begin(Kind kind, int maximum) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void step() = 0;
    // Harmless when not shown.
    virtual void end() = 0;
    // What the operation is doing now, in a few words (the port being
    // searched); empty for nothing but the caption. Not shown everywhere.
    virtual void setStage(const QString &stage) { Q_UNUSED(stage); }

    // The caption of an operation of `kind`, with its two leading blanks.
    static QString caption(Kind kind);
    // "42%": how much of `maximum` steps `position` is, rounded down.
    static QString percentText(int position, int maximum);
};

} // namespace sr5n
