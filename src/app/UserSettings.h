#pragma once

#include <QString>

namespace sr5n {

// What the program keeps between runs for its user, in a settings file of
// the user's configuration folder. Every value is read and written at once,
// so two windows of the program see each other's changes.
class UserSettings final
{
public:
    // `path`: the settings file; the user's own by default.
    explicit UserSettings(QString path = defaultPath());

    // "sr5n-configurator.conf" in the program's folder of the user's configuration folder.
    static QString defaultPath();
    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // Whether "Записать" reads the configuration back and compares it; off
    // unless the user turned it on.
    bool verifyWrites() const;
    void setVerifyWrites(bool on);

private:
    QString m_path;
};

} // namespace sr5n
