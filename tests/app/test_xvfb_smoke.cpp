// The built program on a real X server (Xvfb): it shows its window with the white page
// in the grey preview, closes through File > Exit and writes its settings file.
#include "support_app.h"
#include "support_program.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
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

bool waitForFile(const QString& path, const QProcess& program, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (QFile::exists(path))
            return true;
        if (program.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(50);
    }
    return false;
}

TEST(XvfbSmokeTest, WindowShowsThePageAndExitsCleanly)
{
    for (const char* tool : { "Xvfb", "import" })
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    PrivateXvfb xvfb;
    ASSERT_TRUE(xvfb.Start()) << "Xvfb did not start";
    ProgramCopy copy;
    ASSERT_TRUE(copy.Error().isEmpty()) << copy.Error().toStdString();

    const QString painted = copy.Dir() + QStringLiteral("/painted");
    const QString shot = copy.Dir() + QStringLiteral("/screen.png");
    const QString shotTaken = copy.Dir() + QStringLiteral("/shot-taken");
    const QStringList script { "await-painted", "signal " + painted, "await " + shotTaken, "trigger mnuExit" };
    QProcessEnvironment environment = copy.Environment(script);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), xvfb.Display());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    apptest::EndWithTest(program);
    program.start(copy.Dir() + QStringLiteral("/Tallyforge"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const bool shown = waitForFile(painted, program, 30000);
    if (shown) {
        QThread::msleep(300); // let the X server finish the last exposure
        int code = -1;
        apptest::Run(QStringLiteral("import"), { QStringLiteral("-display"), xvfb.Display(), QStringLiteral("-window"),
                                                 QStringLiteral("root"), shot }, &code);
        EXPECT_EQ(code, 0) << "import failed";
    }
    QFile(shotTaken).open(QIODevice::WriteOnly); // lets the program go on to File > Exit
    const bool finished = program.waitForFinished(30000);
    if (!finished)
        program.kill();
    ASSERT_TRUE(shown) << "the preview was never painted";
    ASSERT_TRUE(finished) << "the program did not end after File > Exit";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(apptest::IniValue(copy.SettingsFile(), QStringLiteral("SN"), QStringLiteral("LastNumber")), QStringLiteral("0"));

    const QImage screen(shot);
    ASSERT_FALSE(screen.isNull()) << "no screenshot";
    // The preview's background is mid grey (128, 128, 128) and the page is white; look for
    // a row where grey is followed by a long white run and grey again.
    const QRgb grey = qRgb(128, 128, 128);
    const QRgb white = qRgb(255, 255, 255);
    qint64 greyPixels = 0;
    bool pageInGrey = false;
    for (int y = 0; y < screen.height(); ++y) {
        int state = 0; // 0 looking for grey, 1 in grey, 2 in white after grey
        int whiteRun = 0;
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb pixel = screen.pixel(x, y) & 0xffffff;
            const bool isGrey = pixel == (grey & 0xffffff);
            const bool isWhite = pixel == (white & 0xffffff);
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
    EXPECT_GT(greyPixels, screen.width() * screen.height() / 50) << "no grey preview on the screen";
    EXPECT_TRUE(pageInGrey) << "no white page inside the grey preview";
}

} // namespace
