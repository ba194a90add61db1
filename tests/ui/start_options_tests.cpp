#include "app/StartOptions.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace sr5n;
using Action = StartOptions::Action;

namespace {

struct Case {
    QStringList arguments; // after the program's name
    Action action;
    QString file;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << '[' << c.arguments.join(u' ').toStdString() << ']';
}

class StartOptionsTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(StartOptionsTest, Parses)
{
    const Case &c = GetParam();
    const StartOptions options =
        StartOptions::parse(QStringList{QStringLiteral("sr5n-configurator")} + c.arguments);
    EXPECT_EQ(options.action, c.action) << c.arguments.join(u' ').toStdString();
    EXPECT_EQ(options.file, c.file);
    EXPECT_EQ(options.message.isEmpty(), c.action != Action::Error)
        << options.message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StartOptionsTest,
    ::testing::Values(Case{{}, Action::Run, {}},
                      Case{{"Объект 1.snc"}, Action::Run, "Объект 1.snc"},
                      Case{{"--help"}, Action::Help, {}}, Case{{"-h"}, Action::Help, {}},
                      Case{{"--version"}, Action::Version, {}}, Case{{"-v"}, Action::Version, {}},
                      // Help and version win over a file and over a wrong option.
                      Case{{"a.snc", "--version"}, Action::Version, {}},
                      Case{{"--bogus", "--help"}, Action::Help, {}},
                      Case{{"--bogus"}, Action::Error, {}},
                      Case{{"a.snc", "b.snc"}, Action::Error, {}},
                      // After "--" a name that starts with "-" is a file.
                      Case{{"--", "-odd.snc"}, Action::Run, "-odd.snc"},
                      Case{{"--", "--help"}, Action::Run, "--help"}));

TEST(StartOptions, VersionIsTheProgramsVersion)
{
    EXPECT_EQ(StartOptions::versionText(),
              QStringLiteral("sr5n-configurator ") + QStringLiteral(SR5N_VERSION) + u'\n');
    EXPECT_TRUE(StartOptions::helpText(QStringLiteral("sr5n-configurator"))
                    .startsWith(QStringLiteral("Usage: sr5n-configurator [FILE.snc]\n")));
}

} // namespace
