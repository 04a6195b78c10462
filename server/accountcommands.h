#pragma once

#include "spacerole.h"

#include <QStringList>

class AccountStore;
class QCommandLineParser;
class QTextStream;

// The administration commands that look after accounts, spaces, memberships and locks once
// they exist: lists (as text, or JSON with --json), disabling and removing accounts, members and
// their roles, breaking a lock, the trash and the audit trail. Refusals throw ApiError, wrong
// usage UsageError.
class AccountCommands
{
public:
    AccountCommands(const QCommandLineParser &parser, QTextStream &out, AccountStore &accounts);

    // Runs the command that words name; false when they name none of these.
    bool run(const QStringList &words);

private:
    QString option(const char *name) const;
    // A date or time option as seconds since the epoch; 0 when not given.
    qint64 timeOption(const char *name) const;
    static SpaceRole::Level roleOf(const QString &word);

    const QCommandLineParser &m_parser;
    QTextStream &m_out;
    AccountStore &m_accounts;
};
