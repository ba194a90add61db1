#include "SimulatedCommunicator.h"

#include "common/Checksum.h"
#include "link/Frame.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonValue>
#include <QTime>

#include <utility>

namespace sr5n::sim {

namespace {

constexpr char DefaultProtocol[] = "02000004FF1F00000000000000000000050528";
// Object code 0000, 20 call attempts, 30 s wait, an empty number with the dial-tone check.
constexpr char DefaultNumber[] = "000014001E000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF";
constexpr char DefaultVoice[] = "033204781E140FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF";
constexpr char DefaultLowStatus[] = "00000000";
constexpr char DefaultHighStatus[] = "01000000";

QByteArray hex(const QByteArray &bytes)
{
    return bytes.toHex().toUpper();
}

QByteArray hexByte(int value)
{
    return QByteArray::number(value & 0xFF, 16).rightJustified(2, '0').toUpper();
}

// Strict hexadecimal text of whole bytes, either letter case.
std::optional<QByteArray> fromHexText(QByteArrayView text)
{
    if (text.size() % 2 != 0 || !IsUpperHex(text.toByteArray().toUpper()))
        return std::nullopt;
    return QByteArray::fromHex(text.toByteArray());
}

std::optional<int> hexNumber(QByteArrayView text)
{
    if (text.isEmpty() || !IsUpperHex(text))
        return std::nullopt;
    bool ok = false;
    const int value = text.toByteArray().toInt(&ok, 16);
    return ok ? std::optional<int>(value) : std::nullopt;
}

qint64 steadyTicks()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace

const QList<SimulatedCommunicator::BlockInfo> &SimulatedCommunicator::blockTable()
{
    static const QList<BlockInfo> table = {
        {"1E", "1F", DefaultProtocol, 19, 0},
        {"20", "21", DefaultProtocol, 19, 0},
        {"08", "09", "00000000000000000000000306020000", 16, 0},
        {"29", "2A", "012C012C", 4, 0},
        {"02", "03", DefaultNumber, 32, 33},
        {"18", "19", DefaultNumber, 32, 33},
        {"04", "05", DefaultNumber, 32, 33},
        {"1A", "1B", DefaultNumber, 32, 33},
        {"1C", "1D", DefaultVoice, 32, 33},
        {"0A", "0B", "00000000000000000000", 10, 0},
        {"2B", "2C", "01", 1, 0},
        {"06", "07", "13040073007400750076007700780079", 16, 0},
        {"22", "23", "0000", 2, 0},
        {"26", "27", "A8C0FFFFFFFF", 6, 0},
        {"14", "15", "00710072", 4, 0},
        {"0D", "0E", "FFFFFFFF", 4, 0},
    };
    return table;
}

SimulatedCommunicator::SimulatedCommunicator(TickSource ticks)
    : m_ticks(ticks ? std::move(ticks) : TickSource(steadyTicks)), m_memory(MemorySize, '\0')
{
    for (const BlockInfo &info : blockTable())
        m_blocks.insert(info.write, info.defaultData);
    eraseLogs();
    setClockSeconds(QTime::currentTime().msecsSinceStartOfDay() / 1000);
}

QList<Reply> SimulatedCommunicator::receive(QByteArrayView bytes)
{
    QList<Reply> replies;
    for (char c : bytes) {
        if (m_collector.feed(c)) {
            replies.append(handleMessage(m_collector.takeMessage()));
            if (replies.last().hangUp)
                break;
        }
    }
    return replies;
}

Reply SimulatedCommunicator::handleMessage(const QByteArray &message)
{
    const int k = ++m_requests;
    if (onRequest)
        onRequest(QStringLiteral("request %1: :%2;").arg(k).arg(QString::fromLatin1(message)));
    // A late answer goes out when another request has come in: the program
    // gave up waiting for it, sent the request again and went on.
    QByteArray late;
    if (message != m_heldRequest) {
        late = std::exchange(m_heldBack, QByteArray());
        m_heldRequest.clear();
    }
    Reply reply = answer(k, message);
    if (!reply.hangUp && faults.late.contains(k)) {
        m_heldRequest = message;
        m_heldBack += std::exchange(reply.bytes, QByteArray());
    }
    reply.late = late;
    return reply;
}

Reply SimulatedCommunicator::answer(int k, const QByteArray &message)
{
    if (faults.hangUpAfter >= 0 && k > faults.hangUpAfter)
        return {{}, {}, true};

    const std::optional<QByteArray> body = CheckedBody(message);
    if (!body || body->size() < 2) {
        warn(QStringLiteral("request %1 is not a valid frame; no answer").arg(k));
        return {};
    }
    if (faults.silent.contains(k))
        return {};
    if (faults.garbage.contains(k))
        return {{}, noise() + FrameStart + noise() + FrameFinish + noise(), false};

    QByteArray answer;
    if (faults.busy.contains(k)) {
        answer = "FFFF";
    } else if (faults.memoryFault.contains(k)) {
        answer = "FF01";
    } else if (faults.clockFault.contains(k)) {
        answer = "FF02";
    } else if (faults.emptyAnswer.contains(k)) {
        answer.clear();
    } else if (faults.dropWrite.contains(k) && storesData(body->left(2))) {
        answer = body->left(2);
    } else {
        const std::optional<QByteArray> result = execute(body->left(2), body->mid(2));
        if (!result)
            return {};
        answer = *result;
    }

    if (faults.wrongCommand.contains(k) && answer.size() >= 2) {
        // Another command, never the busy or fault command "FF".
        int command = (hexNumber(answer.left(2)).value_or(0) + 0x40) & 0xFF;
        if (command == 0xFF)
            command = 0xFE;
        answer.replace(0, 2, hexByte(command));
    }
    QByteArray frame;
    if (faults.lowerCase.contains(k)) {
        const QByteArray lower = answer.toLower();
        frame = FrameStart + lower + ChecksumDigits(lower).toLower() + FrameFinish;
    } else {
        frame = BuildFrame(answer);
    }
    if (faults.badChecksum.contains(k)) {
        const QByteArray bodyText = frame.mid(1, frame.size() - 4);
        const QByteArray wrong = hexByte(int(ByteSum(bodyText)) + 1);
        frame.replace(frame.size() - 3, 2, wrong);
    }
    if (faults.noise)
        frame.prepend(noise());
    return {{}, frame, false};
}

std::optional<QByteArray> SimulatedCommunicator::execute(const QByteArray &command,
                                                         const QByteArray &data)
{
    if (const auto forced = faults.answerData.constFind(command);
        forced != faults.answerData.cend())
        return command + *forced;
    bool isWrite = false;
    if (const BlockInfo *info = findBlock(command, &isWrite)) {
        if (!isWrite)
            return command + m_blocks.value(info->write);
        if (data.size() % 2 != 0) {
            warn(QStringLiteral("block %1: odd number of digits; no answer")
                     .arg(QString::fromLatin1(command)));
            return std::nullopt;
        }
        const int size = int(data.size() / 2);
        if (size != info->size && size != info->otherSize)
            warn(QStringLiteral("block %1: %2 bytes written, %3 expected")
                     .arg(QString::fromLatin1(command))
                     .arg(size)
                     .arg(info->size));
        m_blocks.insert(info->write, data);
        return command;
    }

    if (command == "00" || command == "01") {
        const std::optional<int> address =
            hexNumber(QByteArrayView(data).first(qMin(4, data.size())));
        if (data.size() < 4 || !address) {
            warn(QStringLiteral("memory request without an address; no answer"));
            return std::nullopt;
        }
        const QByteArray rest = data.mid(4);
        if (command == "00") {
            const std::optional<QByteArray> bytes = fromHexText(rest);
            if (!bytes || !setMemory(*address, *bytes)) {
                warn(QStringLiteral("memory write at %1 out of range or odd; no answer")
                         .arg(QString::fromLatin1(data.left(4))));
                return std::nullopt;
            }
            return command;
        }
        const std::optional<int> count = hexNumber(rest);
        if (rest.size() != 2 || !count || *address + *count > MemorySize) {
            warn(QStringLiteral("memory read %1 out of range; no answer")
                     .arg(QString::fromLatin1(data)));
            return std::nullopt;
        }
        return command + data.left(4) + hex(memory(*address, *count));
    }

    if (command == "0F")
        return command + m_logStatus;
    if (command == "28") {
        eraseLogs();
        return command;
    }
    if (command == "11") {
        const int seconds = clockSeconds();
        return command + hexByte(seconds % 60) + hexByte(seconds / 60 % 60) +
               hexByte(seconds / 3600);
    }
    if (command == "12") {
        bool ok = data.size() == 6;
        int values[3] = {0, 0, 0};
        for (int i = 0; ok && i < 3; ++i)
            values[i] = data.mid(i * 2, 2).toInt(&ok, 10);
        if (!ok || values[0] > 59 || values[1] > 59 || values[2] > 23) {
            warn(QStringLiteral("clock data %1 are not a time; no answer")
                     .arg(QString::fromLatin1(data)));
            return std::nullopt;
        }
        setClockSeconds(values[2] * 3600 + values[1] * 60 + values[0]);
        return command;
    }
    if (command == "0C")
        return command + hexByte(m_selfTestMask);

    warn(QStringLiteral("unknown command %1; no answer").arg(QString::fromLatin1(command)));
    return std::nullopt;
}

const SimulatedCommunicator::BlockInfo *SimulatedCommunicator::findBlock(const QByteArray &command,
                                                                         bool *isWrite) const
{
    for (const BlockInfo &info : blockTable()) {
        if (command == info.write || command == info.read) {
            *isWrite = command == info.write;
            return &info;
        }
    }
    return nullptr;
}

bool SimulatedCommunicator::storesData(const QByteArray &command) const
{
    bool isWrite = false;
    return (findBlock(command, &isWrite) && isWrite) || command == "00" || command == "12";
}

QByteArray SimulatedCommunicator::block(const QByteArray &command) const
{
    bool isWrite = false;
    const BlockInfo *info = findBlock(command.toUpper(), &isWrite);
    return info ? m_blocks.value(info->write) : QByteArray();
}

bool SimulatedCommunicator::setBlock(const QByteArray &command, const QByteArray &data)
{
    bool isWrite = false;
    const BlockInfo *info = findBlock(command.toUpper(), &isWrite);
    if (!info || !fromHexText(data))
        return false;
    m_blocks.insert(info->write, data.toUpper());
    return true;
}

QByteArray SimulatedCommunicator::memory(int address, int count) const
{
    if (address < 0 || count < 0 || address + count > MemorySize)
        return {};
    return m_memory.mid(address, count);
}

bool SimulatedCommunicator::setMemory(int address, const QByteArray &bytes)
{
    if (address < 0 || address + bytes.size() > MemorySize)
        return false;
    m_memory.replace(address, bytes.size(), bytes);
    return true;
}

bool SimulatedCommunicator::setLogStatus(const QByteArray &status)
{
    if (status.size() != 16 || !IsUpperHex(status.toUpper()))
        return false;
    m_logStatus = status.toUpper();
    return true;
}

int SimulatedCommunicator::clockSeconds() const
{
    const qint64 elapsed = (m_ticks() - m_clockSetAt) / 1000;
    return int((m_clockBase + elapsed) % 86400);
}

void SimulatedCommunicator::setClockSeconds(int secondsOfDay)
{
    m_clockBase = ((secondsOfDay % 86400) + 86400) % 86400;
    m_clockSetAt = m_ticks();
}

void SimulatedCommunicator::eraseLogs()
{
    m_memory.replace(0, LogAreaSize, QByteArray(LogAreaSize, char(0xFF)));
    m_logStatus = QByteArray(DefaultLowStatus) + DefaultHighStatus;
}

QJsonObject SimulatedCommunicator::toJson() const
{
    QJsonObject blocks;
    for (auto it = m_blocks.cbegin(); it != m_blocks.cend(); ++it)
        blocks.insert(QString::fromLatin1(it.key()), QString::fromLatin1(it.value()));
    QJsonObject memoryPages;
    for (int address = 0; address < MemorySize; address += 256) {
        memoryPages.insert(QString::fromLatin1(hex(QByteArray(1, char(address >> 8))) + "00"),
                           QString::fromLatin1(hex(m_memory.mid(address, 256))));
    }
    const int seconds = clockSeconds();
    QJsonObject state;
    state.insert(QStringLiteral("blocks"), blocks);
    state.insert(QStringLiteral("memory"), memoryPages);
    state.insert(QStringLiteral("logStatus"), QString::fromLatin1(m_logStatus));
    state.insert(QStringLiteral("clock"),
                 QTime(seconds / 3600, seconds / 60 % 60, seconds % 60).toString(u"HH:mm:ss"));
    state.insert(QStringLiteral("selfTest"), QString::fromLatin1(hexByte(m_selfTestMask)));
    return state;
}

bool SimulatedCommunicator::loadJson(const QJsonObject &state, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QJsonObject blocks = state.value(QStringLiteral("blocks")).toObject();
    for (auto it = blocks.begin(); it != blocks.end(); ++it) {
        if (!setBlock(it.key().toLatin1(), it.value().toString().toLatin1()))
            return fail(
                QStringLiteral("blocks.%1: unknown command or not hexadecimal").arg(it.key()));
    }
    const QJsonObject memoryPages = state.value(QStringLiteral("memory")).toObject();
    for (auto it = memoryPages.begin(); it != memoryPages.end(); ++it) {
        const std::optional<int> address = hexNumber(it.key().toUpper().toLatin1());
        const std::optional<QByteArray> bytes = fromHexText(it.value().toString().toLatin1());
        if (!address || !bytes || !setMemory(*address, *bytes))
            return fail(QStringLiteral("memory.%1: bad address or data").arg(it.key()));
    }
    if (state.contains(QStringLiteral("logStatus")) &&
        !setLogStatus(state.value(QStringLiteral("logStatus")).toString().toLatin1()))
        return fail(QStringLiteral("logStatus: 16 hexadecimal digits expected"));
    if (state.contains(QStringLiteral("clock"))) {
        const QTime time =
            QTime::fromString(state.value(QStringLiteral("clock")).toString(), u"HH:mm:ss");
        if (!time.isValid())
            return fail(QStringLiteral("clock: HH:MM:SS expected"));
        setClockSeconds(time.msecsSinceStartOfDay() / 1000);
    }
    if (state.contains(QStringLiteral("selfTest"))) {
        const std::optional<int> mask =
            hexNumber(state.value(QStringLiteral("selfTest")).toString().toUpper().toLatin1());
        if (!mask || *mask > 0xFF)
            return fail(QStringLiteral("selfTest: a hexadecimal byte expected"));
        m_selfTestMask = quint8(*mask);
    }
    return true;
}

QByteArray SimulatedCommunicator::noise()
{
    // Anything but the two delimiters, zero bytes and line ends included.
    static const QByteArray alphabet = QByteArray("xyz?!#=0123456789ABCDEFabc \r\n", 29) + '\0';
    m_noiseSeed = m_noiseSeed * 1103515245u + 12345u;
    const int length = 1 + int((m_noiseSeed >> 16) % 16);
    QByteArray bytes;
    for (int i = 0; i < length; ++i) {
        m_noiseSeed = m_noiseSeed * 1103515245u + 12345u;
        bytes.append(alphabet.at(int((m_noiseSeed >> 16) % alphabet.size())));
    }
    return bytes;
}

void SimulatedCommunicator::warn(const QString &text) const
{
    if (onWarning)
        onWarning(text);
}

} // namespace sr5n::sim
