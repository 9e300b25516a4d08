#include "support_postgres.h"

#include "support_app.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>

#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

// Runs as an unprivileged user when we are root; dies with this test program.
void AsServer(QProcess& process)
{
    const pid_t test = ::getpid();
    const passwd* nobody = ::getuid() == 0 ? ::getpwnam("nobody") : nullptr;
    const uid_t uid = nobody ? nobody->pw_uid : ::getuid();
    const gid_t gid = nobody ? nobody->pw_gid : ::getgid();
    const bool change = nobody != nullptr;
    process.setChildProcessModifier([=] {
        if (change && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(1);
        // After the change of user, which would clear it. SIGQUIT: an immediate stop.
        ::prctl(PR_SET_PDEATHSIG, SIGQUIT);
        if (::getppid() != test)
            ::_exit(1);
    });
}

} // namespace

TestPostgres::TestPostgres(bool durable)
    : durable_(durable)
{
    if (!dir_.isValid() || !QFile::exists(kBin + QStringLiteral("postgres"))) {
        error_ = QStringLiteral("no PostgreSQL 15 in ") + kBin;
        return;
    }
    data_ = dir_.filePath(QStringLiteral("data"));
    QDir().mkpath(data_);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    if (::getuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(QFile::encodeName(data_).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            error_ = QStringLiteral("cannot give the data folder to nobody");
            return;
        }
    }
    QProcess initdb;
    AsServer(initdb);
    initdb.setProcessChannelMode(QProcess::MergedChannels);
    initdb.start(kBin + QStringLiteral("initdb"), { QStringLiteral("-D"), data_, QStringLiteral("-U"), QStringLiteral("tallyforge"),
                                                   QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                                   QStringLiteral("--locale=C"), QStringLiteral("--no-sync") });
    if (!initdb.waitForFinished(60000) || initdb.exitCode() != 0) {
        error_ = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(initdb.readAll());
        return;
    }
    port_ = apptest::FreePort();
    Start();
}

TestPostgres::~TestPostgres() { Stop(); }

QString TestPostgres::Uri() const
{
    return QStringLiteral("postgresql://tallyforge@127.0.0.1:%1/postgres?sslmode=disable").arg(port_);
}

bool TestPostgres::Start()
{
    if (server_.state() != QProcess::NotRunning)
        return true;
    AsServer(server_);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.setStandardOutputFile(QProcess::nullDevice());
    server_.start(kBin + QStringLiteral("postgres"),
                  { QStringLiteral("-D"), data_, QStringLiteral("-p"), QString::number(port_), QStringLiteral("-c"),
                    QStringLiteral("listen_addresses=127.0.0.1"), QStringLiteral("-c"), QStringLiteral("unix_socket_directories="),
                    QStringLiteral("-c"), durable_ ? QStringLiteral("fsync=on") : QStringLiteral("fsync=off"), QStringLiteral("-c"), QStringLiteral("logging_collector=off"),
                    QStringLiteral("-c"), QStringLiteral("log_min_messages=panic") });
    // Ready when the server says so in its pid file.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30000 && server_.state() != QProcess::NotRunning) {
        QFile pid(data_ + QStringLiteral("/postmaster.pid"));
        if (pid.open(QIODevice::ReadOnly) && pid.readAll().contains("ready"))
            return true;
        QThread::msleep(20);
    }
    error_ = QStringLiteral("the server did not start");
    return false;
}

bool TestPostgres::Stop()
{
    if (server_.state() == QProcess::NotRunning)
        return true;
    ::kill(pid_t(server_.processId()), SIGINT);
    if (!server_.waitForFinished(30000)) {
        server_.kill();
        server_.waitForFinished(5000);
        return false;
    }
    return true;
}

bool TestPostgres::Freeze(bool frozen)
{
    const pid_t postmaster = pid_t(server_.processId());
    if (server_.state() == QProcess::NotRunning || postmaster <= 0)
        return false;
    QList<pid_t> processes { postmaster };
    // The server's own processes, each connection's among them, are its children.
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == postmaster)
            processes << pid_t(entry.toInt());
    }
    bool all = true;
    for (const pid_t process : processes)
        all = ::kill(process, frozen ? SIGSTOP : SIGCONT) == 0 && all;
    return all;
}

QString TestPostgres::Query(const QString& sql) const
{
    QProcess psql;
    psql.start(QStringLiteral("psql"), { QStringLiteral("-XAtq"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                         QStringLiteral("-d"), Uri(), QStringLiteral("-c"), sql });
    if (!psql.waitForFinished(30000) || psql.exitCode() != 0)
        return QString();
    QString out = QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    return out.isNull() ? QStringLiteral("") : out; // no rows is not a failure
}
