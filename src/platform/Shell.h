#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// The desktop shell: opening web and mail addresses with the user's programs, and where
// the running program lives.
namespace shell {

// Asks the desktop to open the address (a web page in the browser, "mailto:" in the mail
// program). The owner is the window asking; the result says whether the desktop took it.
bool Open(const QString& address, QWidget* owner = nullptr);

// Test seam: receives every address instead of the desktop (nullptr restores it).
using OpenHandler = std::function<bool(const QUrl& address)>;
void SetOpenHandler(OpenHandler handler);

// The running executable's full path and its folder (no trailing "/").
QString ExecutableFilePath();
QString ExecutableDirectory();

// Test seam: pretends the executable lives in this folder (empty restores the real one).
void SetExecutableDirectory(const QString& directory);

} // namespace shell
