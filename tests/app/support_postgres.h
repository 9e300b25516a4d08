#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of a test's own: a new cluster in a temporary folder, on a free port
// of 127.0.0.1 with trust authentication, run as "nobody" when the test runs as root
// (the server refuses root), and ended with the test even when the test is killed.
class TestPostgres {
public:
    // durable: commits reach the disk, as on a real server (tests need not wait for it).
    explicit TestPostgres(bool durable = false);
    ~TestPostgres();
    TestPostgres(const TestPostgres&) = delete;
    TestPostgres& operator=(const TestPostgres&) = delete;

    // Empty when the server is up, else why not.
    QString Error() const { return error_; }
    QString Uri() const;
    int Port() const { return port_; }

    bool Start();
    // A fast shutdown: clients are disconnected.
    bool Stop();
    // Stops (SIGSTOP) or resumes the server and every process of it: its connections stay
    // up and nothing answers, as on a server that hangs.
    bool Freeze(bool frozen);

    // psql's unaligned output of one statement (rows by lines, columns by '|'); a null
    // string when psql failed.
    QString Query(const QString& sql) const;

private:
    QTemporaryDir dir_;
    QString data_;
    int port_ = 0;
    QProcess server_;
    QString error_;
    bool durable_ = false;
};
