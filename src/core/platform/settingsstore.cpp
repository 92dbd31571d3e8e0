#include "settingsstore.h"

#include <QSettings>

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QStringLiteral("Lotwise"), QStringLiteral("Lotwise")))
{
}

SettingsStore::SettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return m_settings->value(section + u'/' + key, defaultValue).toString();
}

bool SettingsStore::contains(const QString &section, const QString &key) const
{
    return m_settings->contains(section + u'/' + key);
}

void SettingsStore::save(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(section + u'/' + key, value);
}

void SettingsStore::sync() { m_settings->sync(); }
