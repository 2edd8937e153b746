#include "percent_encoding.h"
#include "web_links.h"

#include "fakes.h"

#include <gtest/gtest.h>

namespace karvolt::testing {
namespace {

TEST(WebLinks, StoredAddressesForTheDefaultSettings)
{
    EXPECT_EQ(DonationUrl,
              "https://www.paypal.com/cgi-bin/webscr?cmd=_donations"
              "&business=donate%40karvolt%2eexample&lc=GB&item_name=Tessik%20Projects"
              "&currency_code=USD&bn=PP%2dDonationsBF%3abtn_donateCC_LG%2egif%3aNonHosted");
    EXPECT_EQ(WebsiteUrl, "http://karvolt.example");
}

struct EncodingCase {
    std::string_view input;
    std::string_view expected;
};

TEST(PercentEncode, LettersDigitsAndUnderscoreStayEverythingElseIsLowerCaseHex)
{
    const EncodingCase cases[] = {
        {"", ""},
        {"AZaz09_", "AZaz09_"},
        {".", "%2e"},
        {"@", "%40"},
        {"-", "%2d"},
        {":", "%3a"},
        {" ", "%20"},
        {"%", "%25"},
        {"a.b@c-d:e f_1", "a%2eb%40c%2dd%3ae%20f_1"},
        {"\x7f", "%7f"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentEncode(c.input), c.expected) << "input: " << c.input;
}

TEST(OpenSite, EachClickMakesOneShellOpenCallAndNothingElse)
{
    FakePlatform platform;

    OpenSite(platform, std::string(DonationUrl));
    OpenSite(platform, std::string(DonationUrl));
    OpenSite(platform, std::string(WebsiteUrl));

    const ShellCall donation{1, "Open", std::string(DonationUrl), "", "", 1};
    const ShellCall website{1, "Open", std::string(WebsiteUrl), "", "", 1};
    EXPECT_EQ(platform.shellCalls, (std::vector<ShellCall>{donation, donation, website}));
    EXPECT_EQ(platform.log, (std::vector<std::string>{"shell open", "shell open", "shell open"}));
}

TEST(OpenSite, AShellThatCannotBeReachedGoesToTheFailureReport)
{
    FakePlatform platform;
    platform.shellFailure = PlatformFailure{L"no shell32", 126};

    OpenSite(platform, std::string(WebsiteUrl));

    EXPECT_EQ(platform.log, (std::vector<std::string>{"shell open", "report no shell32"}));
}

} // namespace
} // namespace karvolt::testing
