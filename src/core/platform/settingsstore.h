#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings store: string values under a section and a key.
class SettingsStore
{
public:
    // The user's own store (organisation and application "Lotwise").
    SettingsStore();
    // A store kept in one INI file, for tests and for a portable setup.
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();

    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    bool contains(const QString &section, const QString &key) const;
    void save(const QString &section, const QString &key, const QString &value);
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
};
