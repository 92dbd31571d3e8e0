#pragma once

#include <QString>
#include <QUrl>

class SettingsStore;

// The web pages Lotwise opens. Hosts come from the settings group "Endpoints", so a seller
// on another national site can point them elsewhere; paths and queries are fixed.
namespace Endpoints {

// The auction site's item page for an auction number taken from a record. The number is
// trimmed and percent-encoded, so no record text can add to the query or change the page.
QUrl itemPage(const SettingsStore &settings, const QString &auctionNumber);
QUrl homePage(const SettingsStore &settings);
// The carriers' tracking pages; the user types the tracking number there.
QUrl uspsTracking(const SettingsStore &settings);
QUrl upsTracking(const SettingsStore &settings);
// The site's dispute pages: opening an unpaid item dispute, and the console where a final
// value fee credit is claimed.
QUrl createDispute(const SettingsStore &settings);
QUrl disputeConsole(const SettingsStore &settings);
// The Yahoo auctions page where a seller finds a winner's address.
QUrl yahooMyAuctions(const SettingsStore &settings);
// Where error reports go, and the page that lists known errors and their cures.
QString errorReportAddress(const SettingsStore &settings);
QUrl errorReportsPage(const SettingsStore &settings);
// Lotwise's own web page, named in the footer of every mail.
QString productPage(const SettingsStore &settings);

} // namespace Endpoints
