#include "accountstore.h"

#include "audittrail.h"
#include "credentials.h"
#include "database.h"
#include "platformconstants.h"
#include "signinthrottle.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QRegularExpression>

Q_LOGGING_CATEGORY(lcAccounts, "platform.accounts")

namespace {

qint64 now() { return QDateTime::currentSecsSinceEpoch(); }

const QString kBadCredentials = QStringLiteral("user name or password incorrect");

} // namespace

AccountStore::AccountStore(int sessionTtlSeconds) : m_sessionTtl(sessionTtlSeconds) {}

bool AccountStore::isValidLogin(const QString &login)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._@-]{1,64}$"));
    return pattern.match(login).hasMatch();
}

qint64 AccountStore::tenantId(const QString &name)
{
    const QVariant id = name.isEmpty()
        ? Database::value(QStringLiteral("SELECT id FROM tenants WHERE is_default = 1"))
        : Database::value(QStringLiteral("SELECT id FROM tenants WHERE name = ?"), {name});
    if (!id.isValid())
        throw ApiError(404, QStringLiteral("unknown tenant"));
    return id.toLongLong();
}

qint64 AccountStore::userId(const QString &login)
{
    const QVariant id = Database::value(QStringLiteral("SELECT id FROM users WHERE login = ?"),
                                        {login});
    if (!id.isValid())
        throw ApiError(404, QStringLiteral("unknown user %1").arg(login));
    return id.toLongLong();
}

void AccountStore::addUser(const QString &login, const QString &firstName,
                           const QString &lastName, const QString &email,
                           const QString &password)
{
    if (!isValidLogin(login))
        throw ApiError(400, QStringLiteral("a user name has 1 to 64 letters, digits or ._@-"));
    if (password.isEmpty())
        throw ApiError(400, QStringLiteral("the password must not be empty"));
    Transaction transaction;
    // Accounts are added one at a time, so two that differ in case only cannot both pass.
    Database::lockKey(QStringLiteral("users"));
    const QVariant existing = Database::value(
        QStringLiteral("SELECT login FROM users WHERE LOWER(login) = LOWER(?)"), {login});
    if (existing.isValid() && existing.toString() == login)
        throw ApiError(409, QStringLiteral("user %1 exists already").arg(login));
    if (existing.isValid()) {
        throw ApiError(409, QStringLiteral("user %1 exists already; user names that differ "
                                           "only in letter case are one name")
                                .arg(existing.toString()));
    }
    Database::exec(QStringLiteral("INSERT INTO users (login, first_name, last_name, email, "
                                  "password_hash, created_at) VALUES (?, ?, ?, ?, ?, ?)"),
                   {login, firstName, lastName, email, Credentials::hashPassword(password), now()});
    transaction.commit();
}

void AccountStore::checkPasswordPolicy(const QString &login, const QString &password)
{
    // Characters as users count them, not UTF-16 units.
    if (password.toUcs4().size() < platform::kMinPasswordCharacters)
        throw ApiError(400, QStringLiteral("a password has at least %1 characters")
                                .arg(platform::kMinPasswordCharacters));
    if (password.compare(login, Qt::CaseInsensitive) == 0)
        throw ApiError(400, QStringLiteral("the password must not be the user name"));
}

void AccountStore::refuseIfDisabled(qint64 userId)
{
    const QVariant login = Database::value(
        QStringLiteral("SELECT u.login FROM users u JOIN user_status s ON s.user_id = u.id "
                       "WHERE u.id = ? AND s.disabled <> 0"),
        {userId});
    if (!login.isValid())
        return;
    qCInfo(lcAccounts).noquote() << "sign-in of disabled account" << login.toString()
                                 << "refused";
    throw ApiError(403, QStringLiteral("the account %1 is disabled; ask the platform's "
                                       "administrator")
                            .arg(login.toString()));
}

void AccountStore::setPassword(const QString &login, const QString &password)
{
    if (password.isEmpty())
        throw ApiError(400, QStringLiteral("the password must not be empty"));
    Transaction transaction;
    const qint64 id = userId(login);
    Database::exec(QStringLiteral("UPDATE users SET password_hash = ? WHERE id = ?"),
                   {Credentials::hashPassword(password), id});
    // A new password ends every session of the old one and every launcher cookie issued
    // before it: a leaked launcher file is one reason to change a password.
    Database::exec(QStringLiteral("DELETE FROM sessions WHERE user_id = ?"), {id});
    Database::exec(QStringLiteral("DELETE FROM launcher_cookies WHERE user_id = ?"), {id});
    transaction.commit();
}

