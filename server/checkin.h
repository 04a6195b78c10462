#pragma once

#include "accountstore.h"
#include "objectstore.h"
#include "retention.h"

#include <QJsonArray>
#include <QJsonObject>

#include <optional>

class QIODevice;

// One check-in of a tree of records, all or nothing. The manifest lists the records in tree
// order, each with the index of its parent (-1 for the top) and, when it is selected, where its
// bytes lie in the uploaded contents ("offset", "size") and their SHA-256. A record that is not
// selected is not written, so only a selected one must be free of other users' locks; it still
// carries its children. Runs in one transaction: any refusal (a lock held by someone else, a
// hostile title, a name the platform never issued, a space the caller is not in, content that
// does not match its checksum, a drawing property that is too long or holds a control
// character) leaves no trace. Every file that changes gets a new version, kept with the
// check-in's comment ("comment" of the manifest, one for all its files) and, when its bytes
// changed, the drawing properties its record sends; the retention then applies to it.
class CheckIn
{
public:
    // A record's bytes may instead be a complete upload of the caller ("upload": its id),
    // which a committed check-in spends.
    CheckIn(const Caller &caller, AccountStore &accounts, const Retention &retention = Retention());
    // Returns the objects as stored, in manifest order (records not saved are left out).
    QList<ObjectRow> run(const QJsonObject &manifest, QIODevice *contents);
    // The same as the answer's "objects". A manifest with a "key" of the client's choosing
    // (at most 200 characters) is run once per caller and key: a repeated key, from any process
    // sharing the database, for two days after, is answered with the first check-in's objects
    // without storing anything again, so that a client retrying after a lost answer never saves
    // twice.
    QJsonArray answer(const QJsonObject &manifest, QIODevice *contents);

private:
    struct Placed {
        qint64 id = 0;
        QString name;
        QString title;
        QString lockedByOther; // login of another user holding the object's lock
    };
    Placed place(const QJsonObject &record, const Placed *parent, QIODevice *contents,
                 QList<ObjectRow> *stored);
    void storeContent(const QJsonObject &record, QIODevice *contents, QString *sha256,
                      qint64 *size);
    void claimName(const QString &name);
    // Keeps a new version of an object for this check-in.
    void keepVersion(qint64 objectId, int revision, const QString &title, qint64 modified,
                     const QString &sha256, qint64 size, const DrawingProperties &drawing);

    Caller m_caller;
    AccountStore &m_accounts;
    Retention m_retention;
    ObjectStore m_objects;
    QString m_comment;
    qint64 m_checkInId = 0; // made with the first version
    QList<qint64> m_versioned; // objects that got a version
    QString m_key; // the client's key of this check-in; "" when it gave none
    std::optional<QJsonArray> m_repeated; // the answer of an earlier check-in of the same key
};
