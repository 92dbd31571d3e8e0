#include "endpoints.h"

#include "platform/settingsstore.h"

#include <QRegularExpression>

namespace Endpoints {

namespace {

// Scheme, host and port of the configured address, encoded. Anything that is not a web
// address with a host is a typing mistake in the settings, and the default is used instead.
QByteArray base(const SettingsStore &settings, const char *key, const char *fallback)
{
    const QString configured = settings.read(QStringLiteral("Endpoints"), QString::fromLatin1(key),
                                             QString::fromLatin1(fallback));
    QUrl url(configured.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        url = QUrl(QString::fromLatin1(fallback));
    return url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                         QUrl::RemoveFragment);
}

// Parsed from encoded text so the fixed queries come out byte for byte as written.
QUrl page(const QByteArray &base, const QByteArray &pathAndQuery)
{
    return QUrl::fromEncoded(base + pathAndQuery, QUrl::StrictMode);
}

} // namespace

QUrl itemPage(const SettingsStore &settings, const QString &auctionNumber)
{
    return page(base(settings, "AuctionSite", "https://www.ebay.com"),
                "/ws/eBayISAPI.dll?ViewItem&item=" +
                    QUrl::toPercentEncoding(auctionNumber.trimmed()));
}

QUrl homePage(const SettingsStore &settings)
{
    return page(base(settings, "AuctionSite", "https://www.ebay.com"), "/");
}

QUrl uspsTracking(const SettingsStore &settings)
{
    return page(base(settings, "USPS", "https://tools.usps.com"),
                "/shipping/trackandconfirm.htm?from=home&page=0035trackandconfirm");
}

QUrl upsTracking(const SettingsStore &settings)
{
    return page(base(settings, "UPS", "https://www.ups.com"), "/WebTracking/track?loc=en_US");
}

QUrl createDispute(const SettingsStore &settings)
{
    return page(base(settings, "Disputes", "https://cgi1.ebay.com"),
                "/ws/eBayISAPI.dll?CreateDispute");
}

QUrl disputeConsole(const SettingsStore &settings)
{
    return page(base(settings, "Disputes", "https://cgi1.ebay.com"),
                "/ws/eBayISAPI.dll?ViewDisputeConsole&ssPageName=STRK:ME:LNLK");
}

QUrl yahooMyAuctions(const SettingsStore &settings)
{
    return page(base(settings, "Yahoo", "https://auctions.yahoo.com"), "/show/myaucs");
}

QString errorReportAddress(const SettingsStore &settings)
{
    const QString address = settings.read(QStringLiteral("Endpoints"), QStringLiteral("ErrorReports"),
                                          QStringLiteral("errors@lotwise.org")).trimmed();
    // One plain address: anything that could add a header line or a second recipient is
    // a typing mistake, and the default is used.
    static const QRegularExpression plain(QStringLiteral("^[^\\s@,;<>]+@[^\\s@,;<>]+$"));
    return plain.match(address).hasMatch() ? address : QStringLiteral("errors@lotwise.org");
}

QUrl errorReportsPage(const SettingsStore &settings)
{
    return page(base(settings, "Maker", "https://www.lotwise.org"), "/errorreports.htm");
}

QString productPage(const SettingsStore &settings)
{
    return QString::fromLatin1(base(settings, "Maker", "https://www.lotwise.org") + "/Lotwise.htm");
}

} // namespace Endpoints
