#include "run/RestClaim.h"

#include "platform/Exception.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString CannotCreate(const QString& path, int error)
{
    return QCoreApplication::translate("TRestClaim", "Cannot create file %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// The holder as the claim file keeps it: user, host, process and since, a line each.
QByteArray HolderText(const TClaimHolder& holder)
{
    return QStringList { holder.user, holder.host, QString::number(holder.pid), holder.since.toString(Qt::ISODateWithMs), QString() }
        .join(QLatin1Char('\n'))
        .toUtf8();
}

std::optional<TClaimHolder> ReadHolder(int fd)
{
    char buffer[4096];
    const ssize_t got = ::pread(fd, buffer, sizeof(buffer), 0);
    if (got <= 0)
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(buffer, got).split(QLatin1Char('\n'));
    if (lines.size() < 4)
        return std::nullopt;
    TClaimHolder holder { lines[0], lines[1], lines[2].toLongLong(), QDateTime::fromString(lines[3], Qt::ISODateWithMs) };
    return holder;
}

class TFileClaim : public TRestClaim {
public:
    TFileClaim(QString path, int fd)
        : path_(std::move(path))
        , fd_(fd)
    {
    }
    ~TFileClaim() override
    {
        // Removed while still locked, and only while the name is still this file: a
        // claimant that opened it meanwhile finds the name gone (or another file) and
        // tries again, so no two ever hold one rest.
        struct stat mine {};
        struct stat named {};
        if (::fstat(fd_, &mine) == 0 && ::stat(QFile::encodeName(path_).constData(), &named) == 0
            && mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            ::unlink(QFile::encodeName(path_).constData());
        ::close(fd_);
    }

private:
    QString path_;
    int fd_;
};

} // namespace

TClaimHolder ThisHolder()
{
    return TClaimHolder { CurrentUser(), CurrentHost(), qint64(::getpid()), QDateTime::currentDateTimeUtc() };
}

QString ClaimKey(const TJournalRecord& run)
{
    if (run.run != 0)
        return QStringLiteral("%1").arg(run.run, 16, 16, QLatin1Char('0'));
    const QByteArray named = (run.started.toString(Qt::ISODateWithMs) + QLatin1Char('\n') + run.user + QLatin1Char('\n') + run.host).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(named, QCryptographicHash::Sha256).toHex().left(16));
}

QString ClaimRefusal(const TJournalRecord& run, const std::optional<TClaimHolder>& holder)
{
    const QString which = run.run != 0 ? ClaimKey(run) : run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!holder)
        return QCoreApplication::translate("TRestClaim", "The rest of run %1 is being printed by another Tallyforge").arg(which);
    return QCoreApplication::translate("TRestClaim", "The rest of run %1 is being printed by %2 on %3 (process %4) since %5")
        .arg(which, holder->user, holder->host)
        .arg(holder->pid)
        .arg(holder->since.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

std::unique_ptr<TRestClaim> ClaimRestBeside(const QString& journalPath, const TJournalRecord& run)
{
    const QString path = journalPath + QStringLiteral(".rest-%1.lock").arg(ClaimKey(run));
    const QByteArray name = QFile::encodeName(path);
    // Tried again only when the file was removed by a claim that ended between our open
    // and our lock; a busy file refuses at once.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0)
            throw Exception(CannotCreate(path, errno));
        struct stat mine {};
        if (::fstat(fd, &mine) != 0 || !S_ISREG(mine.st_mode)) {
            ::close(fd);
            throw Exception(CannotCreate(path, EINVAL));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK) {
                const std::optional<TClaimHolder> holder = ReadHolder(fd);
                ::close(fd);
                throw ERestClaimed(ClaimRefusal(run, holder));
            }
            ::close(fd);
            throw Exception(CannotCreate(path, error));
        }
        struct stat named {};
        if (::stat(name.constData(), &named) != 0 || named.st_dev != mine.st_dev || named.st_ino != mine.st_ino) {
            ::close(fd);
            continue;
        }
        // Whoever is refused reads who holds the claim; a killed holder's name is
        // overwritten by the next one.
        const QByteArray text = HolderText(ThisHolder());
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.constData(), size_t(text.size()), 0) != text.size()) {
            // The claim holds all the same; only its holder's name is missing.
        }
        return std::make_unique<TFileClaim>(path, fd);
    }
    throw Exception(CannotCreate(path, EAGAIN));
}
