#pragma once

#include <QString>

#include <exception>
#include <functional>

// Application-wide helpers: the title shown on message boxes, the standard error box,
// the Yes/No question, pending-message processing and the guard around command handlers.
namespace app {

QString Title();
void SetTitle(const QString& title);

// The text the standard error box shows: the message with a "." added when its last
// character sorts after ".".
QString ErrorBoxText(const QString& message);

// Shows the standard error box (application title as caption, error icon, OK).
void ShowError(const QString& message);

// A modal Yes/No question with a warning icon; true only for Yes. Enter answers Yes when
// `yesByDefault`, else No.
bool AskYesNo(const QString& text, bool yesByDefault = true);

// Lets pending window messages run (repaints, clicks) from inside a long operation.
void ProcessMessages();

// Calls `handler` on the user-interface thread when the process is asked to stop
// (SIGTERM, SIGINT, SIGHUP), instead of dying wherever it is. Set once, after the
// application object exists.
void OnTerminationRequest(std::function<void(int signal)> handler);

// The text of whatever a handler threw.
QString ExceptionText(std::exception_ptr error);

// Runs a command handler; an exception leaving it is shown in the error box and the
// program goes on. Returns false when the handler raised.
bool Guard(const std::function<void()>& handler);

// How errors and questions reach the user. A program with windows installs its message
// boxes (dialogs::Install); without them an error goes to standard error and a question
// is answered No.
using ErrorHandler = std::function<void(const QString& caption, const QString& text)>;
using QuestionPresenter = std::function<bool(const QString& caption, const QString& text, bool yesByDefault)>;
void SetPresenters(ErrorHandler error, QuestionPresenter question);

// Test seams: replace the modal boxes by callbacks (pass nullptr to restore them).
using QuestionHandler = std::function<bool(const QString& caption, const QString& text)>;
void SetErrorHandler(ErrorHandler handler);
void SetQuestionHandler(QuestionHandler handler);

} // namespace app
