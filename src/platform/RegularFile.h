#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files the program keeps (the settings file and the like) are only ever regular files. A
// path given by the user may name anything, though: a device, a pipe, a folder, or a link
// to one. Reading such a thing could hang (a pipe, /dev/zero) and replacing it through a
// rename would destroy it (/dev/null as root), so both refuse it with a clear error.
namespace regularfile {

// The file's bytes; nothing when there is no file (or a symbolic link leads nowhere).
// Never blocks on a pipe or device. Raises Exception("Cannot open file <path>") when it
// cannot be read, with the reason when it is not a regular file.
std::optional<QByteArray> Read(const QString& path);

// Raises what Read() raises for a path that exists but is not a regular file (or a
// symbolic link to one); does nothing for a missing file.
void CheckReadable(const QString& path);

// The file a write of `path` replaces: the path itself when it is a regular file or
// missing, the file a symbolic link leads to when that is a regular file. Raises
// Exception("Cannot create file <path>: ...") naming what it is otherwise (a folder, a
// device, a pipe, a link to nothing or to one of those).
QString WriteTarget(const QString& path);

// Writes the bytes to a new file beside the target (see WriteTarget), syncs it, keeps the
// old file's permissions, renames it into place and syncs the folder, so the old file
// stays whole if anything fails. Raises Exception("Cannot create file <path>").
void Replace(const QString& path, const QByteArray& bytes);

} // namespace regularfile
