#pragma once

#include <QStringList>

class QCommandLineParser;
class QTextStream;

// The administration commands that look after accounts, spaces, memberships and locks once
// they exist: lists (as text, or JSON with --json), disabling and removing accounts, ending
// memberships, breaking a lock. Refusals throw ApiError, wrong usage UsageError.
class AccountCommands
{
public:
    AccountCommands(const QCommandLineParser &parser, QTextStream &out);

    // Runs the command that words name; false when they name none of these.
    bool run(const QStringList &words);

private:
    QString option(const char *name) const;

    const QCommandLineParser &m_parser;
    QTextStream &m_out;
};
