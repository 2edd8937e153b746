#include "web_links.h"

#include "percent_encoding.h"
#include "web_link_settings.h"

namespace karvolt {
namespace {

struct QueryPair {
    std::string_view key;
    std::string_view value; // as the user would read it; encoded when written
};

constexpr QueryPair kDonationQuery[] = {
    {"cmd", "_donations"},
    {"business", KARVOLT_DONATION_EMAIL},
    {"lc", "GB"},
    {"item_name", "Tessik Projects"},
    {"currency_code", "USD"},
    {"bn", "PP-DonationsBF:btn_donateCC_LG.gif:NonHosted"},
};

constexpr void WriteDonationUrl(UrlWriter& url)
{
    url.Plain("https://www.paypal.com/cgi-bin/webscr");
    char separator = '?';
    for (const QueryPair& pair : kDonationQuery) {
        url.Plain({&separator, 1}).Plain(pair.key).Plain("=").Encoded(pair.value);
        separator = '&';
    }
}

constexpr void WriteWebsiteUrl(UrlWriter& url) { url.Plain("http://").Plain(KARVOLT_WEBSITE_HOST); }

constexpr auto kDonationUrlText = MakeFixedText<WriteDonationUrl>();
constexpr auto kWebsiteUrlText = MakeFixedText<WriteWebsiteUrl>();

} // namespace

const std::string_view DonationUrl = kDonationUrlText.View();
const std::string_view WebsiteUrl = kWebsiteUrlText.View();

void OpenSite(Platform& platform, std::string OpenURL)
{
    // Any message the shell shows is not tied to the launcher's window.
    constexpr std::intptr_t kOwnerWindow = 1;
    if (const auto failure = platform.ShellOpen(kOwnerWindow, "Open", OpenURL, "", "", kShowNormal))
        platform.ReportFailure(*failure);
}

} // namespace karvolt
