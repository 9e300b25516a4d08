#include "widgets/EditAppearance.h"

#include <gtest/gtest.h>

namespace {

struct AddressRow {
    const char* name;
    QString value;
    bool address;
    QString open;
    int selectionStart;
};

class Addresses : public ::testing::TestWithParam<AddressRow> {};

TEST_P(Addresses, RecognisedOpenedAndSelected)
{
    const AddressRow& r = GetParam();
    EXPECT_EQ(appearance::LooksLikeAddress(r.value), r.address);
    if (r.address) {
        EXPECT_EQ(appearance::AddressToOpen(r.value), r.open);
    }
    EXPECT_EQ(appearance::AddressSelectionStart(r.value), r.selectionStart);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Addresses,
    ::testing::Values(AddressRow{"WebAddress", "https://example.org", true, "https://example.org", 8},
                      AddressRow{"MailtoAddress", "mailto:ann@example.org", true, "mailto:ann@example.org", 7},
                      AddressRow{"MailWithWebAddressInBody", "mailto:ann@example.org?body=http://x.org", true,
                                 "mailto:ann@example.org?body=http://x.org", 7},
                      AddressRow{"BareMailGetsMailto", "ann@example.org", true, "mailto:ann@example.org", 0},
                      AddressRow{"AtFirstIsNoAddress", "@home", false, "", 0},
                      AddressRow{"PlainText", "Serial 42", false, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlatGeometry, LinesStartTwoLeftAndFourAboveTheText)
{
    const QRect field(0, 0, 100, 21);
    const QRect text = field.marginsRemoved(appearance::FlatTextMargins());
    EXPECT_EQ(text, QRect(2, 4, 96, 13));
    EXPECT_EQ(appearance::SoftBorderFrame(field, text), QRect(0, 0, 100, 21));
    EXPECT_EQ(appearance::FlatUnderline(field, text), QLine(0, 20, 99, 20));
}

} // namespace
