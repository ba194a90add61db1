// Runs a fuzz target once on each file given (or each file of each folder
// given): the kept inputs that once crashed it stay regression tests.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo given(QString::fromLocal8Bit(argv[i]));
        QStringList paths;
        if (given.isDir()) {
            for (const QFileInfo &entry : QDir(given.filePath()).entryInfoList(QDir::Files, QDir::Name))
                paths.append(entry.filePath());
        } else {
            paths.append(given.filePath());
        }
        for (const QString &path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                   static_cast<size_t>(bytes.size()));
            ++files;
        }
    }
    std::printf("%d inputs replayed\n", files);
    return 0;
}
