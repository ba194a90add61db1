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
        QDir folder(configFolder());
        folder.removeRecursively();
        folder.mkpath(QStringLiteral("."));
    }

private:
    QString configFolder() const { return m_folder.path() + QStringLiteral("/config"); }

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
