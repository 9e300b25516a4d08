#include "platform/Application.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

TEST(ErrorBoxText, AddsFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(app::ErrorBoxText("Cannot open file x"), "Cannot open file x.");
    EXPECT_EQ(app::ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(app::ErrorBoxText("Why?"), "Why?.");      // '?' sorts after '.'
    EXPECT_EQ(app::ErrorBoxText("Wait!"), "Wait!");     // '!' sorts before '.'
    EXPECT_EQ(app::ErrorBoxText("range -"), "range -"); // '-' sorts before '.'
    EXPECT_EQ(app::ErrorBoxText(""), "");
}

TEST(Guard, ShowsTheHandlersErrorAndGoesOn)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QApplication application(argc, argv);
    app::SetTitle("Tallyforge");
    QString caption, text;
    app::SetErrorHandler([&](const QString& c, const QString& t) { caption = c; text = t; });

    EXPECT_FALSE(app::Guard([] { throw Exception("Printer is not ready"); }));
    EXPECT_EQ(caption, "Tallyforge");
    EXPECT_EQ(text, "Printer is not ready.");

    text.clear();
    EXPECT_TRUE(app::Guard([] {}));
    EXPECT_TRUE(text.isEmpty());
    app::SetErrorHandler(nullptr);
}

TEST(FormatSettings, ScopedReplacementIsUndone)
{
    const QChar before = FormatSettings::Current().DecimalSeparator;
    {
        ScopedFormatSettings pinned(QLatin1Char(','), QLatin1Char('.'));
        EXPECT_EQ(FormatSettings::Current().DecimalSeparator, QLatin1Char(','));
        EXPECT_EQ(FormatSettings::Current().ThousandSeparator, QLatin1Char('.'));
    }
    EXPECT_EQ(FormatSettings::Current().DecimalSeparator, before);
}

} // namespace
