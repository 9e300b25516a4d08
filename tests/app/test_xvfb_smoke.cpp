// The built program on a real X server (Xvfb), driven by real key presses through the
// server: it shows the white page in the grey preview, its dialogs carry their own titles
// and close on Escape, every menu opens with Alt and its letter, and File > Exit closes
// it and writes its settings file. A text off the page is outlined in red on screen, and
// File > Print Log opens the log window.
#include "support_app.h"
#include "support_program.h"

#include "run/Journal.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// An X server of this test's own. It picks the first free display number itself and
// reports it once it accepts connections, so tests running side by side never race
// for one.
class PrivateXvfb {
public:
    ~PrivateXvfb()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000))
                server_.kill();
            server_.waitForFinished(5000);
        }
    }

    bool Start()
    {
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        server_.setStandardErrorFile(QProcess::nullDevice());
        apptest::EndWithTest(server_);
        server_.start(QStringLiteral("Xvfb"), { QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp") });
        QElapsedTimer timer;
        timer.start();
        while (!server_.canReadLine() && server_.state() != QProcess::NotRunning && timer.elapsed() < 15000)
            server_.waitForReadyRead(500);
        if (!server_.canReadLine())
            return false;
        display_ = QLatin1Char(':') + QString::fromLatin1(server_.readLine().trimmed());
        return display_.size() > 1;
    }

    QString Display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

// Runs an X client against the private display; its standard output, trimmed.
QString onDisplay(const QString& display, const QString& tool, const QStringList& arguments, int* exitCode,
                  int timeoutMs = 30000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(environment);
    apptest::EndWithTest(process);
    process.start(tool, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    *exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Real input and queries through the X server.
class Desktop {
public:
    explicit Desktop(QString display) : display_(std::move(display)) {}

    // xdotool; true when it succeeded.
    bool Do(const QStringList& arguments, QString* output = nullptr, int timeoutMs = 30000) const
    {
        int code = -1;
        const QString text = onDisplay(display_, QStringLiteral("xdotool"), arguments, &code, timeoutMs);
        if (output)
            *output = text;
        return code == 0;
    }
    // Presses keys at the focused window, as a user's keyboard does.
    bool Keys(const QStringList& keys) const { return Do(QStringList { QStringLiteral("key") } + keys); }
    // The first visible window whose title matches, once there is one; 0 when none came.
    qulonglong AwaitWindow(const QString& titlePattern) const
    {
        QString ids;
        if (!Do({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  titlePattern },
                &ids))
            return 0;
        return ids.section(QLatin1Char('\n'), 0, 0).toULongLong();
    }
    bool AwaitNoWindow(const QString& titlePattern, int timeoutMs = 30000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (!Do({ QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titlePattern }))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    // Waits until the process shows a window besides `shown` (a menu popping up).
    bool AwaitAnotherWindow(qint64 pid, qulonglong shown, int timeoutMs = 30000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            QString ids;
            Do({ QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid) }, &ids);
            for (const QString& id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                if (id.toULongLong() != shown)
                    return true;
            QThread::msleep(50);
        }
        return false;
    }
    // Gives the window the keyboard focus, as clicking into it does.
    bool Focus(qulonglong window) const
    {
        return Do({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window) });
    }
    // The titles the window carries for window managers: WM_NAME and _NET_WM_NAME.
    QStringList Titles(qulonglong window) const
    {
        int code = -1;
        const QString text = onDisplay(display_, QStringLiteral("xprop"),
                                       { QStringLiteral("-id"), QString::number(window), QStringLiteral("WM_NAME"),
                                         QStringLiteral("_NET_WM_NAME") },
                                       &code);
        QStringList titles;
        static const QRegularExpression value(QStringLiteral("^(\\S+)\\(\\S+\\) = \"(.*)\"$"), QRegularExpression::MultilineOption);
        for (auto match = value.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch m = match.next();
            titles << m.captured(1) + QLatin1Char('=') + m.captured(2);
        }
        return titles;
    }
    QImage Screenshot(const QString& file) const
    {
        int code = -1;
        onDisplay(display_, QStringLiteral("import"), { QStringLiteral("-window"), QStringLiteral("root"), file }, &code);
        return code == 0 ? QImage(file) : QImage();
    }

private:
    QString display_;
};

// The preview's background is mid grey (128, 128, 128) and the page is white: a row where
// grey is followed by a long white run and grey again, on a screen with plenty of grey.
bool showsPageInGrey(const QImage& screen)
{
    const QRgb grey = qRgb(128, 128, 128) & 0xffffff;
    const QRgb white = qRgb(255, 255, 255) & 0xffffff;
    qint64 greyPixels = 0;
    bool pageInGrey = false;
    for (int y = 0; y < screen.height(); ++y) {
        int state = 0; // 0 looking for grey, 1 in grey, 2 in white after grey
        int whiteRun = 0;
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb pixel = screen.pixel(x, y) & 0xffffff;
            const bool isGrey = pixel == grey;
            const bool isWhite = pixel == white;
            greyPixels += isGrey ? 1 : 0;
            if (state == 0 && isGrey) {
                state = 1;
            } else if (state == 1 && isWhite) {
                state = 2;
                whiteRun = 1;
            } else if (state == 2 && isWhite) {
                ++whiteRun;
            } else if (state == 2) {
                if (whiteRun >= 40)
                    pageInGrey = true;
                state = isGrey ? 1 : 0;
            }
        }
    }
    return pageInGrey && greyPixels > qint64(screen.width()) * screen.height() / 50;
}

struct DialogRow {
    const char* name;
    const char* menuKey; // opens a menu of the menu bar
    QStringList keys;    // once it is open
    const char* title;
};

// Starts the copied program as a window on the X server's display.
void StartOnDisplay(QProcess& program, const ProgramCopy& copy, const QString& display)
{
    QProcessEnvironment environment = copy.Environment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    apptest::EndWithTest(program);
    program.start(copy.Program(), {});
}

TEST(XvfbSmokeTest, WindowShowsThePageItsDialogsAndExitsCleanly)
{
    for (const char* tool : { "Xvfb", "import", "xdotool", "xprop" })
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.Start()) << "Xvfb did not start";
    const Desktop desktop(xvfb.Display());
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();

    QProcess program;
    StartOnDisplay(program, copy, xvfb.Display());
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();

    const qulonglong window = desktop.AwaitWindow(QStringLiteral("^Tallyforge"));
    ASSERT_NE(window, 0u) << "the window never showed";
    // The page appears once the preview has drawn it.
    const QString shot = copy.Dir() + QStringLiteral("/screen.png");
    QElapsedTimer timer;
    timer.start();
    bool pageShown = false;
    while (!pageShown && timer.elapsed() < 30000 && program.state() == QProcess::Running)
        pageShown = showsPageInGrey(desktop.Screenshot(shot));
    EXPECT_TRUE(pageShown) << "no white page inside the grey preview";

    // Every menu opens with Alt and its letter (from File, Left walks the menu bar
    // backwards), and Print Setup is in the File menu.
    const DialogRow dialogs[] = {
        { "HelpAbout", "alt+f", { "Left", "Return" }, "About" },
        { "OptionsFont", "alt+f", { "Left", "Left", "Down", "Down", "Return" }, "Font" },
        { "AltHAbout", "alt+h", { "Return" }, "About" },
        { "AltOFont", "alt+o", { "Down", "Down", "Return" }, "Font" },
        { "FilePrintSetup", "alt+f", { "s" }, "Printer Setup" },
    };
    for (const DialogRow& row : dialogs) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(desktop.Focus(window));
        ASSERT_TRUE(desktop.Keys({ QLatin1String(row.menuKey) }));
        ASSERT_TRUE(desktop.AwaitAnotherWindow(pid, window, 5000)) << "no menu opened";
        ASSERT_TRUE(desktop.Keys(row.keys));
        const QString pattern = QLatin1Char('^') + QLatin1String(row.title);
        const qulonglong dialog = desktop.AwaitWindow(pattern);
        ASSERT_NE(dialog, 0u) << "no dialog came up";
        const QString title = QLatin1String(row.title);
        EXPECT_EQ(desktop.Titles(dialog).join(QStringLiteral("; ")).toStdString(),
                  QStringLiteral("WM_NAME=%1; _NET_WM_NAME=%1").arg(title).toStdString());
        ASSERT_TRUE(desktop.Focus(dialog));
        ASSERT_TRUE(desktop.Keys({ "Escape" }));
        EXPECT_TRUE(desktop.AwaitNoWindow(pattern)) << "Escape did not close the dialog";
    }

    ASSERT_TRUE(desktop.Focus(window));
    ASSERT_TRUE(desktop.Keys({ "alt+f" }));
    ASSERT_TRUE(desktop.AwaitAnotherWindow(pid, window)) << "the File menu did not open";
    ASSERT_TRUE(desktop.Keys({ "x" }));
    const bool finished = program.waitForFinished(30000);
    if (!finished)
        program.kill();
    ASSERT_TRUE(finished) << "the program did not end after File > Exit";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("0"));
}

