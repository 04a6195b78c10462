#pragma once

#include <QString>

#include <functional>
#include <memory>

class PlatformProcess;
class PostgresCluster;

// Two real platforms for tests whose rows run on each database: one on SQLite and, where
// PostgreSQL is installed, one on a temporary PostgreSQL cluster. Both serve until the object
// goes.
class DatabasePlatforms
{
public:
    DatabasePlatforms();
    ~DatabasePlatforms();

    // Starts the platforms and runs prepare on each (adding users, spaces...); false with the
    // reason when one did not start or prepare failed. Without PostgreSQL, warns that its rows
    // are skipped.
    bool start(const std::function<bool(PlatformProcess &)> &prepare, QString *problem);
    PlatformProcess &sqlite() const { return *m_sqlite; }
    // The platform on PostgreSQL (postgres) or SQLite; null for PostgreSQL when it is not
    // installed.
    PlatformProcess *of(bool postgres) const;

private:
    std::unique_ptr<PlatformProcess> m_sqlite;
    std::unique_ptr<PostgresCluster> m_cluster;
    std::unique_ptr<PlatformProcess> m_postgres;
};
