#pragma once

// The scheduler's queues as libcups describes them: their names and the default, the
// paper each offers with its margins, its resolution, and whether it asks for a login.
// Nothing here shows anything: a password is asked for through a hook the program with
// windows installs; without one, a queue that asks for a login is simply refused.

#include <QList>
#include <QMarginsF>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace cups {

struct Queues {
    bool reached = false; // the scheduler answered
    QStringList names;    // as the scheduler lists them; instances of a queue are left out
    QString defaultName;  // empty: no default queue
};
// Reads the queues on a connection of our own, bounded in time, so a scheduler that is
// gone or stopped answers "not reached" instead of holding the caller up.
Queues ReadQueues();

// A paper a queue offers and the margins it cannot print in, in points.
struct Media {
    QPageSize size;
    QMarginsF margins; // left, top, right, bottom
};
// A paper as libcups describes it (hundredths of millimetres): a standard size is known
// by its own name ("Letter", "A4").
Media MediaOf(int width, int length, int left, int top, int right, int bottom);

struct QueueInfo {
    bool read = false; // the scheduler described the queue
    std::optional<Media> defaultMedia;
    QList<Media> media; // each size once, in the queue's order
    int dpiX = 0;       // printer-resolution-default, or what the queue supports
    int dpiY = 0;
};
QueueInfo ReadQueueInfo(const QString& queue);

// Asked for a password: for whom, for which queue (or place on the server), and whether a
// password given before was refused.
struct PasswordRequest {
    QString user;
    QString queue;
    QString server;
    bool refused = false;
};
// The answer: a password, or nothing to give up.
using PasswordHook = std::function<std::optional<QString>(const PasswordRequest&)>;
// Every request of this program asks through the hook; without one, no password is given.
void SetPasswordHook(PasswordHook hook);
// Registers the password callback on the calling thread (libcups keeps it per thread).
void UsePasswordCallback();
// A new connection is about to be made: a password asked for now is asked for the first
// time on it.
void NewConnection();

enum class Login {
    Open,     // the queue takes jobs without a login, or the login given was accepted
    Declined, // it asks for a login and no password was given (no hook, or given up)
    Unknown,  // the scheduler could not be asked, or said something else
};
// Asks the queue whether it would take a job (Validate-Job), before anything is printed.
Login CheckLogin(const QString& queue);

} // namespace cups
