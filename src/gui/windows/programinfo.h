#pragma once

#include <QString>

// What the splash and about windows say about the program.
namespace ProgramInfo {

inline QString title() { return QStringLiteral("Lotwise"); }
// "Version " + major.minor.revision, e.g. "Version 3.0.0".
inline QString versionText() { return QStringLiteral("Version ") + QStringLiteral(LOTWISE_VERSION); }

} // namespace ProgramInfo
