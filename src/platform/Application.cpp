#include "platform/Application.h"

#include "platform/Exception.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdio>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

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
ErrorHandler& errorPresenter()
{
    static ErrorHandler presenter;
    return presenter;
}
QuestionPresenter& questionPresenter()
{
    static QuestionPresenter presenter;
    return presenter;
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
    if (errorPresenter())
        errorPresenter()(Title(), text);
    else
        std::fprintf(stderr, "%s: %s\n", qPrintable(Title()), qPrintable(text));
}

bool AskYesNo(const QString& text, bool yesByDefault)
{
    if (questionHandler())
        return questionHandler()(Title(), text);
    // Nobody to ask: the safe answer.
    return questionPresenter() && questionPresenter()(Title(), text, yesByDefault);
}

void ProcessMessages() { QCoreApplication::processEvents(); }

namespace {

int signalPipe[2] = { -1, -1 };

void WriteSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

} // namespace

void OnTerminationRequest(std::function<void(int)> handler)
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler = std::move(handler)] {
        unsigned char byte = 0;
        while (::read(signalPipe[1], &byte, 1) == 1)
            handler(byte);
    });
    // The handler itself only writes a byte; the work happens in the event loop, which
    // the print loop also runs between pages.
    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
}

QString ExceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QCoreApplication::translate("Application", "Unknown error");
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

void SetPresenters(ErrorHandler error, QuestionPresenter question)
{
    errorPresenter() = std::move(error);
    questionPresenter() = std::move(question);
}

void SetErrorHandler(ErrorHandler handler) { errorHandler() = std::move(handler); }
void SetQuestionHandler(QuestionHandler handler) { questionHandler() = std::move(handler); }

} // namespace app
