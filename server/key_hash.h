#pragma once
// Workstation keys: made from the system's random source, kept as a salted SHA-256 hash
// (a key is 256 random bits, so a slow password hash would add nothing), compared in
// constant time.

#include <QByteArray>
#include <QString>

namespace server::keys {

// A new key: 43 characters of URL-safe base 64.
QString newKey();
// A new salt of 16 random bytes.
QByteArray newSalt();
QByteArray hash(const QByteArray& salt, const QString& key);
// Constant time for equal lengths.
bool sameHash(const QByteArray& a, const QByteArray& b);

}  // namespace server::keys
