#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

namespace {

TEST(Shell, OpenHandsTheAddressToTheSeamUnchanged)
{
    QList<QUrl> opened;
    shell::SetOpenHandler([&](const QUrl& url) {
        opened.append(url);
        return false;
    });
    EXPECT_FALSE(shell::Open("https://tallyforge.example.com/"));
    EXPECT_FALSE(shell::Open("mailto:support@tallyforge.example.com"));
    shell::SetOpenHandler(nullptr);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toString(), "https://tallyforge.example.com/");
    EXPECT_EQ(opened[1].scheme(), "mailto");
    EXPECT_EQ(opened[1].path(), "support@tallyforge.example.com");
}

TEST(Shell, ExecutableLocationWithAndWithoutTheApplicationObject)
{
    const QString withoutApplication = shell::ExecutableFilePath();
    int argc = 1;
    char name[] = "platform_test_shell";
    char* argv[] = { name };
    QCoreApplication application(argc, argv);
    EXPECT_EQ(withoutApplication, QCoreApplication::applicationFilePath());
    EXPECT_EQ(shell::ExecutableDirectory(), QCoreApplication::applicationDirPath());

    shell::SetExecutableDirectory("/opt/tallyforge/");
    EXPECT_EQ(shell::ExecutableDirectory(), "/opt/tallyforge");
    EXPECT_EQ(shell::ExecutableFilePath(), "/opt/tallyforge/" + QFileInfo(withoutApplication).fileName());
    shell::SetExecutableDirectory(QString());
    EXPECT_EQ(shell::ExecutableDirectory(), QCoreApplication::applicationDirPath());
}

} // namespace
