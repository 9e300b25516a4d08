#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The program's command line. With no command it opens the window; `print` prints a run
// headless on the same engine as the window's toolbar Print (or File > Print with
// --no-advance), with the same settings file, lock and counter rules.
namespace cli {

// Exit statuses of a command.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;
inline constexpr int kNotCompleted = 3; // a print job was cancelled or aborted (--wait: or did not complete)
inline constexpr int kStopped = 130; // SIGINT or SIGTERM, after the current page

// Whether these arguments run without a window (a command, --help, --version), so the
// program can choose the offscreen platform before the application object exists.
bool Headless(int argc, char** argv);

// The program's own arguments, read before the toolkit sees any: the toolkit gets the
// program's name and, when the window opens, its display options (-platform, -display,
// -style ...) alone.
struct Arguments {
    QStringList own;             // for Run(), the program's name first
    std::vector<char*> toolkit;  // for the application object, the program's name first
};
Arguments SplitArguments(int argc, char** argv);

// What main() does with the arguments once the application object exists.
struct Request {
    bool openWindow = false;
    QString settingsPath; // empty: the default place
    int exitCode = kDone; // when no window is opened
};
Request Run(const QStringList& arguments);

// The version shown by --version and the About box.
QString VersionText();

} // namespace cli
