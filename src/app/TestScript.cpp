#include "app/TestScript.h"

#include "app/Tallyforge.h"
#include "preview/Preview.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <chrono>

namespace {
constexpr int kPollMs = 20;
constexpr int kAwaitLimitMs = 60000;

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
} // namespace

void TestScript::StartIfRequested(TfrmTallyforge* window)
{
    // Inert in normal use: only a test sets this variable.
    const QString path = qEnvironmentVariable(kVariable);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    new TestScript(window, lines);
}

TestScript::TestScript(TfrmTallyforge* window, QStringList lines)
    : QObject(window)
    , window_(window)
    , lines_(std::move(lines))
{
    window_->Preview1->DrawPanel()->installEventFilter(this);
    QTimer::singleShot(0, this, &TestScript::Step);
}

bool TestScript::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !painted_)
        QTimer::singleShot(0, this, [this] { painted_ = true; }); // after the paint is done
    return QObject::eventFilter(watched, event);
}

void TestScript::Step()
{
    while (next_ < lines_.size()) {
        if (!RunLine(lines_[next_].trimmed())) {
            waitedMs_ += kPollMs;
            if (waitedMs_ > kAwaitLimitMs) {
                QCoreApplication::exit(3);
                return;
            }
            QTimer::singleShot(kPollMs, this, &TestScript::Step);
            return;
        }
        waitedMs_ = 0;
        ++next_;
    }
}

bool TestScript::RunLine(const QString& line)
{
    const QString command = line.section(QLatin1Char(' '), 0, 0);
    const QString argument = line.section(QLatin1Char(' '), 1);
    if (command == QLatin1String("await-painted"))
        return painted_;
    if (command == QLatin1String("write-time")) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        writeFile(argument, QByteArray::number(qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())));
    } else if (command == QLatin1String("signal")) {
        writeFile(argument, QByteArray());
    } else if (command == QLatin1String("await")) {
        return QFile::exists(argument);
    } else if (command == QLatin1String("set")) {
        const QString name = argument.section(QLatin1Char(' '), 0, 0);
        if (auto* edit = window_->findChild<THistoryEdit*>(name))
            edit->SetText(argument.section(QLatin1Char(' '), 1));
    } else if (command == QLatin1String("trigger")) {
        // Deferred, so a modal dialog or the end of the program does not run inside Step.
        if (auto* action = window_->findChild<QAction*>(argument))
            QTimer::singleShot(0, action, &QAction::trigger);
    }
    return true;
}
