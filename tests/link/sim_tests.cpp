// The simulated communicator's command handling, in-process.
#include "RequestSet.h"
#include "SimulatedCommunicator.h"

#include "link/Frame.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace sr5n::sim {
namespace {

// Sends one request and returns the answer's frame (empty: no answer).
QByteArray ask(SimulatedCommunicator &device, const QByteArray &body)
{
    const QList<Reply> replies = device.receive(BuildFrame(body));
    EXPECT_EQ(replies.size(), 1);
    return replies.isEmpty() ? QByteArray() : replies.first().bytes;
}

// The body of an answer, checked like the link checks it.
QByteArray answerBody(const QByteArray &frame)
{
    EXPECT_TRUE(frame.startsWith(':') && frame.endsWith(';')) << frame.constData();
    const std::optional<QByteArray> body = CheckedBody(frame.mid(1, frame.size() - 2));
    EXPECT_TRUE(body.has_value()) << frame.constData();
    return body.value_or(QByteArray());
}

TEST(Simulator, DefaultBlocksHaveTheirSizesAndReadBack)
{
    SimulatedCommunicator device;
    for (const SimulatedCommunicator::BlockInfo &info : SimulatedCommunicator::blockTable()) {
        const QByteArray data(info.defaultData);
        EXPECT_EQ(data.size(), info.size * 2) << info.write;
        EXPECT_EQ(answerBody(ask(device, info.read)), info.read + data) << info.read;
    }
    EXPECT_EQ(device.block("1F"), "02000004FF1F00000000000000000000050528");
    EXPECT_EQ(device.block("2C"), "01");
}

TEST(Simulator, WritesAreStoredAndReadBack)
{
    SimulatedCommunicator device;
    EXPECT_EQ(answerBody(ask(device, "22A021")), "22");
    EXPECT_EQ(answerBody(ask(device, "23")), "23A021");

    EXPECT_EQ(answerBody(ask(device, "0005E0" + QByteArray("1234ABCD"))), "00");
    EXPECT_EQ(answerBody(ask(device, "0105DE08")), "0105DE" + QByteArray("00001234ABCD0000"));

    // Both logs start empty; erasing fills them again after a write.
    EXPECT_EQ(answerBody(ask(device, "0100003C")), "010000" + QByteArray(120, 'F'));
    ask(device, "0000000305");
    EXPECT_TRUE(device.setLogStatus("0004010001000000"));
    EXPECT_EQ(answerBody(ask(device, "0F")), "0F0004010001000000");
    EXPECT_EQ(answerBody(ask(device, "28")), "28");
    EXPECT_EQ(device.memory(0, 2), QByteArray(2, char(0xFF)));
    EXPECT_EQ(answerBody(ask(device, "0F")), "0F0000000001000000");

    device.setSelfTestMask(0x05);
    EXPECT_EQ(answerBody(ask(device, "0C")), "0C05");
}

TEST(Simulator, ClockRunsFromTheTimeItWasSet)
{
    qint64 now = 1000;
    SimulatedCommunicator device([&now] { return now; });
    EXPECT_EQ(answerBody(ask(device, "12300509")), "12");
    EXPECT_EQ(answerBody(ask(device, "11")), "111E0509");
    now += 61'000;
    EXPECT_EQ(answerBody(ask(device, "11")), "111F0609");

    // Data that are not a decimal time get no answer and change nothing.
    EXPECT_TRUE(ask(device, "12306009").isEmpty());
    EXPECT_TRUE(ask(device, "121E0509").isEmpty());
    EXPECT_EQ(answerBody(ask(device, "11")), "111F0609");
}

TEST(Simulator, RequestsItCannotUnderstandGetNoAnswer)
{
    SimulatedCommunicator device;
    QStringList warnings;
    device.onWarning = [&](const QString &text) { warnings.append(text); };
    EXPECT_TRUE(ask(device, "77").isEmpty());                      // unknown command
    EXPECT_TRUE(ask(device, "017FFF02").isEmpty());                // beyond the memory
    EXPECT_TRUE(ask(device, "007FFF0102").isEmpty());              // beyond the memory
    EXPECT_TRUE(ask(device, "01").isEmpty());                      // no address
    EXPECT_TRUE(device.receive(":1163;").first().bytes.isEmpty()); // bad checksum
    EXPECT_TRUE(device.receive(":0c00d3;").first().bytes.isEmpty());
    EXPECT_EQ(warnings.size(), 6);
    EXPECT_EQ(device.requestCount(), 6);
}

TEST(Simulator, SeveralFramesAmidNoiseAreAnsweredInOrder)
{
    SimulatedCommunicator device;
    const QList<Reply> replies =
        device.receive("garbage" + BuildFrame("0C") + "\r\n;;" + BuildFrame("2C") + ":11");
    ASSERT_EQ(replies.size(), 2);
    EXPECT_EQ(answerBody(replies[0].bytes), "0C00");
    EXPECT_EQ(answerBody(replies[1].bytes), "2C01");
    EXPECT_EQ(device.receive("62;").size(), 1);
}

struct FaultCase {
    const char *name;
    RequestSet Faults::*set;
    QByteArray expected; // the answer frame to "2C" (the busy and noise block)
};

class SimulatorFaults : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(SimulatorFaults, HitOnlyTheirRequests)
{
    SimulatedCommunicator device;
    device.faults.*(GetParam().set) = *RequestSet::parse("2");
    EXPECT_EQ(ask(device, "2C"), ":2C01D6;");
    EXPECT_EQ(ask(device, "2C"), GetParam().expected);
    EXPECT_EQ(ask(device, "2C"), ":2C01D6;");
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, SimulatorFaults,
    ::testing::Values(FaultCase{"Silent", &Faults::silent, ""},
                      FaultCase{"Busy", &Faults::busy, ":FFFF18;"},
                      FaultCase{"MemoryFault", &Faults::memoryFault, ":FF01ED;"},
                      FaultCase{"ClockFault", &Faults::clockFault, ":FF02EE;"},
                      FaultCase{"EmptyAnswer", &Faults::emptyAnswer, ":00;"},
                      FaultCase{"WrongCommand", &Faults::wrongCommand, ":6C01DA;"},
                      FaultCase{"BadChecksum", &Faults::badChecksum, ":2C01D7;"},
                      FaultCase{"LowerCase", &Faults::lowerCase, ":2c01f6;"}),
    [](const ::testing::TestParamInfo<FaultCase> &test) { return test.param.name; });

TEST(Simulator, LateAnswersGoOutWhenAnotherRequestComesIn)
{
    SimulatedCommunicator device;
    device.faults.late = *RequestSet::parse("1-2");
    // The request and the same request again: both answers are held back.
    for (int frame = 1; frame <= 2; ++frame) {
        const Reply held = device.receive(BuildFrame("0C")).value(0);
        EXPECT_TRUE(held.bytes.isEmpty()) << frame;
        EXPECT_TRUE(held.late.isEmpty()) << frame;
    }
    // Another request lets them out ahead of its own answer.
    const Reply next = device.receive(BuildFrame("2C")).value(0);
    EXPECT_EQ(next.late, ":0C00D3;:0C00D3;");
    EXPECT_EQ(next.bytes, ":2C01D6;");
    EXPECT_TRUE(device.receive(BuildFrame("2C")).value(0).late.isEmpty());
}

TEST(Simulator, BusyRequestIsNotCarriedOut)
{
    SimulatedCommunicator device;
    device.faults.busy = RequestSet::all();
    ask(device, "2B3F");
    EXPECT_EQ(device.block("2B"), "01");
}

// A dropped write is answered like any write and leaves the memory as it
// was; the other requests of the set are answered as usual.
TEST(Simulator, DroppedWritesAreAnsweredButNotStored)
{
    SimulatedCommunicator device;
    device.faults.dropWrite = *RequestSet::parse("1-4");
    const QByteArray before = device.block("22");
    const QByteArray memory = device.memory(0x05E0, 2);
    EXPECT_EQ(answerBody(ask(device, "22A021")), "22");
    EXPECT_EQ(answerBody(ask(device, "0005E01234")), "00");
    EXPECT_EQ(answerBody(ask(device, "12300509")), "12");
    EXPECT_EQ(answerBody(ask(device, "23")), "23" + before);
    EXPECT_EQ(device.block("22"), before);
    EXPECT_EQ(device.memory(0x05E0, 2), memory);
    EXPECT_EQ(answerBody(ask(device, "22A021")), "22"); // request 5 is stored
    EXPECT_EQ(device.block("22"), "A021");
}

TEST(Simulator, HangsUpWhenTheRequestAfterTheLastComes)
{
    SimulatedCommunicator device;
    device.faults.hangUpAfter = 1;
    const QList<Reply> replies =
        device.receive(BuildFrame("0C") + BuildFrame("0C") + BuildFrame("0C"));
    ASSERT_EQ(replies.size(), 2);
    EXPECT_FALSE(replies[0].hangUp);
    EXPECT_TRUE(replies[1].hangUp);
    EXPECT_TRUE(replies[1].bytes.isEmpty());
}

TEST(Simulator, StateSurvivesJson)
{
    SimulatedCommunicator device;
    ask(device, "1E0102010FCF0000000000000000000000050526");
    ask(device, "0041000102");
    device.setLogStatus("0004010001000000");
    device.setSelfTestMask(0x1F);

    SimulatedCommunicator copy;
    QString error;
    ASSERT_TRUE(copy.loadJson(device.toJson(), &error)) << error.toStdString();
    EXPECT_EQ(copy.toJson().value("blocks"), device.toJson().value("blocks"));
    EXPECT_EQ(copy.memory(0, SimulatedCommunicator::MemorySize),
              device.memory(0, SimulatedCommunicator::MemorySize));
    EXPECT_EQ(copy.logStatus(), "0004010001000000");
    EXPECT_EQ(copy.selfTestMask(), 0x1F);

    EXPECT_FALSE(copy.loadJson(QJsonObject{{"memory", QJsonObject{{"7FFF", "0102"}}}}, &error));
    EXPECT_FALSE(copy.loadJson(QJsonObject{{"blocks", QJsonObject{{"77", "00"}}}}, &error));
    EXPECT_FALSE(copy.loadJson(QJsonObject{{"clock", "25:00:00"}}, &error));
}

TEST(Simulator, RequestSets)
{
    const auto set = RequestSet::parse("2, 4-5, 9-");
    ASSERT_TRUE(set.has_value());
    const QList<int> inside = {2, 4, 5, 9, 10, 1000};
    const QList<int> outside = {1, 3, 6, 8};
    for (int k : inside)
        EXPECT_TRUE(set->contains(k)) << k;
    for (int k : outside)
        EXPECT_FALSE(set->contains(k)) << k;
    EXPECT_TRUE(RequestSet::parse("all")->contains(1));
    for (const char *bad : {"", "0", "x", "5-3", "1,,2", "-3"})
        EXPECT_FALSE(RequestSet::parse(QString::fromLatin1(bad)).has_value()) << bad;
}

} // namespace
} // namespace sr5n::sim
