#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace sr5n::fuzz {

int StarterCatalog::indexOfRecord(const QString &record) const
{
    for (int i = 0; i < m_records.size(); ++i)
        if (m_records[i].compare(record, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Window::Window()
{
    // Each pair with a protocol of the library chosen, as the window starts.
    for (ConfigModel *m : {&model, &pristine}) {
        for (int pair = 1; pair <= 2; ++pair) {
            const QString chooser = QStringLiteral("cbx%1PProtocol").arg(pair);
            m->setChoiceItems(chooser, {QStringLiteral("A"), QStringLiteral("B")});
            m->setChoice(chooser, pair - 1);
        }
    }
    const auto value = [this] { ++valueChanges; };
    const auto code = [this] { ++codeChanges; };
    QObject::connect(&model, &ConfigModel::valueChanged, value);
    QObject::connect(&model, &ConfigModel::rangeChanged, value);
    QObject::connect(&model, &ConfigModel::itemsChanged, value);
    QObject::connect(&tables, &EventCodeTables::rowsChanged, code);
    QObject::connect(&tables, &EventCodeTables::separateCodeChanged, code);
    QObject::connect(&tables, &EventCodeTables::commonCodeChanged, code);
    QObject::connect(&tables, &EventCodeTables::zoneCodesChanged, code);
    QObject::connect(&tables, &EventCodeTables::marksChanged, code);
}

void Window::reset()
{
    model.copyValues(pristine);
    tables.copyFrom(pristineTables);
}

QString writeInputFile(const QByteArray &bytes)
{
    static const QString path = QDir::temp().filePath(
        QStringLiteral("sr5n-fuzz-%1.bin").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "sr5n-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

QString programFolder()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
}

void fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.constData());
    std::fflush(stderr);
    __builtin_trap();
}

} // namespace sr5n::fuzz
