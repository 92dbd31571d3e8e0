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

} // namespace Endpoints
