#include "app/StartOptions.h"

#include <QProcess>
#include <QProcessEnvironment>

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

// The program answers before it looks for a display: with none to be had
// (and the X11 platform asked for, which would abort without one) it still
// prints its answer and ends well.
TEST(StartOptions, HelpAndVersionNeedNoDisplay)
{
    const std::pair<const char *, const char *> cases[] = {
        {"--help", "Usage: sr5n-configurator [FILE.snc]\n"},
        {"--version", "sr5n-configurator " SR5N_VERSION "\n"},
    };
    for (const auto &[option, start] : cases) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(SR5N_BIN_DIR "/sr5n-configurator"),
                      {QString::fromLatin1(option)});
        ASSERT_TRUE(program.waitForFinished(30000)) << option;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(program.exitCode(), 0) << option;
        EXPECT_TRUE(program.readAllStandardOutput().startsWith(start)) << option;
        EXPECT_TRUE(program.readAllStandardError().isEmpty()) << option;
    }
}

} // namespace
