#pragma once

#include <QString>
#include <optional>

// Passwords by key: in the desktop keyring (service "Lotwise") when one answers, otherwise
// only in memory for the rest of the run. Nothing is ever written in plain text.
namespace Keyring {
std::optional<QString> read(const QString &key);
void save(const QString &key, const QString &password);
void forget(const QString &key);
// Tests and machines without a keyring turn the keyring off; the memory still works.
void setEnabled(bool enabled);
} // namespace Keyring
