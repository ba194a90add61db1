#include "cli/OutputFile.h"

#include "cli/InterruptSignals.h"
#include "cli/TerminalNotifier.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sr5n {

namespace {

// Waits until `fd` takes more bytes, a tenth of a second at a time, so that
// SIGINT and SIGTERM end the wait; false when a signal came.
bool waitWritable(int fd)
{
    pollfd ready{fd, POLLOUT, 0};
    while (::poll(&ready, 1, 100) == 0 || (ready.revents & POLLOUT) == 0) {
        if (InterruptSignals::received())
            return false;
        if (ready.revents & (POLLERR | POLLHUP))
            return true; // the write says what went wrong
    }
    return true;
}

// Writes all of `bytes` to `fd`; the error number when that failed.
std::optional<int> writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN && waitWritable(fd))
                continue;
            return errno == EAGAIN ? EINTR : errno;
        }
        data += written;
        left -= written;
    }
    return std::nullopt;
}

// Opens a named pipe for writing once a program reads it: without a reader
// the open would block beyond the reach of Ctrl+C, so it is tried again every
// tenth of a second, the user told once, until a reader comes or a signal.
int openPipe(const QByteArray &name, const QString &path)
{
    bool told = false;
    for (;;) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0 || errno != ENXIO)
            return fd;
        if (InterruptSignals::received()) {
            errno = EINTR;
            return -1;
        }
        if (!told) {
            PrintText(stderr, QStringLiteral("Канал \"%1\" никто не читает: ожидание читающей "
                                             "программы (Ctrl+C прерывает)\n")
                                  .arg(QDir::toNativeSeparators(path)));
            told = true;
        }
        ::usleep(100 * 1000);
    }
}

// Writes a device, pipe or terminal as it is: no file replaces it. Writes
// never block beyond the reach of a signal.
std::optional<QString> writeDirectly(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {
    };
    const bool pipe = ::stat(name.constData(), &info) == 0 && S_ISFIFO(info.st_mode);
    const int fd = pipe ? openPipe(name, path)
                        : ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return OutputFile::failure(path, SystemErrorText(errno));
    std::optional<int> error = writeAll(fd, bytes);
    if (::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    if (error)
        return OutputFile::failure(path, SystemErrorText(*error));
    return std::nullopt;
}

// Where a symbolic link leads, followed to its end even when that file does
// not exist yet: the output is written there, as a shell's redirection does,
// and the link stays a link.
QString linkEnd(const QString &path)
{
    QString target = path;
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            return target;
        target = info.symLinkTarget();
    }
    return path; // a loop: the write fails on it with the system's reason
}

// Writes a new file beside the target and renames it over the target: the
// target is either the old file or the whole new one, never a part.
std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes)
{
    // A symbolic link stays a link: the file it leads to is replaced (or
    // made, when the link leads to no file yet).
    const QString target = linkEnd(path);
    const QFileInfo targetInfo(target);
    QByteArray temporary = QFile::encodeName(targetInfo.absolutePath() + QStringLiteral("/.") +
                                             targetInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return OutputFile::failure(path, SystemErrorText(errno));
    // The new file keeps the old one's permissions; a new one gets the usual.
    struct stat old {
    };
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::optional<int> error;
    if (::fchmod(fd, mode) != 0)
        error = errno;
    if (!error)
        error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return OutputFile::failure(path, SystemErrorText(*error));
    }
    return std::nullopt;
}

} // namespace

OutputFile::Kind OutputFile::kindOf(const QString &path, QString *reason)
{
    if (path.isEmpty() || path == u"-")
        return Kind::StandardOutput;
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return Kind::Replaced; // a new file; a path that cannot be made fails on writing
    if (S_ISREG(info.st_mode))
        return Kind::Replaced;
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))
        return Kind::Direct;
    if (reason) {
        if (S_ISDIR(info.st_mode))
            *reason = QStringLiteral("это папка");
        else if (S_ISBLK(info.st_mode))
            *reason = QStringLiteral("это блочное устройство (диск), а не файл");
        else if (S_ISSOCK(info.st_mode))
            *reason = QStringLiteral("это сокет, а не файл");
        else
            *reason = QStringLiteral("это не обычный файл, не устройство и не канал");
    }
    return Kind::Refused;
}

std::optional<QString> OutputFile::write(const QString &path, const QByteArray &bytes)
{
    QString reason;
    switch (kindOf(path, &reason)) {
    case Kind::StandardOutput:
        if (!PrintBytes(stdout, bytes))
            return TakeStandardOutputFault();
        return std::nullopt;
    case Kind::Direct:
        return writeDirectly(path, bytes);
    case Kind::Replaced:
        return replaceFile(path, bytes);
    case Kind::Refused:
        break;
    }
    return failure(path, reason);
}

QString OutputFile::failure(const QString &path, const QString &reason)
{
    return QStringLiteral("Невозможно сохранить файл \"%1\": %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString SystemErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("нет такой папки");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
    case ENOSPC:
        return QStringLiteral("нет места на диске");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EROFS:
        return QStringLiteral("файловая система только для чтения");
    case EISDIR:
        return QStringLiteral("это папка");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    case EPIPE:
        return QStringLiteral("читающая сторона канала закрыта");
    case EINTR:
        return QStringLiteral("прервано");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("устройство недоступно");
    default:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace sr5n
