#include "run/DesignStore.h"

#include "platform/Exception.h"
#include "platform/RegularFile.h"
#include "ticket/TicketDesign.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

TDesignFolder::TDesignFolder(QString path)
    : path_(std::move(path))
{
}

QString TDesignFolder::PathBeside(const QString& settingsPath)
{
    return QFileInfo(settingsPath).absoluteDir().filePath(QStringLiteral("Tallyforge-designs"));
}

QString TDesignFolder::FileOf(const QString& hash) const
{
    // Only a hash names a file: nothing from a journal's column reaches outside the folder.
    static const QRegularExpression kHash(QStringLiteral("^[0-9a-f]{64}$"));
    if (!kHash.match(hash).hasMatch())
        return {};
    return QDir(path_).filePath(hash + QStringLiteral(".ini"));
}

void TDesignFolder::Keep(const QString& hash, const QString& text) const
{
    const QString file = FileOf(hash);
    if (file.isEmpty())
        throw Exception(QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(QDir(path_).filePath(hash))));
    if (Text(hash))
        return;
    if (!QDir().mkpath(path_))
        throw Exception(QStringLiteral("Cannot create file %1: %2").arg(QDir::toNativeSeparators(file), QString::fromLocal8Bit(std::strerror(errno))));
    regularfile::Replace(file, text.toUtf8());
}

std::optional<QString> TDesignFolder::Text(const QString& hash) const
{
    const QString file = FileOf(hash);
    if (file.isEmpty())
        return std::nullopt;
    std::optional<QByteArray> bytes;
    try {
        bytes = regularfile::Read(file);
    } catch (const Exception&) {
        return std::nullopt;
    }
    if (!bytes)
        return std::nullopt;
    QString text = QString::fromUtf8(*bytes);
    if (ticket::DesignHash(text) != hash)
        return std::nullopt;
    return text;
}
