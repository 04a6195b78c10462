#include "accountcommands.h"

#include "accountadmin.h"
#include "accountstore.h"
#include "audittrail.h"
#include "database.h"
#include "platformconstants.h"
#include "trash.h"
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

AccountCommands::AccountCommands(const QCommandLineParser &parser, QTextStream &out,
                                 AccountStore &accounts)
    : m_parser(parser), m_out(out), m_accounts(accounts)
{
}

QString AccountCommands::option(const char *name) const
{
    return m_parser.value(QLatin1String(name));
}

qint64 AccountCommands::timeOption(const char *name) const
{
    const std::optional<qint64> time = AuditTrail::timeOf(option(name));
    if (!time)
        throw UsageError(std::string("--") + name + " needs a date or a time such as "
                                                    "2026-12-08 or 2026-12-08T14:00:00Z");
    return *time;
}

SpaceRole::Level AccountCommands::roleOf(const QString &word)
{
    const std::optional<SpaceRole::Level> role = SpaceRole::parse(word);
    if (!role)
        throw UsageError("a role is reader, editor or manager");
    return *role;
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
    } else if (command == QLatin1String("member add") || command == QLatin1String("member role")) {
        const bool adding = words.at(1) == QLatin1String("add");
        need(adding ? 4 : 5);
        const qint64 tenant = AccountStore::tenantId(option("tenant"));
        if (!adding && !admin.isMember(option("tenant"), words.at(2), words.at(3)))
            throw ApiError(404, QStringLiteral("%1 is not a member of %2")
                                    .arg(words.at(3), words.at(2)));
        AccountStore::MemberChange change;
        change.actor = administrator();
        if (adding && m_parser.isSet(QStringLiteral("preferred")))
            change.preferred = true;
        const QString role = adding ? option("role") : words.at(4);
        if (!role.isEmpty())
            change.role = roleOf(role);
        m_accounts.setMember(tenant, words.at(2), words.at(3), change);
        if (!adding)
            m_out << words.at(3) << " is " << role.toLower() << " of " << words.at(2) << "\n";
    } else if (command == QLatin1String("member remove")) {
        need(4);
        const QString space = words.at(2);
        const QString login = words.at(3);
        m_accounts.removeMember(AccountStore::tenantId(option("tenant")), space, login,
                                administrator(), QStringLiteral("local"));
        m_out << login << " is no longer a member of " << space << "\n";
        const Listing locks = admin.locks(space, login);
        printLocks(words.at(3), locks);
    } else if (command == QLatin1String("lock list")) {
        need(2);
        print(admin.locks(option("space"), option("user")));
    } else if (command == QLatin1String("lock release")) {
        need(3);
        m_out << admin.releaseLock(words.at(2), administrator()) << "\n";
    } else if (command == QLatin1String("trash list")) {
        need(2);
        print(admin.trash(option("space")));
    } else if (command == QLatin1String("trash restore")) {
        need(3);
        m_out << admin.restoreFromTrash(words.at(2), administrator()) << "\n";
    } else if (command == QLatin1String("trash purge")) {
        need(2);
        const int days = m_parser.isSet(QStringLiteral("trash-days"))
            ? option("trash-days").toInt()
            : platform::kDefaultTrashDays;
        if (days <= 0)
            throw UsageError("--trash-days needs a positive number");
        m_out << "deleted " << Trash::purge(days) << " objects for good\n";
    } else if (words.value(0) == QLatin1String("audit")) {
        need(1);
        AuditTrail::Filter filter;
        filter.user = option("user");
        filter.space = option("space");
        filter.object = option("object");
        filter.since = timeOption("since");
        filter.until = timeOption("until");
        print(AuditTrail::list(filter));
    } else {
        return false;
    }
    return true;
}
