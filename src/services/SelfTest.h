#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace sr5n {

class TConnection;
class Notifier;

// The communicator's self-test (command "0C"): the five tests, the outcome of
// one run as a fault mask, and the texts that show it.
class SelfTest
{
public:
    static constexpr int TestCount = 5;

    // The names of the five tests, by bit of the fault mask.
    static QStringList testNames();
    static bool failed(unsigned mask, int test) { return ((mask >> test) & 1u) != 0; }
    // Bits above the five tests are ignored.
    static bool anyFailed(unsigned mask) { return (mask & 0x1Fu) != 0; }
    // "<name> - исправно" or "<name> - неисправно".
    static QString verdictLine(unsigned mask, int test);
    // The closing status text, with its line break.
    static QString summary(unsigned mask);
    static QString runningText();

    // Runs the self-test over an opened link and closes it. The fault mask,
    // or nothing: a failed request has told the user, seven answers to
    // another command tell nothing, data that are no number are reported.
    static std::optional<unsigned> run(TConnection &connection, Notifier &notifier);
};

} // namespace sr5n
