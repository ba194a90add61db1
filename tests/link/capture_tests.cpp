#include "common/FakeNotifier.h"
#include "link/Frame.h"
#include "link/TVaCapture.h"
#include "link/TVaComm.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

namespace sr5n {
namespace {

struct CaptureCase {
    const char *name;
    QList<QByteArray> blocks; // as the port hands them over
    QStringList messages;     // what OnMessage receives, in order
};

QByteArray withZero()
{
    return QByteArray(":11\0"
                      "62;",
                      7);
}

class CaptureTable : public ::testing::TestWithParam<CaptureCase>
{
};

TEST_P(CaptureTable, DeliversTheTextBetweenTheDelimiters)
{
    test::FakeNotifier notifier;
    TVaCapture capture(notifier);
    QStringList received;
    capture.OnMessage = [&](TVaCapture *sender, const QString &data) {
        EXPECT_EQ(sender, &capture);
        received.append(data);
    };
    for (const QByteArray &block : GetParam().blocks)
        capture.DataChanged(block);
    EXPECT_EQ(received, GetParam().messages);
    EXPECT_TRUE(notifier.errors.isEmpty());
}

const QString Long1200 = QString(201, QLatin1Char('A')) + QString(999, QLatin1Char('B'));

INSTANTIATE_TEST_SUITE_P(
    Capture, CaptureTable,
    ::testing::Values(
        CaptureCase{"OutsideCharactersDropped", {"xx:1162;yy"}, {"1162"}},
        CaptureCase{"SecondStartIsPartOfTheMessage", {":12AB:1162;"}, {"12AB:1162"}},
        CaptureCase{"FinishWithoutStartGivesNothing", {"1162;0C73;"}, {}},
        CaptureCase{"LongMessageKeepsItsEnd",
                    {":" + Long1200.toLatin1() + ";"},
                    {QString(999, QLatin1Char('B'))}},
        CaptureCase{"ZeroByteArrivesAsSpace", {withZero()}, {"11 62"}},
        CaptureCase{"SplitOverBlocks", {":1", "16", "2", ";"}, {"1162"}},
        CaptureCase{"SeveralInOneBlock", {":1162;:0C73;noise:00;"}, {"1162", "0C73", "00"}},
        CaptureCase{"EmptyMessage", {":;"}, {""}},
        CaptureCase{"HugeMessageKeepsItsEnd",
                    {":" + QByteArray(10000, 'x') + "1162;"},
                    {QString(995, QLatin1Char('x')) + "1162"}},
        CaptureCase{"HugeNoiseWithoutDelimiters", {QByteArray(10000, 'x'), ":1162;"}, {"1162"}},
        CaptureCase{"UnfinishedMessageIsHeld", {":1162"}, {}},
        CaptureCase{
            "HighBytesPassThrough", {QByteArray(":\xff\x80;")}, {QString::fromLatin1("\xff\x80")}}),
    [](const ::testing::TestParamInfo<CaptureCase> &test) { return test.param.name; });

TEST(Capture, InactiveCaptureLosesBytesAndResetDropsAHalfMessage)
{
    test::FakeNotifier notifier;
    TVaComm comm;
    TVaCapture capture(notifier);
    capture.SetComm(&comm);
    QStringList received;
    capture.OnMessage = [&](TVaCapture *, const QString &data) { received.append(data); };

    emit comm.received(":1162;");
    EXPECT_TRUE(received.isEmpty()) << "delivered while inactive";

    capture.SetActive(true);
    emit comm.received(":11");
    capture.Reset();
    emit comm.received("62;:0C73;");
    EXPECT_EQ(received, QStringList{"0C73"});

    capture.SetComm(nullptr);
    emit comm.received(":1162;");
    EXPECT_EQ(received, QStringList{"0C73"}) << "still listening after detaching";
}

TEST(Capture, FailingHandlerIsReportedAndCaptureGoesOn)
{
    test::FakeNotifier notifier;
    TVaCapture capture(notifier);
    QStringList received;
    capture.OnMessage = [&](TVaCapture *, const QString &data) {
        if (data == "bad")
            throw std::runtime_error("handler failed");
        received.append(data);
    };
    capture.DataChanged(":bad;:1162;");
    EXPECT_EQ(received, QStringList{"1162"});
    EXPECT_EQ(notifier.errors, QStringList{"handler failed"});
}

TEST(Frame, BuildsAndChecksFrames)
{
    EXPECT_EQ(BuildFrame("11"), ":1162;");
    EXPECT_EQ(BuildFrame("0C"), ":0C73;");
    EXPECT_EQ(BuildFrame("12300509"), ":1230050994;");
    EXPECT_EQ(BuildFrame(""), ":00;");

    EXPECT_EQ(CheckedBody("111E2D0CC1"), QByteArray("111E2D0C"));
    EXPECT_EQ(CheckedBody("00"), QByteArray(""));
    EXPECT_EQ(CheckedBody("1163"), std::nullopt);
    EXPECT_EQ(CheckedBody("0c00d3"), std::nullopt);
    EXPECT_EQ(CheckedBody("0"), std::nullopt);
    EXPECT_EQ(CheckedBody(""), std::nullopt);
    EXPECT_EQ(CheckedBody("11 62"), std::nullopt);
}

} // namespace
} // namespace sr5n
