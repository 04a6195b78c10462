#pragma once

#include "spacerole.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// Who is calling: the result of checking a session token.
struct Caller {
    qint64 userId = 0;
    qint64 tenantId = 0;
    qint64 contextSpaceId = 0; // 0: no current space
    QString login;
    QString address; // the client's, for the audit trail
};

// Accounts, tenants, spaces, memberships, launcher cookies and sessions in the platform's
// database. Stateless apart from the session lifetime; any thread may use its own instance or
// share one. Failures throw ApiError with a message that names no credential.
class AccountStore
{
public:
    explicit AccountStore(int sessionTtlSeconds);

    // A login differs from every other one in more than letter case.
    void addUser(const QString &login, const QString &firstName, const QString &lastName,
                 const QString &email, const QString &password);
    void setPassword(const QString &login, const QString &password);
    void addTenant(const QString &name);
    void addSpace(const QString &tenant, const QString &name);
    // What becomes of a membership: left as it is where nothing is given (a new member is an
    // editor and not preferred); actor and address name who did it in the audit trail.
    struct MemberChange {
        std::optional<bool> preferred;
        std::optional<SpaceRole::Level> role;
        QString actor = QStringLiteral("platform");
        QString address = QStringLiteral("local");
    };
    // Makes login a member of space, or changes the membership; tenantKey: see tenantId().
    void setMember(qint64 tenantKey, const QString &space, const QString &login,
                   const MemberChange &change);
    // Ends a membership; 404 when there is none.
    void removeMember(qint64 tenantKey, const QString &space, const QString &login,
                      const QString &actor, const QString &address);
    // A launcher cookie for the user, valid for ttlSeconds and usable more than once.
    QString issueCookie(const QString &login, int ttlSeconds);
    struct LauncherCookie {
        QString cookie;
        qint64 expiresAt = 0; // seconds since the epoch, UTC
    };
    // A launcher cookie for whoever knows the user's password, checked, throttled and logged
    // as a password sign-in is; a space, when given, must be one of the user's in the tenant.
    LauncherCookie issueCookieWithPassword(const QString &login, const QString &password,
                                           const QString &tenant, const QString &space,
                                           const QString &address, int ttlSeconds);

    // Each returns a fresh session token. space is the wanted current space; with
    // preferredContext (or an empty space) the user's preferred space is taken instead.
    // address is the client's; failed password sign-ins are throttled per account and per
    // address (ApiError 429 with the seconds to wait).
    QString signInWithPassword(const QString &login, const QString &password,
                               const QString &tenant, const QString &space,
                               bool preferredContext, const QString &address);
    QString signInWithCookie(const QString &cookie, const QString &tenant, const QString &space,
                             bool preferredContext);
    void signOut(const QString &token);
    // Throws ApiError(401) for an unknown or expired token; extends a session in use.
    Caller authenticate(const QString &token, const QString &address = QString());

    QJsonObject userInfo(const Caller &caller);
    // Names of the caller's spaces in the session's tenant, the current space first.
    // The caller's spaces with their role in each, the current space first, then by name.
    struct SpaceMembership {
        QString name;
        SpaceRole::Level role;
    };
    QList<SpaceMembership> spaces(const Caller &caller);
    QStringList spaceNames(const Caller &caller);
    // The id of a space of the caller's tenant that the caller is a member of; 403 otherwise.
    // The caller's membership of a space of their tenant; 403 when they are not a member.
    struct Membership {
        qint64 spaceId = 0;
        SpaceRole::Level role = SpaceRole::Reader;
    };
    Membership membership(const Caller &caller, const QString &spaceName);

    static qint64 tenantId(const QString &name);
    static qint64 userId(const QString &login);
    static bool isValidLogin(const QString &login);
    // 400 unless the password is one an administrator may give an account: at least
    // kMinPasswordCharacters characters, and not the login.
    static void checkPasswordPolicy(const QString &login, const QString &password);
    // 403 when the account is disabled.
    static void refuseIfDisabled(qint64 userId);

private:
    // The id of the account when the password is its own; throttled, refusals logged.
    static qint64 checkPassword(const QString &login, const QString &password,
                                const QString &address);
    // The space a session of the user starts in (null: none); 403 for a named space the user
    // is not a member of.
    static QVariant contextSpace(qint64 userId, qint64 tenantKey, const QString &space,
                                 bool preferredContext);
    static LauncherCookie insertCookie(qint64 userId, int ttlSeconds);
    QString openSession(qint64 userId, const QString &tenant, const QString &space,
                        bool preferredContext);

    int m_sessionTtl;
};