void AccountStore::addTenant(const QString &name)
{
    if (!isValidLogin(name))
        throw ApiError(400, QStringLiteral("a tenant name has 1 to 64 letters, digits or ._@-"));
    Transaction transaction;
    if (Database::value(QStringLiteral("SELECT id FROM tenants WHERE name = ?"), {name}).isValid())
        throw ApiError(409, QStringLiteral("tenant %1 exists already").arg(name));
    Database::exec(QStringLiteral("INSERT INTO tenants (name, is_default) VALUES (?, 0)"), {name});
    transaction.commit();
}

void AccountStore::addSpace(const QString &tenant, const QString &name)
{
    if (name.trimmed().isEmpty() || name.size() > 200)
        throw ApiError(400, QStringLiteral("a space name has 1 to 200 characters"));
    Transaction transaction;
    const qint64 tenantKey = tenantId(tenant);
    if (Database::value(QStringLiteral("SELECT id FROM spaces WHERE tenant_id = ? AND name = ?"),
                        {tenantKey, name})
            .isValid())
        throw ApiError(409, QStringLiteral("space %1 exists already").arg(name));
    Database::exec(QStringLiteral("INSERT INTO spaces (tenant_id, name) VALUES (?, ?)"),
                   {tenantKey, name});
    transaction.commit();
}

void AccountStore::setMember(qint64 tenantKey, const QString &space, const QString &login,
                             const MemberChange &change)
{
    Transaction transaction;
    const QVariant spaceId = Database::value(
        QStringLiteral("SELECT id FROM spaces WHERE tenant_id = ? AND name = ?"),
        {tenantKey, space});
    if (!spaceId.isValid())
        throw ApiError(404, QStringLiteral("unknown space %1").arg(space));
    const qint64 user = userId(login);
    QSqlQuery before = Database::exec(
        QStringLiteral("SELECT role, preferred FROM memberships WHERE space_id = ? AND "
                       "user_id = ?"),
        {spaceId, user});
    const bool existed = before.next();
    const QString was = existed ? before.value(0).toString() : QString();
    const bool preferred =
        change.preferred.value_or(existed && before.value(1).toInt() != 0);
    before.finish();
    if (change.preferred.value_or(false)) {
        Database::exec(QStringLiteral("UPDATE memberships SET preferred = 0 WHERE user_id = ? "
                                      "AND space_id IN (SELECT id FROM spaces WHERE "
                                      "tenant_id = ?)"),
                       {user, tenantKey});
    }
    const QString role = change.role ? SpaceRole::name(*change.role)
                                     : existed ? was : SpaceRole::name(SpaceRole::Editor);
    Database::exec(QStringLiteral("INSERT INTO memberships (space_id, user_id, preferred, role) "
                                  "VALUES (?, ?, ?, ?) ON CONFLICT (space_id, user_id) DO UPDATE "
                                  "SET preferred = excluded.preferred, role = excluded.role"),
                   {spaceId, user, preferred ? 1 : 0, role});
    if (!existed) {
        AuditTrail::recordSpace("member add", space, change.actor, change.address,
                                QStringLiteral("%1 as %2").arg(login, role));
    } else if (was != role) {
        AuditTrail::recordSpace("role change", space, change.actor, change.address,
                                QStringLiteral("%1 from %2 to %3").arg(login, was, role));
    }
    transaction.commit();
}

void AccountStore::removeMember(qint64 tenantKey, const QString &space, const QString &login,
                                const QString &actor, const QString &address)
{
    Transaction transaction;
    const QSqlQuery gone = Database::exec(
        QStringLiteral("DELETE FROM memberships WHERE user_id = ? AND space_id = (SELECT id FROM "
                       "spaces WHERE tenant_id = ? AND name = ?)"),
        {userId(login), tenantKey, space});
    if (gone.numRowsAffected() != 1)
        throw ApiError(404, QStringLiteral("%1 is not a member of %2").arg(login, space));
    AuditTrail::recordSpace("member remove", space, actor, address, login);
    transaction.commit();
}

QString AccountStore::issueCookie(const QString &login, int ttlSeconds)
{
    if (ttlSeconds <= 0)
        throw ApiError(400, QStringLiteral("a cookie lifetime must be positive"));
    const qint64 user = userId(login);
    refuseIfDisabled(user);
    return insertCookie(user, ttlSeconds).cookie;
}

