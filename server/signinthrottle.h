#pragma once

#include <QString>

// Slows down password guessing: failed password sign-ins are counted per account and per client
// address in the database, so every server process on it sees the same counts. After a few free
// failures each further attempt must wait, twice as long after every failure, up to a quarter of
// an hour; a quiet hour forgets the failures, a successful sign-in those of its account.
// Stateless; any thread.
class SignInThrottle
{
public:
    // Seconds until the next attempt for this account from this address is allowed; 0: now.
    static int waitSeconds(const QString &login, const QString &address);
    static void recordFailure(const QString &login, const QString &address);
    static void recordSuccess(const QString &login);
};
