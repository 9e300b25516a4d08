#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

namespace {

const QString kFileVersion = QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion");

TEST(VersionInfo, ProgramTableCarriesTheProjectVersion)
{
    const TVersionInfo& program = TVersionInfo::Program();
    if (program.IsEmpty())
        GTEST_SKIP() << "built without the version table";
    EXPECT_EQ(program.QueryValue(kFileVersion), std::optional<QString>("1.0.0.7"));
    EXPECT_EQ(program.QueryValue("\\StringFileInfo\\040904E4\\ProductName"), std::optional<QString>("Tallyforge"));
}

TEST(VersionInfo, LookupIgnoresCaseButNeedsTheExactTranslation)
{
    const TVersionInfo info({ { "040904E4", { { "FileVersion", "2.3.4.5" } } },
        { "040704B0", { { "FileVersion", "9.9.9.9" } } } });
    EXPECT_EQ(info.QueryValue("\\stringfileinfo\\040904e4\\fileversion"), std::optional<QString>("2.3.4.5"));
    EXPECT_EQ(info.QueryValue("\\StringFileInfo\\040704B0\\FileVersion"), std::optional<QString>("9.9.9.9"));
    EXPECT_FALSE(info.QueryValue("\\VarFileInfo\\040904E4\\FileVersion").has_value());
    EXPECT_FALSE(info.QueryValue("\\StringFileInfo\\040904E4").has_value());
}

} // namespace
