#pragma once

#include <QString>

#include <functional>

// Waiting for something outside the program (a file another program holds locked, a
// server's answer) without freezing a window: the waiting code calls KeepWaiting between
// short tries, and a program with windows installs a handler that keeps them painted and
// offers a way to give up. Without a handler, waiting goes on to its own time limit.
namespace waiting {

// `what`: what is waited for, for the user ("the settings file /x/Tallyforge.ini").
// Returns false when the user gave up.
using Handler = std::function<bool(const QString& what)>;
void SetHandler(Handler handler);

// True to go on waiting. A wait inside a wait (an event the handler let run) does not
// call the handler again.
bool KeepWaiting(const QString& what);

} // namespace waiting
