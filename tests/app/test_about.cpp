#include "app/About.h"

#include "platform/Shell.h"
#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QPushButton>
#include <QtTest/QTest>

namespace {

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "app_test_about";
    static char* argv[] = { name, nullptr };
    // Never destroyed: a QApplication torn down among the exit-time statics crashes
    // inside Qt's own input-device cleanup.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

class AboutBox : public testing::Test {
protected:
    void SetUp() override
    {
        Application();
        shell::SetOpenHandler([this](const QUrl& url) {
            opened_.append(url.toString());
            return false; // as if no program took it: the box must not mind
        });
    }
    void TearDown() override { shell::SetOpenHandler(nullptr); }

    QStringList opened_;
};

struct Placement {
    const char* name;
    QRect geometry; // an empty size means "as wide as its text"
    const char* text;
};

TEST_F(AboutBox, ControlsSitWhereTheDesignPutsThem)
{
    TAboutBox box(nullptr, TVersionInfo());
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(381, 285));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()); // a fixed dialog border
    EXPECT_EQ(box.font().family(), "MS Sans Serif");
    EXPECT_EQ(box.font().pointSize(), 8);
    EXPECT_EQ(box.Panel1->geometry(), QRect(10, 14, 361, 220));
    EXPECT_EQ(box.ProgramIcon->geometry(), QRect(24, 16, 33, 33));
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());

    const Placement labels[] = {
        { "lblProductName", QRect(88, 16, 0, 0), "Tallyforge" },
        { "Label1", QRect(88, 76, 0, 0), "Website:" },
        { "Label2", QRect(135, 76, 0, 0), "tallyforge.example.com" },
        { "Label3", QRect(88, 97, 0, 0), "Email:" },
        { "Label4", QRect(121, 98, 0, 0), "support@tallyforge.example.com" },
    };
    for (const Placement& expected : labels) {
        auto* label = box.Panel1->findChild<QLabel*>(expected.name);
        ASSERT_NE(label, nullptr) << expected.name;
        EXPECT_EQ(label->pos(), expected.geometry.topLeft()) << expected.name;
        EXPECT_EQ(label->text(), expected.text) << expected.name;
        EXPECT_GE(label->width(), label->sizeHint().width()) << expected.name; // text not cut
    }
    EXPECT_EQ(box.lblComments->geometry().topLeft(), QPoint(88, 56));
    EXPECT_EQ(box.lblComments->width(), 240);
    EXPECT_TRUE(box.lblComments->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(box.lblComments->text().isEmpty());

    EXPECT_EQ(box.OKButton->parentWidget(), &box); // below the panel, not on it
    EXPECT_EQ(box.OKButton->geometry(), QRect(153, 252, 75, 25));
    EXPECT_EQ(box.OKButton->text(), "OK");
    EXPECT_TRUE(box.OKButton->isDefault());
}

// Holds in both builds: with the table (the default) and configured without it.
TEST_F(AboutBox, VersionLineComesFromTheProgramsTable)
{
    TAboutBox box(nullptr);
    if (TVersionInfo::Program().IsEmpty())
        EXPECT_EQ(box.lblVersion->text(), "No version information found");
    else
        EXPECT_EQ(box.lblVersion->text(), "Version 1.0.0.7");
    EXPECT_EQ(box.lblVersion->pos(), QPoint(88, 36));
    EXPECT_GE(box.lblVersion->width(), box.lblVersion->sizeHint().width());
}

struct VersionRow {
    const char* name;
    QList<TVersionInfo::StringTable> tables;
    const char* expected;
};

class AboutVersion : public testing::TestWithParam<VersionRow> {
protected:
    void SetUp() override { Application(); }
};

TEST_P(AboutVersion, ShowsWhatTheTableHolds)
{
    const TVersionInfo info(GetParam().tables);
    TAboutBox box(nullptr, info);
    EXPECT_EQ(box.lblVersion->text(), GetParam().expected);
    EXPECT_EQ(TAboutBox::VersionText(info, "0.0.0.0"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, AboutVersion,
    testing::Values(VersionRow { "BuildWithoutTable", {}, "No version information found" },
        VersionRow { "UsEnglishCodePage1252", { { "040904E4", { { "FileVersion", "1.0.0.7" } } } }, "Version 1.0.0.7" },
        VersionRow { "OtherCodePage", { { "040904B0", { { "FileVersion", "1.0.0.7" } } } }, "0.0.0.0" },
        VersionRow { "OtherLanguage", { { "040704E4", { { "FileVersion", "1.0.0.7" } } } }, "0.0.0.0" },
        VersionRow { "TableWithoutFileVersion", { { "040904E4", { { "ProductVersion", "1.0" } } } }, "0.0.0.0" },
        VersionRow { "SecondTableMatches",
            { { "040704B0", { { "FileVersion", "9" } } }, { "040904E4", { { "FileVersion", "2.0.1.3" } } } },
            "Version 2.0.1.3" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AboutBox, LinksOpenTheProductPageAndAMailToTheAuthor)
{
    TAboutBox box(nullptr, TVersionInfo());
    box.show();
    QTest::mouseClick(box.Label2, Qt::LeftButton);
    QTest::mouseClick(box.Label4, Qt::LeftButton);
    EXPECT_EQ(opened_, (QStringList { "https://tallyforge.example.com/", "mailto:support@tallyforge.example.com" }));
    EXPECT_TRUE(box.isVisible()); // a refused request changes nothing
}

TEST_F(AboutBox, OnlyALeftClickOnALinkOpensIt)
{
    TAboutBox box(nullptr, TVersionInfo());
    box.show();
    QTest::mouseClick(box.Label2, Qt::RightButton);
    QTest::mouseClick(box.Label1, Qt::LeftButton);
    QTest::mouseClick(box.lblVersion, Qt::LeftButton);
    // Pressed on the link but released elsewhere: no click.
    QTest::mousePress(box.Label4, Qt::LeftButton);
    QTest::mouseRelease(box.Label4, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_TRUE(opened_.isEmpty());
}

TEST_F(AboutBox, EnterPressesOk)
{
    TAboutBox box(nullptr, TVersionInfo());
    box.show();
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
