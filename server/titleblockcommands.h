#pragma once

#include <QStringList>

class QCommandLineParser;
class QTextStream;

// The administration commands of a tenant's title block mapping (see TitleBlockMapping):
// "titleblock show", "titleblock set PROPERTY [TAG ...]" and "titleblock reset", each of the
// tenant --tenant names (default: the default tenant). Each prints the mapping as it then is,
// as text or, with --json, as GET /titleblock answers. Wrong usage (an unknown property, a tag
// that cannot be one) throws UsageError, an unknown tenant ApiError.
class TitleBlockCommands
{
public:
    TitleBlockCommands(const QCommandLineParser &parser, QTextStream &out);

    // Runs the command that words name; false when they name none of these.
    bool run(const QStringList &words);

private:
    void print(qint64 tenantId);

    const QCommandLineParser &m_parser;
    QTextStream &m_out;
};
