#include "config/RequestRun.h"

#include "link/TConnection.h"

namespace sr5n {

bool RunRequests(TConnection &link, RunKind kind, const QStringList &data, const QStringList &commands,
                 const std::function<void()> &step, QStringList *answerData, QStringList *answerCommands)
{
    const qsizetype count = std::min(data.size(), commands.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (link.Aborted())
            return false;
        const bool answered = kind == RunKind::Reading ? link.Read(commands[i], data[i])
                                                       : link.Write(commands[i], data[i]);
        if (!answered)
            return false;
        if (kind == RunKind::Reading) {
            if (answerCommands)
                answerCommands->append(link.AnswerCommand());
            if (answerData)
                answerData->append(link.AnswerData());
        }
        if (step)
            step();
        link.Pause(link.timings().requestPauseMs);
    }
    return !link.Aborted();
}

} // namespace sr5n