AccountStore::LauncherCookie AccountStore::insertCookie(qint64 userId, int ttlSeconds)
{
    LauncherCookie issued{Credentials::newToken(), now() + ttlSeconds};
    Database::exec(QStringLiteral("INSERT INTO launcher_cookies (cookie_hash, user_id, "
                                  "expires_at) VALUES (?, ?, ?)"),
                   {Credentials::fingerprint(issued.cookie), userId, issued.expiresAt});
    return issued;
}

AccountStore::LauncherCookie AccountStore::issueCookieWithPassword(
    const QString &login, const QString &password, const QString &tenant, const QString &space,
    const QString &address, int ttlSeconds)
{
    const qint64 user = checkPassword(login, password, address);
    // The launcher files name the tenant and space the module signs in to: refused now rather
    // than at every start of the CAD application.
    const qint64 tenantKey = tenantId(tenant);
    if (!space.isEmpty())
        contextSpace(user, tenantKey, space, false);
    const LauncherCookie issued = insertCookie(user, ttlSeconds);
    qCInfo(lcAccounts).noquote() << "launcher cookie issued for account" << login << "from"
                                 << address << "for" << ttlSeconds << "s";
    return issued;
}

qint64 AccountStore::checkPassword(const QString &login, const QString &password,
                                   const QString &address)
{
    // Who is refused, and from where, goes to the log; what was tried never does.
    const QString account = isValidLogin(login) ? login : QStringLiteral("(not a user name)");
    const int wait = SignInThrottle::waitSeconds(login, address);
    if (wait > 0) {
        qCInfo(lcAccounts).noquote() << "password sign-in for account" << account << "from"
                                     << address << "refused: too many failures, retry in"
                                     << wait << "s";
        throw ApiError(429,
                       QStringLiteral("too many failed sign-ins; try again in %1 seconds")
                           .arg(wait),
                       wait);
    }
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT id, password_hash FROM users WHERE login = ?"), {login});
    const bool known = query.next();
    const qint64 user = known ? query.value(0).toLongLong() : 0;
    const QString hash = known ? query.value(1).toString() : QString();
    query.finish();
    if (!Credentials::verifyPassword(password, hash)) {
        SignInThrottle::recordFailure(login, address);
        qCInfo(lcAccounts).noquote() << "password sign-in refused for account" << account
                                     << "from" << address;
        throw ApiError(401, kBadCredentials);
    }
    SignInThrottle::recordSuccess(login);
    // Said only to whoever knows the password.
    refuseIfDisabled(user);
    return user;
}

QString AccountStore::signInWithPassword(const QString &login, const QString &password,
                                         const QString &tenant, const QString &space,
                                         bool preferredContext, const QString &address)
{
    return openSession(checkPassword(login, password, address), tenant, space, preferredContext);
}

QString AccountStore::signInWithCookie(const QString &cookie, const QString &tenant,
                                       const QString &space, bool preferredContext)
{
    const QVariant user = Database::value(
        QStringLiteral("SELECT user_id FROM launcher_cookies WHERE cookie_hash = ? "
                       "AND expires_at > ?"),
        {Credentials::fingerprint(cookie), now()});
    if (!user.isValid()) {
        qCInfo(lcAccounts) << "cookie sign-in refused";
        throw ApiError(401, QStringLiteral("the sign-in cookie is unknown or has expired"));
    }
    // Disabling an account revokes its cookies; this covers one that races with it.
    refuseIfDisabled(user.toLongLong());
    return openSession(user.toLongLong(), tenant, space, preferredContext);
}

QVariant AccountStore::contextSpace(qint64 userId, qint64 tenantKey, const QString &space,
                                    bool preferredContext)
{
    if (preferredContext || space.isEmpty()) {
        return Database::value(
            QStringLiteral("SELECT s.id FROM spaces s JOIN memberships m ON m.space_id = s.id "
                           "WHERE m.user_id = ? AND s.tenant_id = ? "
                           "ORDER BY m.preferred DESC, s.name LIMIT 1"),
            {userId, tenantKey});
    }
    const QVariant context = Database::value(
        QStringLiteral("SELECT s.id FROM spaces s JOIN memberships m ON m.space_id = s.id "
                       "WHERE m.user_id = ? AND s.tenant_id = ? AND s.name = ?"),
        {userId, tenantKey, space});
    if (!context.isValid())
        throw ApiError(403, QStringLiteral("no access to collaborative space %1").arg(space));
    return context;
}

