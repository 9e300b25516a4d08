#include "platform/Application.h"

#include "platform/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace app {
namespace {
ErrorHandler& errorHandler()
{
    static ErrorHandler handler;
    return handler;
}
QuestionHandler& questionHandler()
{
    static QuestionHandler handler;
    return handler;
}
} // namespace

QString Title()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

void SetTitle(const QString& title)
{
    QCoreApplication::setApplicationName(title);
    QGuiApplication::setApplicationDisplayName(title);
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowError(const QString& message)
{
    const QString text = ErrorBoxText(message);
    if (errorHandler()) {
        errorHandler()(Title(), text);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), Title(), text);
}

bool AskYesNo(const QString& text)
{
    if (questionHandler())
        return questionHandler()(Title(), text);
    QMessageBox box(QMessageBox::Warning, Title(), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

void ProcessMessages() { QCoreApplication::processEvents(); }

QString ExceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

bool Guard(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        ShowError(ExceptionText(std::current_exception()));
        return false;
    }
}

void SetErrorHandler(ErrorHandler handler) { errorHandler() = std::move(handler); }
void SetQuestionHandler(QuestionHandler handler) { questionHandler() = std::move(handler); }

} // namespace app
