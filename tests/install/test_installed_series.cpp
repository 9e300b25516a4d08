// The installed program keeps its series in the user's configuration folder, shared by
// the window and the command line; a portable copy keeps its file beside itself.
#include "TestApplication.h"
#include "install/support_install.h"

#include "app/Tallyforge.h"
#include "platform/Application.h"
#include "platform/Printer.h"
#include "platform/Shell.h"
#include "widgets/HistoryEdit.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace install;

namespace {

QString LastNumber(const QString& ini)
{
    QFile file(ini);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("LastNumber="))
            return QString::fromLatin1(line.mid(11).trimmed());
    return {};
}

TEST(InstalledSeries, WindowAndCommandLineContinueOneSeriesInTheUsersConfig)
{
    ASSERT_FALSE(BinaryDir().isEmpty()) << "run through ctest, which names the build tree";
    QTemporaryDir root;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), root.path());
    const ToolResult installed = RunTool(QStringLiteral("cmake"),
        { QStringLiteral("--install"), BinaryDir(), QStringLiteral("--prefix"), QStringLiteral("/usr") }, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.output.constData();
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString config = root.filePath(QStringLiteral("config"));
    const QString settings = config + QStringLiteral("/Tallyforge/Tallyforge.ini");

    QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
    user.remove(QStringLiteral("QT_QPA_PLATFORM"));
    user.insert(QStringLiteral("HOME"), root.path());
    user.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    user.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:1"));
    const auto print = [&](const QString& program, int count, const QString& pdf) {
        return RunTool(program, { QStringLiteral("print"), QStringLiteral("--quiet"), QStringLiteral("--count"),
                                  QString::number(count), QStringLiteral("--output"), root.filePath(pdf) }, user);
    };
    ToolResult run = print(bin + QStringLiteral("/tallyforge"), 3, QStringLiteral("one.pdf"));
    ASSERT_EQ(run.exitCode, 0) << run.output.constData();
    EXPECT_EQ(LastNumber(settings), QStringLiteral("3"));
    EXPECT_EQ(QDir(bin).entryList(QDir::Files), QStringList { QStringLiteral("tallyforge") });

    // The window of the same installation, in this process: it shows 4 and prints on.
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    shell::SetExecutableDirectory(bin);
    TPrinter::InstallTestDevice({ 600, 600, 5100, 6600, 100, 150, 4900, 6300 });
    Printer().SetOutputFolder(root.path());
    QStringList errors;
    app::SetErrorHandler([&](const QString&, const QString& text) { errors << text; });
    {
        TfrmTallyforge window;
        EXPECT_EQ(window.txtStartingSN->Text(), QStringLiteral("4"));
        window.txtPageCount->SetText(QStringLiteral("2"));
        window.ToolButton1->trigger();
        window.close();
    }
    app::SetErrorHandler(nullptr);
    TPrinter::ResetForTests();
    shell::SetExecutableDirectory(QString());
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(LastNumber(settings), QStringLiteral("5"));

    run = print(bin + QStringLiteral("/tallyforge"), 1, QStringLiteral("two.pdf"));
    ASSERT_EQ(run.exitCode, 0) << run.output.constData();
    EXPECT_EQ(LastNumber(settings), QStringLiteral("6"));

    // A copy of the program in a folder of its own keeps its own file there.
    const QString portable = root.filePath(QStringLiteral("portable"));
    ASSERT_TRUE(QDir().mkpath(portable));
    ASSERT_TRUE(QFile::copy(bin + QStringLiteral("/tallyforge"), portable + QStringLiteral("/tallyforge")));
    run = print(portable + QStringLiteral("/tallyforge"), 2, QStringLiteral("three.pdf"));
    ASSERT_EQ(run.exitCode, 0) << run.output.constData();
    EXPECT_EQ(LastNumber(portable + QStringLiteral("/Tallyforge.ini")), QStringLiteral("2"));
    EXPECT_EQ(LastNumber(settings), QStringLiteral("6"));
}

} // namespace
