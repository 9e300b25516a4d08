// The margin check against the printable area, in its four modes.
#include "support_printjob.h"

#include "platform/Application.h"

using testsupport::PrinterFixture;

namespace {

const QString kOutside = QStringLiteral("One or more margins are set outside the printable area of the page.");
const QString kQuestion = kOutside + QStringLiteral("\rDo you want to fix them?");

TMargins AllMargins(double value)
{
    TMargins m;
    m.SetLeft(value);
    m.SetTop(value);
    m.SetRight(value);
    m.SetBottom(value);
    return m;
}

void ExpectMargins(const TMargins& m, double left, double top, double right, double bottom)
{
    EXPECT_DOUBLE_EQ(m.Left(), left);
    EXPECT_DOUBLE_EQ(m.Top(), top);
    EXPECT_DOUBLE_EQ(m.Right(), right);
    EXPECT_DOUBLE_EQ(m.Bottom(), bottom);
}

// 600 dpi letter, printable 4900 x 6400 at (100, 100); margins in inches, joMargins on.
class MarginsTest : public PrinterFixture {
protected:
    void SetUp() override
    {
        job.SetMarginsError(meNone);
        job.SetMarginsUnits(unInches);
        job.SetOptions({joMargins});
    }
    TPrintJob job;
};

TEST_F(MarginsTest, AutoFixReplacesMarginsOutsideThePrintableArea)
{
    job.SetMargins(AllMargins(0.1));
    TRect rect;
    job.GetMarginsRect(rect);
    EXPECT_EQ(rect, (TRect{60, 60, 5040, 6540}));
    job.SetMarginsError(meAutoFix);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
}

TEST_F(MarginsTest, MarginsInsideAreLeftAlone)
{
    job.SetMarginsError(meAutoFix);
    job.SetMargins(AllMargins(0.2));
    TRect rect;
    job.GetMarginsRect(rect);
    EXPECT_EQ(rect, (TRect{120, 120, 4980, 6480}));
    ExpectMargins(job.Margins(), 0.2, 0.2, 0.2, 0.2);
}

TEST_F(MarginsTest, AnEdgeOnThePrintableEdgeIsInside)
{
    job.SetMarginsUnits(unPixels);
    job.SetMargins(AllMargins(150));
    job.SetMarginsError(meException);
    EXPECT_NO_THROW(job.SetMargins(AllMargins(100)));
    ExpectMargins(job.Margins(), 100, 100, 100, 100);
}

TEST_F(MarginsTest, OneMarginTooSmallReplacesAllFour)
{
    TMargins m = AllMargins(0.5);
    m.SetLeft(0.1);
    job.SetMarginsError(meAutoFix);
    job.SetMargins(m);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
}

TEST_F(MarginsTest, FixInPercentIsAPercentageOfThePaper)
{
    job.SetMarginsUnits(unPercents);
    job.SetMarginsError(meAutoFix);
    job.SetMargins(AllMargins(0));
    ExpectMargins(job.Margins(), 1.961, 1.515, 1.961, 1.515);
}

TEST_F(MarginsTest, FixWritesIntoTheGivenObjectAndTheJob)
{
    job.SetMarginsError(meAutoFix);
    TMargins m = AllMargins(0);
    job.CheckMargins(m);
    ExpectMargins(m, 0.167, 0.167, 0.167, 0.167);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
}

TEST_F(MarginsTest, ExceptionModeRaisesAndKeepsTheOldMargins)
{
    job.SetMargins(AllMargins(0.3));
    job.SetMarginsError(meException);
    try {
        job.SetMargins(AllMargins(0.1));
        FAIL() << "no exception";
    } catch (const EPrintJobException& e) {
        EXPECT_EQ(e.Message(), kOutside);
    }
    ExpectMargins(job.Margins(), 0.3, 0.3, 0.3, 0.3);
}

TEST_F(MarginsTest, ExceptionFromARefreshingSetterKeepsTheNewValueAndSkipsPreviews)
{
    struct Counting : IJobPreview {
        void Update() override { ++updates; }
        int updates = 0;
    } preview;
    job.AddPreview(&preview);
    job.SetMargins(AllMargins(0.3));
    preview.updates = 0;
    job.SetMarginsError(meException);
    // Millimetres turn the stored 0.3 into 0.3 mm: far outside the printable area.
    EXPECT_THROW(job.SetMarginsUnits(unMillimeters), EPrintJobException);
    EXPECT_EQ(job.MarginsUnits(), unMillimeters);
    EXPECT_EQ(preview.updates, 0);
}

TEST_F(MarginsTest, MessageBoxAsksAndFixesOnYesOnly)
{
    job.SetMargins(AllMargins(0.1));
    QStringList asked;
    bool answer = false;
    app::SetQuestionHandler([&](const QString& caption, const QString& text) {
        EXPECT_EQ(caption, app::Title());
        asked << text;
        return answer;
    });
    job.SetMarginsError(meMessageBox);
    ASSERT_EQ(asked, QStringList{kQuestion});
    ExpectMargins(job.Margins(), 0.1, 0.1, 0.1, 0.1);
    job.Update();
    EXPECT_EQ(asked.size(), 2) << "No asks again at the next refresh";
    answer = true;
    job.Update();
    EXPECT_EQ(asked.size(), 3);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
    job.Update();
    EXPECT_EQ(asked.size(), 3) << "fixed margins are inside";
}

TEST_F(MarginsTest, NoneChecksNothingAndEveryOtherAssignmentChecksAtOnce)
{
    job.SetMargins(AllMargins(0.1));
    job.Update();
    ExpectMargins(job.Margins(), 0.1, 0.1, 0.1, 0.1);
    job.SetMarginsError(meAutoFix);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
    job.Margins().SetLeft(0.05);
    job.SetMarginsError(meAutoFix);
    EXPECT_DOUBLE_EQ(job.Margins().Left(), 0.167) << "the same mode again still checks";
}

TEST_F(MarginsTest, WithoutMarginsOptionThePageIsAlwaysOutside)
{
    job.SetOptions({});
    job.SetMargins(AllMargins(0.5));
    job.SetMarginsError(meAutoFix);
    ExpectMargins(job.Margins(), 0.167, 0.167, 0.167, 0.167);
    job.Margins().SetLeft(1);
    job.Update();
    EXPECT_DOUBLE_EQ(job.Margins().Left(), 0.167) << "rewritten at every refresh";
}

TEST_F(MarginsTest, DirectFieldWritesRunNoCheck)
{
    job.SetMargins(AllMargins(0.2));
    job.SetMarginsError(meException);
    EXPECT_NO_THROW(job.Margins().SetLeft(0.01));
    EXPECT_DOUBLE_EQ(job.Margins().Left(), 0.01);
    EXPECT_THROW(job.Update(), EPrintJobException);
}

struct LoadingRow {
    const char* name;
    TMarginsError mode;
};

class LoadingTest : public PrinterFixture, public ::testing::WithParamInterface<LoadingRow> { };

TEST_P(LoadingTest, CheckWaitsForLoaded)
{
    TPrintJob loaded;
    loaded.BeginLoading();
    loaded.SetMarginsUnits(unInches);
    loaded.SetMargins(AllMargins(0.1));
    loaded.SetMarginsError(GetParam().mode);
    loaded.SetOptions({joMargins});
    EXPECT_TRUE(loaded.Loading());
    ExpectMargins(loaded.Margins(), 0.1, 0.1, 0.1, 0.1);
    if (GetParam().mode == meException) {
        EXPECT_THROW(loaded.Loaded(), EPrintJobException);
        ExpectMargins(loaded.Margins(), 0.1, 0.1, 0.1, 0.1);
    } else {
        loaded.Loaded();
        ExpectMargins(loaded.Margins(), 0.167, 0.167, 0.167, 0.167);
    }
    EXPECT_FALSE(loaded.Loading());
}

INSTANTIATE_TEST_SUITE_P(Modes, LoadingTest,
                         ::testing::Values(LoadingRow{"AutoFixFixes", meAutoFix},
                                           LoadingRow{"ExceptionRaises", meException}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MarginsTest, NothingIsCheckedWithoutAPrinter)
{
    TPrinter::ClearInstalledPrinters();
    job.SetMarginsError(meException);
    EXPECT_NO_THROW(job.SetMargins(AllMargins(-5)));
}

} // namespace
