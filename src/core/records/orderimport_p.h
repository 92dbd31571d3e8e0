#pragma once

#include "records/recordstore.h"

#include <QString>

// What reading an order file and matching it with the records kept both rely on.
namespace OrderImport {

inline const QString &at(const FieldValues &v, Field f) { return v[size_t(Fields::index(f))]; }

// Titles and keys compare ignoring letter case and surrounding blanks.
inline QString key(const QString &title) { return title.trimmed().toCaseFolded(); }

// The name a whole Etsy order's record carries until its first item takes it over.
inline QString etsyOrderName(const QString &order) { return QStringLiteral("Etsy order ") + order; }

} // namespace OrderImport
