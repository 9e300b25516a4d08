#include "install/support_install.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace install;

namespace {

// One `cmake --install --prefix /usr` into a private DESTDIR, as a distribution's
// packaging does it, shared by every test here.
class Installed : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (BinaryDir().isEmpty())
            return;
        root_ = std::make_unique<QTemporaryDir>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), root_->path());
        result_ = RunTool(QStringLiteral("cmake"),
            { QStringLiteral("--install"), BinaryDir(), QStringLiteral("--prefix"), QStringLiteral("/usr") },
            environment);
    }
    static void TearDownTestSuite() { root_.reset(); }

    void SetUp() override
    {
        ASSERT_FALSE(BinaryDir().isEmpty()) << "run through ctest, which names the build tree";
        ASSERT_EQ(result_.exitCode, 0) << result_.output.constData();
    }

    static QString Path(const QString& relative) { return root_->path() + QStringLiteral("/usr/") + relative; }
    static QString Text(const QString& relative)
    {
        QFile file(Path(relative));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static inline std::unique_ptr<QTemporaryDir> root_;
    static inline ToolResult result_;
};

TEST_F(Installed, EveryFileLandsUnderThePrefix)
{
    QStringList found;
    std::function<void(const QString&)> walk = [&](const QString& dir) {
        for (const QFileInfo& entry : QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (entry.isDir())
                walk(entry.filePath());
            else
                found.append(entry.filePath().mid(root_->path().size() + 1));
        }
    };
    walk(root_->path());
    for (const QString& file : found)
        EXPECT_TRUE(file.startsWith(QStringLiteral("usr/"))) << file.toStdString() << " ignores the prefix";
    for (const QString& file : InstalledFiles())
        EXPECT_TRUE(found.contains(QStringLiteral("usr/") + file)) << file.toStdString() << " is missing";
    EXPECT_TRUE(QFileInfo(Path(ProgramPath())).isExecutable());
    for (int size : IconSizes())
        EXPECT_EQ(QImage(Path(IconPath(size))).size(), QSize(size, size)) << IconPath(size).toStdString();
}

TEST_F(Installed, DesktopEntryAndMetadataPassTheirValidators)
{
    const ToolResult desktop = RunTool(QStringLiteral("desktop-file-validate"), { Path(DesktopEntryPath()) });
    EXPECT_EQ(desktop.exitCode, 0) << desktop.output.constData();
    EXPECT_EQ(desktop.output, QByteArray()); // not even a hint
    const ToolResult metainfo = RunTool(QStringLiteral("appstreamcli"),
        { QStringLiteral("validate"), QStringLiteral("--no-net"), Path(MetainfoPath()) });
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output.constData();
}

TEST_F(Installed, EntriesNameTheInstalledProgramIconAndVersion)
{
    const QString version = ProjectVersion();
    ASSERT_FALSE(version.isEmpty());

    const QString desktop = Text(DesktopEntryPath());
    const auto value = [&desktop](const char* key) {
        return QRegularExpression(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)), QRegularExpression::MultilineOption)
            .match(desktop)
            .captured(1);
    };
    EXPECT_EQ(value("Icon"), kAppId);
    const QString exec = value("Exec").section(QLatin1Char(' '), 0, 0);
    EXPECT_EQ(QStringLiteral("bin/") + exec, ProgramPath());

    const QString metainfo = Text(MetainfoPath());
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<id>%1</id>").arg(kAppId)));
    EXPECT_TRUE(metainfo.contains(
        QStringLiteral("<launchable type=\"desktop-id\">%1</launchable>").arg(QFileInfo(DesktopEntryPath()).fileName())));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<release version=\"%1\"").arg(version)));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<binary>tallyforge</binary>")));
}

TEST_F(Installed, ManualPageIsCompressedAndFormatsWithoutWarnings)
{
    const ToolResult page = RunTool(QStringLiteral("gzip"), { QStringLiteral("-dc"), Path(ManPagePath()) });
    ASSERT_EQ(page.exitCode, 0) << page.output.constData();
    const QString version = ProjectVersion();
    const QString header = QString::fromUtf8(page.output).section(QLatin1Char('\n'), 0, 0);
    EXPECT_TRUE(header.startsWith(QStringLiteral(".TH TALLYFORGE 1 "))) << header.toStdString();
    EXPECT_TRUE(header.contains(QStringLiteral("\"Tallyforge %1\"").arg(version))) << header.toStdString();

    QTemporaryDir dir;
    QFile troff(dir.filePath(QStringLiteral("tallyforge.1")));
    ASSERT_TRUE(troff.open(QIODevice::WriteOnly));
    troff.write(page.output);
    troff.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    const ToolResult groff = RunTool(QStringLiteral("groff"),
        { QStringLiteral("-man"), QStringLiteral("-Tutf8"), QStringLiteral("-ww"), QStringLiteral("-z"), troff.fileName() },
        environment);
    EXPECT_EQ(groff.exitCode, 0);
    EXPECT_EQ(groff.output, QByteArray());
}

} // namespace
