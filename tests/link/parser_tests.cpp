// The answer parser, fed directly: no port is needed.
#include "common/FakeNotifier.h"
#include "link/TConnection.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <gtest/gtest.h>

namespace sr5n {
namespace {

struct ParserCase {
    const char *name;
    const char *message;
    bool answered;
    const char *command;
    const char *data;
};

class ParserTable : public ::testing::TestWithParam<ParserCase>
{
};

TEST_P(ParserTable, ReadsOrRefusesTheMessage)
{
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);
    ASSERT_FALSE(link.Waiting());

    // The capture hands its messages to the link's parser.
    capture.DataChanged(QByteArray(":") + GetParam().message + ";");

    const ParserCase &c = GetParam();
    EXPECT_FALSE(link.Waiting()) << "every message ends the wait";
    EXPECT_EQ(link.Answered(), c.answered);
    EXPECT_EQ(link.AnswerCommand(), QString::fromLatin1(c.command));
    EXPECT_EQ(link.AnswerData(), QString::fromLatin1(c.data));
    EXPECT_FALSE(link.Aborted());
    EXPECT_TRUE(notifier.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Parser, ParserTable,
    ::testing::Values(ParserCase{"ClockAnswer", "111E2D0CC1", true, "11", "1E2D0C"},
                      ParserCase{"CommandOnly", "1162", true, "11", ""},
                      ParserCase{"OnlyTheTextAfterTheLastStart", "12AB:1162", true, "11", ""},
                      ParserCase{"EmptyBody", "00", true, "", ""},
                      ParserCase{"OneCharacterBody", "030", true, "0", ""},
                      ParserCase{"BusyAnswer", "FFFF18", true, "FF", "FF"},
                      ParserCase{"WrongChecksum", "1163", false, "", ""},
                      ParserCase{"LowerCaseDigits", "0c00d3", false, "", ""},
                      ParserCase{"ZeroByteAsSpace", "11 62", false, "", ""},
                      ParserCase{"Empty", "", false, "", ""},
                      ParserCase{"OneCharacter", "0", false, "", ""}),
    [](const ::testing::TestParamInfo<ParserCase> &test) { return test.param.name; });

struct FaultCase {
    const char *name;
    const char *message;
    const char *text;
};

class FaultAnswers : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(FaultAnswers, AbortAndIgnoreLaterMessages)
{
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);

    capture.DataChanged(QByteArray(":") + GetParam().message + ";:111E2D0CC1;");

    EXPECT_TRUE(link.Aborted());
    EXPECT_FALSE(link.Answered()) << "the answer after the fault was not ignored";
    EXPECT_EQ(notifier.flashes, 1);
    EXPECT_EQ(notifier.errors, QStringList{QString::fromUtf8(GetParam().text)});
}

INSTANTIATE_TEST_SUITE_P(
    Parser, FaultAnswers,
    ::testing::Values(FaultCase{"Memory", "FF01ED", "Неисправность памяти"},
                      FaultCase{"Clock", "FF02EE", "Неисправность часов реального времени"}),
    [](const ::testing::TestParamInfo<FaultCase> &test) { return test.param.name; });

TEST(Link, ChecksumAndClosedLink)
{
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    TConnection link(capture, notifier);

    EXPECT_EQ(TConnection::Checksum("11"), "62");
    EXPECT_EQ(TConnection::Checksum(""), "00");
    EXPECT_EQ(TConnection::Checksum("0A"), "71");

    // Nothing to close; a request on a closed port is a port failure.
    EXPECT_TRUE(link.Close());
    EXPECT_FALSE(link.Send("11", 100));
    EXPECT_TRUE(link.Aborted());
    EXPECT_EQ(notifier.errors, QStringList{"Порт COM%d недоступен"});
    EXPECT_EQ(link.Request(), "1162");
}

} // namespace
} // namespace sr5n
