#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One thing a colleague (or the user, elsewhere) did to a file of the user's spaces, as the
// platform's event stream says it: a new version saved or restored, a lock taken or given back,
// a delete; or, as a Resync, that events were missed and everything shown is to be asked again.
struct PlatformEvent
{
    // Undelete: back from the trash a delete moved it to.
    enum Kind { CheckIn, Lock, Unlock, Delete, Undelete, Restore, Resync, Unknown };

    QString id; // the stream's id of the event, to come back from
    Kind kind = Unknown;
    QString name; // the object's platform name
    QString title;
    QString space;
    QString user; // who did it
    int revision = 0;
    QString fileModified; // the platform's stamp of the object after the event
    QString lockedBy;
    QString comment;

    // An event as the stream gives it: its id, its name and its JSON data.
    static PlatformEvent fromStream(const QString &id, const QString &name,
                                    const QByteArray &data);
    // A new version of the file: saved or restored.
    bool isNewVersion() const { return kind == CheckIn || kind == Restore; }
};

Q_DECLARE_METATYPE(PlatformEvent)
