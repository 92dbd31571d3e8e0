#include "placement.h"

#include "platform/settingsstore.h"

#include <cmath>

namespace {

const QString kSection = QStringLiteral("Settings");

int readNumber(const SettingsStore &s, const QString &key, int fallback)
{
    bool ok = false;
    const double v = s.read(kSection, key, QString::number(fallback)).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 1e7)
        return fallback;
    return int(std::lround(v));
}

} // namespace

Placement Placement::read(const SettingsStore &s)
{
    Placement p;
    p.left = readNumber(s, QStringLiteral("MainLeft"), p.left);
    p.top = readNumber(s, QStringLiteral("MainTop"), p.top);
    p.width = readNumber(s, QStringLiteral("MainWidth"), p.width);
    p.height = readNumber(s, QStringLiteral("MainHeight"), p.height);
    p.splitter = readNumber(s, QStringLiteral("MainSplitter"), p.splitter);
    return p;
}

bool Placement::isStored(const SettingsStore &s)
{
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight", "MainSplitter"}) {
        if (s.contains(kSection, QLatin1String(key)))
            return true;
    }
    return false;
}

bool Placement::hasSplitter(const SettingsStore &s)
{
    return s.contains(kSection, QStringLiteral("MainSplitter"));
}

void Placement::save(SettingsStore &s) const
{
    s.save(kSection, QStringLiteral("MainLeft"), QString::number(left));
    s.save(kSection, QStringLiteral("MainTop"), QString::number(top));
    s.save(kSection, QStringLiteral("MainWidth"), QString::number(width));
    s.save(kSection, QStringLiteral("MainHeight"), QString::number(height));
    s.save(kSection, QStringLiteral("MainSplitter"), QString::number(splitter));
    s.sync();
}

int twipsToPixels(int twips, double dpi) { return int(std::lround(twips * dpi / 1440.0)); }
int pixelsToTwips(int pixels, double dpi) { return int(std::lround(pixels * 1440.0 / dpi)); }