QString AccountStore::openSession(qint64 userId, const QString &tenant, const QString &space,
                                  bool preferredContext)
{
    Transaction transaction;
    const qint64 tenantKey = tenantId(tenant);
    const QVariant context = contextSpace(userId, tenantKey, space, preferredContext);
    const qint64 stamp = now();
    Database::exec(QStringLiteral("DELETE FROM sessions WHERE expires_at <= ?"), {stamp});
    Database::exec(QStringLiteral("DELETE FROM launcher_cookies WHERE expires_at <= ?"), {stamp});
    const QString token = Credentials::newToken();
    Database::exec(QStringLiteral("INSERT INTO sessions (token_hash, user_id, tenant_id, "
                                  "context_space_id, created_at, expires_at) "
                                  "VALUES (?, ?, ?, ?, ?, ?)"),
                   {Credentials::fingerprint(token), userId, tenantKey,
                    context.isValid() ? context : QVariant(QVariant::LongLong), stamp,
                    stamp + m_sessionTtl});
    Database::exec(QStringLiteral("INSERT INTO user_status (user_id, last_sign_in) VALUES (?, ?) "
                                  "ON CONFLICT (user_id) DO UPDATE SET last_sign_in = "
                                  "excluded.last_sign_in"),
                   {userId, stamp});
    transaction.commit();
    return token;
}

void AccountStore::signOut(const QString &token)
{
    Database::exec(QStringLiteral("DELETE FROM sessions WHERE token_hash = ?"),
                   {Credentials::fingerprint(token)});
}

Caller AccountStore::authenticate(const QString &token, const QString &address)
{
    if (token.isEmpty())
        throw ApiError(401, QStringLiteral("not signed in"));
    const QString key = Credentials::fingerprint(token);
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT s.user_id, s.tenant_id, s.context_space_id, s.expires_at, "
                       "u.login FROM sessions s JOIN users u ON u.id = s.user_id "
                       "WHERE s.token_hash = ?"),
        {key});
    const qint64 stamp = now();
    if (!query.next() || query.value(3).toLongLong() <= stamp)
        throw ApiError(401, QStringLiteral("not signed in or the session has expired"));
    Caller caller;
    caller.userId = query.value(0).toLongLong();
    caller.tenantId = query.value(1).toLongLong();
    caller.contextSpaceId = query.value(2).isNull() ? 0 : query.value(2).toLongLong();
    caller.login = query.value(4).toString();
    caller.address = address;
    const qint64 expires = query.value(3).toLongLong();
    query.finish();
    // A session in use lives on; it is written back only once half its lifetime is gone.
    if (expires - stamp < m_sessionTtl / 2) {
        Database::exec(QStringLiteral("UPDATE sessions SET expires_at = ? WHERE token_hash = ?"),
                       {stamp + m_sessionTtl, key});
    }
    return caller;
}

QJsonObject AccountStore::userInfo(const Caller &caller)
{
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT login, first_name, last_name, email FROM users WHERE id = ?"),
        {caller.userId});
    if (!query.next())
        throw ApiError(401, QStringLiteral("not signed in"));
    return QJsonObject{{QStringLiteral("login"), query.value(0).toString()},
                       {QStringLiteral("firstName"), query.value(1).toString()},
                       {QStringLiteral("lastName"), query.value(2).toString()},
                       {QStringLiteral("email"), query.value(3).toString()}};
}

QList<AccountStore::SpaceMembership> AccountStore::spaces(const Caller &caller)
{
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT s.name, m.role FROM spaces s JOIN memberships m ON m.space_id = "
                       "s.id WHERE m.user_id = ? AND s.tenant_id = ? "
                       "ORDER BY CASE WHEN s.id = ? THEN 0 ELSE 1 END, s.name"),
        {caller.userId, caller.tenantId, caller.contextSpaceId});
    QList<SpaceMembership> spaces;
    while (query.next())
        spaces.append({query.value(0).toString(), SpaceRole::stored(query.value(1).toString())});
    return spaces;
}

QStringList AccountStore::spaceNames(const Caller &caller)
{
    QStringList names;
    for (const SpaceMembership &space : spaces(caller))
        names << space.name;
    return names;
}

AccountStore::Membership AccountStore::membership(const Caller &caller, const QString &spaceName)
{
    QSqlQuery query = Database::exec(
        QStringLiteral("SELECT s.id, m.role FROM spaces s JOIN memberships m ON m.space_id = "
                       "s.id WHERE m.user_id = ? AND s.tenant_id = ? AND s.name = ?"),
        {caller.userId, caller.tenantId, spaceName});
    if (!query.next())
        throw ApiError(403, QStringLiteral("no access to collaborative space %1").arg(spaceName));
    return Membership{query.value(0).toLongLong(), SpaceRole::stored(query.value(1).toString())};
}
