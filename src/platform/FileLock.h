#pragma once

#include <QString>

#include <chrono>

// The kernel's advisory lock (flock) on a file, held for the object's life. The lock goes
// with the process however that ends, so a killed program never leaves a file locked and
// no guess about staleness is ever made.
//
// Locking a path this thread already holds nests: the inner lock only counts, so a
// write that takes the lock itself can run inside a caller's locked change (a second
// flock on a new descriptor would wait for ourselves).
class TFileLock {
public:
    enum class Mode { Shared, Exclusive };

    // Opens the file (made, empty, when missing) and locks it. Raises
    // Exception(busyMessage, or "The file <path> is in use by another program") when the
    // lock is not granted within `timeout`, and "Cannot create file <path>" when the file
    // cannot be opened.
    TFileLock(const QString& path, Mode mode, std::chrono::milliseconds timeout, const QString& busyMessage = {});
    // Locks a descriptor the caller keeps open for longer than the lock; `name` is the
    // file's path for messages. The lock is released, the descriptor left open.
    TFileLock(int fd, const QString& name, Mode mode, std::chrono::milliseconds timeout,
              const QString& busyMessage = {});
    ~TFileLock();

    TFileLock(TFileLock&& other) noexcept;
    TFileLock& operator=(TFileLock&&) = delete;
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

private:
    void Release();

    int fd_ = -1;
    bool ownsFd_ = false;
    bool nested_ = false;   // an inner lock of one this thread holds
    bool registered_ = false;
    quint64 device_ = 0;
    quint64 inode_ = 0;
};
