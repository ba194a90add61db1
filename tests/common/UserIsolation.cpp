#include "common/UserIsolation.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sr5n::test {

namespace {

class FreshUserState final : public ::testing::EmptyTestEventListener
{
public:
    FreshUserState()
    {
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, configFolder());
        // Inherited by the simulators the tests start.
        QDir(m_folder.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(m_folder.path() + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder.path() + QStringLiteral("/runtime")));
    }

    void OnTestStart(const ::testing::TestInfo &) override
    {
        for (const QString &path : {configFolder(), dataFolder()}) {
            QDir folder(path);
            folder.removeRecursively();
            folder.mkpath(QStringLiteral("."));
        }
        // The user's data folder (the history of configurations), set again
        // for every test since a test may point it elsewhere.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataFolder()));
    }

private:
    QString configFolder() const { return m_folder.path() + QStringLiteral("/config"); }
    QString dataFolder() const { return m_folder.path() + QStringLiteral("/data"); }

    QTemporaryDir m_folder;
};

} // namespace

void IsolateFromTheUser()
{
    // Settings go to a folder of their own (not to the test mode's shared
    // ~/.qttest, which would also move the data folders other tests set up).
    // Owned by GoogleTest from here on.
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshUserState);
}

} // namespace sr5n::test
