#include "accountcommands.h"

#include "accountadmin.h"
#include "usageerror.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <pwd.h>
#include <unistd.h>

namespace {

// Who runs the command, as the log and the event stream name an administrator.
QString administrator()
{
    const passwd *account = getpwuid(geteuid());
    return QStringLiteral("administrator %1")
        .arg(account ? QString::fromLocal8Bit(account->pw_name)
                     : QString::number(geteuid()));
}

} // namespace

AccountCommands::AccountCommands(const QCommandLineParser &parser, QTextStream &out)
    : m_parser(parser), m_out(out)
{
}

QString AccountCommands::option(const char *name) const
{
    return m_parser.value(QLatin1String(name));
}

bool AccountCommands::run(const QStringList &words)
{
    const QString command = words.mid(0, 2).join(QLatin1Char(' '));
    const auto need = [&words](int count) {
        if (words.size() != count)
            throw UsageError("wrong number of arguments");
    };
    const bool json = m_parser.isSet(QStringLiteral("json"));
    const auto print = [this, json](const Listing &listing) {
        if (json)
            m_out << listing.json();
        else
            m_out << listing.text();
    };
    // Locks that outlive a change of the account, for the administrator to release or hand on.
    const auto printLocks = [this, print](const QString &login, const Listing &locks) {
        if (locks.isEmpty())
            return;
        m_out << login << " still holds these locks (release them with \"lock release NAME\"):\n";
        print(locks);
    };
    AccountAdmin admin;
    if (command == QLatin1String("user list")) {
        need(2);
        print(admin.users());
    } else if (command == QLatin1String("user disable")
               || command == QLatin1String("user enable")) {
        need(3);
        const bool disable = words.at(1) == QLatin1String("disable");
        const Listing locks = admin.setDisabled(words.at(2), disable);
        m_out << words.at(2)
              << (disable ? " is disabled: their sessions ended and their launcher cookies no "
                            "longer sign in\n"
                          : " is enabled\n");
        printLocks(words.at(2), locks);
    } else if (command == QLatin1String("user remove")) {
        need(3);
        admin.remove(words.at(2));
        m_out << words.at(2) << " is removed\n";
    } else if (command == QLatin1String("space list")) {
        need(2);
        print(admin.spaces(option("tenant")));
    } else if (command == QLatin1String("member list")) {
        need(3);
        print(admin.members(option("tenant"), words.at(2)));
    } else if (command == QLatin1String("member remove")) {
        need(4);
        const Listing locks = admin.removeMember(option("tenant"), words.at(2), words.at(3));
        m_out << words.at(3) << " is no longer a member of " << words.at(2) << "\n";
        printLocks(words.at(3), locks);
    } else if (command == QLatin1String("lock list")) {
        need(2);
        print(admin.locks(option("space"), option("user")));
    } else if (command == QLatin1String("lock release")) {
        need(3);
        m_out << admin.releaseLock(words.at(2), administrator()) << "\n";
    } else {
        return false;
    }
    return true;
}
