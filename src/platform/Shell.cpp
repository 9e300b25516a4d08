#include "platform/Shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

namespace shell {

namespace {

OpenHandler& Handler()
{
    static OpenHandler handler;
    return handler;
}

QString& DirectoryOverride()
{
    static QString directory;
    return directory;
}

QString RealExecutableFilePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Before the application object exists the kernel still knows.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace

bool Open(const QString& address, QWidget* /*owner*/)
{
    // Tolerant mode keeps "%" sequences and spaces of a typed address as they are.
    const QUrl url(address, QUrl::TolerantMode);
    if (Handler())
        return Handler()(url);
    return QDesktopServices::openUrl(url);
}

void SetOpenHandler(OpenHandler handler) { Handler() = std::move(handler); }

QString ExecutableFilePath()
{
    const QString real = RealExecutableFilePath();
    if (DirectoryOverride().isEmpty())
        return real;
    return DirectoryOverride() + u'/' + QFileInfo(real).fileName();
}

QString ExecutableDirectory()
{
    if (!DirectoryOverride().isEmpty())
        return DirectoryOverride();
    return QFileInfo(RealExecutableFilePath()).absolutePath();
}

void SetExecutableDirectory(const QString& directory)
{
    QString cleaned = directory;
    while (cleaned.size() > 1 && cleaned.endsWith(u'/'))
        cleaned.chop(1);
    DirectoryOverride() = cleaned;
}

} // namespace shell
