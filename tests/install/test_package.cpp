#include "install/support_install.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

using namespace install;

namespace {

// One `cpack -G DEB` into a private folder, shared by every test here.
class Package : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (BinaryDir().isEmpty())
            return;
        out_ = std::make_unique<QTemporaryDir>();
        result_ = RunTool(QStringLiteral("cpack"),
            { QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                BinaryDir() + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), out_->path() });
        const QStringList debs = QDir(out_->path()).entryList({ QStringLiteral("*.deb") }, QDir::Files);
        if (debs.size() == 1)
            deb_ = out_->filePath(debs.first());
    }
    static void TearDownTestSuite() { out_.reset(); }

    void SetUp() override
    {
        ASSERT_FALSE(BinaryDir().isEmpty()) << "run through ctest, which names the build tree";
        ASSERT_EQ(result_.exitCode, 0) << result_.output.constData();
        ASSERT_FALSE(deb_.isEmpty()) << "not one package in " << out_->path().toStdString();
    }

    static QString Field(const QByteArray& info, const char* name)
    {
        return QRegularExpression(QStringLiteral("^ %1: (.*)$").arg(QLatin1String(name)), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(info))
            .captured(1);
    }

    static inline std::unique_ptr<QTemporaryDir> out_;
    static inline ToolResult result_;
    static inline QString deb_;
};

TEST_F(Package, ControlNamesThePackageAndTheLibrariesTheProgramLinks)
{
    const ToolResult info = RunTool(QStringLiteral("dpkg-deb"), { QStringLiteral("--info"), deb_ });
    ASSERT_EQ(info.exitCode, 0) << info.output.constData();
    const QString architecture = QString::fromUtf8(RunTool(QStringLiteral("dpkg"), { QStringLiteral("--print-architecture") }).output).trimmed();

    EXPECT_EQ(Field(info.output, "Package"), "tallyforge");
    EXPECT_EQ(Field(info.output, "Version"), ProjectVersion());
    EXPECT_EQ(Field(info.output, "Architecture"), architecture);
    EXPECT_EQ(QDir(out_->path()).relativeFilePath(deb_),
        QStringLiteral("tallyforge_%1_%2.deb").arg(ProjectVersion(), architecture));
    EXPECT_EQ(Field(info.output, "Section"), "utils");
    EXPECT_TRUE(Field(info.output, "Maintainer").contains(QLatin1Char('@')));
    EXPECT_FALSE(Field(info.output, "Description").isEmpty());

    // Each with a version floor from the library's symbols file, as dpkg-shlibdeps writes them.
    QStringList depends;
    for (const QString& entry : Field(info.output, "Depends").split(QLatin1Char(',')))
        depends.append(entry.trimmed().section(QLatin1Char(' '), 0, 0));
    for (const char* library : { "libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
             "libqt6printsupport6", "libcups2", "qt6-qpa-plugins" })
        EXPECT_TRUE(depends.contains(QLatin1String(library))) << library << " missing from " << depends.join(", ").toStdString();
    EXPECT_TRUE(Field(info.output, "Depends").contains(QStringLiteral("libqt6core6 (>= 6.")));
}

TEST_F(Package, ContentsHoldEveryInstalledFile)
{
    const ToolResult contents = RunTool(QStringLiteral("dpkg-deb"), { QStringLiteral("--contents"), deb_ });
    ASSERT_EQ(contents.exitCode, 0) << contents.output.constData();
    QStringList paths;
    QStringList modes;
    for (const QString& line : QString::fromUtf8(contents.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        paths.append(line.section(QLatin1Char(' '), -1));
        modes.append(line.section(QLatin1Char(' '), 0, 0));
    }
    for (const QString& file : InstalledFiles())
        EXPECT_TRUE(paths.contains(QStringLiteral("./usr/") + file)) << file.toStdString();
    const qsizetype program = paths.indexOf(QStringLiteral("./usr/") + ProgramPath());
    ASSERT_GE(program, 0);
    EXPECT_EQ(modes[program], "-rwxr-xr-x");
}

} // namespace
