#pragma once

#include "platformclient.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

class PlatformProcess;

// A second client of a test platform, independent of the module's connector: signs in with its
// own session and reads objects as that user sees them, so that a test checks what the platform
// really stored.
class PlatformProbe
{
public:
    PlatformProbe(const PlatformProcess &platform, const QString &login, const QString &password);

    bool isSignedIn() const { return m_signedIn; }
    // The first object with that title (case-insensitive), or an empty object.
    QJsonObject objectTitled(const QString &title) const { return m_client.find(title); }
    // How many objects have that title.
    int countTitled(const QString &title) const { return m_client.findAll(title).size(); }
    // The "_LockedBy" of that object ("" when unlocked or not found).
    QString lockedBy(const QString &title) const;
    // Locks or unlocks the object as this user; false when the platform refused.
    bool setLocked(const QString &title, bool locked) const;
    // "revision by: comment" of every version of that object, newest first.
    QStringList versions(const QString &title) const;
    // Saves bytes as a new version of that object, as this user, with the comment; false when
    // the platform refused.
    bool saveVersion(const QString &title, const QByteArray &bytes, const QString &comment) const;

private:
    // Reading through a const probe still sends requests.
    mutable PlatformClient m_client;
    bool m_signedIn = false;
};