// The longest run of pure-red pixels in any row: an outline's edge, not an icon's speck.
int longestRedRun(const QImage& screen)
{
    int longest = 0;
    for (int y = 0; y < screen.height(); ++y) {
        int run = 0;
        for (int x = 0; x < screen.width(); ++x) {
            const QColor pixel = screen.pixelColor(x, y);
            run = pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// Screenshots are kept in the build folder, to be looked at.
QString keptScreenshot(const QString& name)
{
    QDir dir(qEnvironmentVariable("TALLYFORGE_BINARY_DIR", QDir::tempPath()));
    dir.mkpath(QStringLiteral("screenshots"));
    return dir.filePath(QStringLiteral("screenshots/") + name);
}

TEST(XvfbSmokeTest, OutlineOffThePageAndThePrintLogOnScreen)
{
    for (const char* tool : { "Xvfb", "import", "xdotool", "xprop" })
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.Start()) << "Xvfb did not start";
    const Desktop desktop(xvfb.Display());
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();
    // The first text runs past the paper's right edge; the second stands well inside.
    {
        QFile settings(copy.SettingsFile());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[SN]\r\nPrefix=OUTSIDE-THE-PAGE-\r\nLastNumber=1042\r\nPageCount=10\r\n"
                       "[Paper]\r\nHorizontalIndent=6.5\r\nVerticalIndent=1\r\nHorizontalIndent2=1\r\nVerticalIndent2=5\r\n");
    }
    const TJournal journal(TJournal::PathBeside(copy.SettingsFile()));
    const std::pair<int, int> runs[] = { { 1001, 1020 }, { 1021, 1032 }, { 1033, 1042 } };
    for (const auto& [first, last] : runs) {
        TJournalRecord record;
        record.started = QDateTime::currentDateTimeUtc().addSecs(first - 1050);
        record.finished = record.started.addSecs(2);
        record.status = TRunStatus::Completed;
        record.first = first;
        record.last = last;
        record.pages = last - first + 1;
        record.prefix = QStringLiteral("OUTSIDE-THE-PAGE-");
        record.printer = QStringLiteral("PDF");
        record.user = QStringLiteral("tester");
        record.host = QStringLiteral("xvfb");
        journal.Append(record);
    }

    QProcess program;
    StartOnDisplay(program, copy, xvfb.Display());
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();
    const qulonglong window = desktop.AwaitWindow(QStringLiteral("^Tallyforge"));
    ASSERT_NE(window, 0u) << "the window never showed";

    const QString previewShot = keptScreenshot(QStringLiteral("preview-outline.png"));
    QElapsedTimer timer;
    timer.start();
    QImage screen;
    while (timer.elapsed() < 30000 && program.state() == QProcess::Running) {
        screen = desktop.Screenshot(previewShot);
        if (showsPageInGrey(screen) && longestRedRun(screen) >= 30)
            break;
    }
    EXPECT_TRUE(showsPageInGrey(screen)) << "no white page inside the grey preview";
    EXPECT_GE(longestRedRun(screen), 30) << "no red outline in " << previewShot.toStdString();

    ASSERT_TRUE(desktop.Focus(window));
    ASSERT_TRUE(desktop.Keys({ "alt+f" }));
    ASSERT_TRUE(desktop.AwaitAnotherWindow(pid, window)) << "the File menu did not open";
    ASSERT_TRUE(desktop.Keys({ "l" }));
    const qulonglong log = desktop.AwaitWindow(QStringLiteral("^Print Log$"));
    ASSERT_NE(log, 0u) << "the print log never showed";
    EXPECT_EQ(desktop.Titles(log).join(QStringLiteral("; ")).toStdString(), "WM_NAME=Print Log; _NET_WM_NAME=Print Log");
    QThread::msleep(300); // its first paint
    const QImage logShot = desktop.Screenshot(keptScreenshot(QStringLiteral("print-log.png")));
    EXPECT_FALSE(logShot.isNull());
    ASSERT_TRUE(desktop.Focus(log));
    ASSERT_TRUE(desktop.Keys({ "Escape" }));
    EXPECT_TRUE(desktop.AwaitNoWindow(QStringLiteral("^Print Log$"))) << "Escape did not close the log";

    ASSERT_TRUE(desktop.Focus(window));
    ASSERT_TRUE(desktop.Keys({ "alt+f" }));
    ASSERT_TRUE(desktop.AwaitAnotherWindow(pid, window)) << "the File menu did not open";
    ASSERT_TRUE(desktop.Keys({ "x" }));
    const bool finished = program.waitForFinished(30000);
    if (!finished)
        program.kill();
    ASSERT_TRUE(finished) << "the program did not end after File > Exit";
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("1042"));
}

} // namespace
