#pragma once

#include <QString>

#include <stdexcept>

// Base of the program's own errors: a message meant for the user, shown as it stands
// by the command guard.
class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) { }
    const QString& Message() const { return message_; }

private:
    QString message_;
};
