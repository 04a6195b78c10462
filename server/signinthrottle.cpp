#include "signinthrottle.h"

#include "accountstore.h"
#include "database.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>

namespace {

// Failures allowed before waiting begins: a user mistyping a password a few times does not
// wait, and many users behind one address do not block each other at once.
const int kFreeAccountFailures = 5;
const int kFreeAddressFailures = 20;
const qint64 kFirstWaitSeconds = 2;
const int kMaxWaitSeconds = 15 * 60;
const int kForgetAfterSeconds = 3600;

qint64 now() { return QDateTime::currentSecsSinceEpoch(); }

struct Key {
    QString text;
    int freeFailures;
};

QList<Key> keysOf(const QString &login, const QString &address)
{
    QList<Key> keys;
    // A user name that cannot exist is not worth a row of its own; the address still counts.
    if (AccountStore::isValidLogin(login))
        keys << Key{QStringLiteral("account:") + login, kFreeAccountFailures};
    if (!address.isEmpty())
        keys << Key{QStringLiteral("address:") + address, kFreeAddressFailures};
    return keys;
}

} // namespace

int SignInThrottle::waitSeconds(const QString &login, const QString &address)
{
    const qint64 stamp = now();
    qint64 wait = 0;
    for (const Key &key : keysOf(login, address)) {
        QSqlQuery query = Database::exec(
            QStringLiteral("SELECT failures, last_at FROM sign_in_failures WHERE key = ?"),
            {key.text});
        if (!query.next())
            continue;
        const int failures = query.value(0).toInt();
        const qint64 last = query.value(1).toLongLong();
        if (failures < key.freeFailures || stamp - last >= kForgetAfterSeconds)
            continue;
        const int doublings = std::min(failures - key.freeFailures, 10);
        const qint64 delay = std::min<qint64>(kFirstWaitSeconds << doublings, kMaxWaitSeconds);
        wait = std::max(wait, last + delay - stamp);
    }
    return static_cast<int>(wait);
}

void SignInThrottle::recordFailure(const QString &login, const QString &address)
{
    const qint64 stamp = now();
    Transaction transaction;
    Database::exec(QStringLiteral("DELETE FROM sign_in_failures WHERE last_at < ?"),
                   {stamp - kForgetAfterSeconds});
    for (const Key &key : keysOf(login, address)) {
        Database::exec(QStringLiteral("INSERT INTO sign_in_failures (key, failures, last_at) "
                                      "VALUES (?, 1, ?) ON CONFLICT (key) DO UPDATE SET "
                                      "failures = sign_in_failures.failures + 1, "
                                      "last_at = excluded.last_at"),
                       {key.text, stamp});
    }
    transaction.commit();
}

void SignInThrottle::recordSuccess(const QString &login)
{
    Database::exec(QStringLiteral("DELETE FROM sign_in_failures WHERE key = ?"),
                   {QStringLiteral("account:") + login});
}
