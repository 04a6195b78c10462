#pragma once

#include <QByteArray>
#include <QString>

// Password hashing (Argon2id), random tokens and their stored fingerprints. Thread-safe; the
// values it returns are credentials except the hashes and fingerprints.
class Credentials
{
public:
    // Initialises the crypto library; false when it cannot run on this machine.
    static bool initialize();

    static QString hashPassword(const QString &password);
    // Compares against a stored hash; with an empty hash a dummy comparison still runs, so that
    // an unknown user name takes as long as a wrong password.
    static bool verifyPassword(const QString &password, const QString &storedHash);

    // 256 random bits, URL-safe base64 without padding.
    static QString newToken();
    // What the database keeps of a token or cookie: its SHA-256 in hex.
    static QString fingerprint(const QString &token);
    // A platform object id: 128 random bits in upper-case hex.
    static QString newObjectId();

    static QString sha256Hex(const QByteArray &bytes);
};
