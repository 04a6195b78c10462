#include "databaseplatforms.h"

#include "platformprocess.h"
#include "postgrescluster.h"

DatabasePlatforms::DatabasePlatforms() = default;

DatabasePlatforms::~DatabasePlatforms() = default;

bool DatabasePlatforms::start(const std::function<bool(PlatformProcess &)> &prepare,
                              QString *problem)
{
    m_sqlite = std::make_unique<PlatformProcess>();
    if (!m_sqlite->start(problem))
        return false;
    if (!prepare(*m_sqlite)) {
        *problem = QStringLiteral("the platform on SQLite could not be prepared");
        return false;
    }
    if (!PostgresCluster::unavailableReason().isEmpty()) {
        qWarning("PostgreSQL rows skipped: %s", qPrintable(PostgresCluster::unavailableReason()));
        return true;
    }
    m_cluster = std::make_unique<PostgresCluster>();
    if (!m_cluster->start(problem))
        return false;
    m_postgres = std::make_unique<PlatformProcess>(
        PlatformProcess::Options{false, {}, m_cluster->databaseUrl()});
    if (!m_postgres->start(problem))
        return false;
    if (!prepare(*m_postgres)) {
        *problem = QStringLiteral("the platform on PostgreSQL could not be prepared");
        return false;
    }
    return true;
}

PlatformProcess *DatabasePlatforms::of(bool postgres) const
{
    return postgres ? m_postgres.get() : m_sqlite.get();
}
