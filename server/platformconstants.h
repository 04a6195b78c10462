#pragma once

// Names shared by the platform's storage, its HTTP interface and its administration commands.
namespace platform {

// Object types and CAD types as the connector exchanges them.
const char kTypeDrawing[] = "ACAD Drawing";
const char kTypeInsert[] = "ACAD Insert";
const char kTypeDerivedOutput[] = "Derived Output";
const char kCadTypeAssembly[] = "assembly";
const char kCadTypeInserted[] = "insertedobject";

// Relations from a parent object to a child object.
const char kRelationSubcomponent[] = "CADSubcomponent";
const char kRelationDerivedOutput[] = "DerivedOutputOf";

// Files kept in the data folder.
const char kSqliteFileName[] = "platform.sqlite";
const char kServerUrlFileName[] = "server-url";
// Check-in uploads stream into temporary files here, below the data folder.
const char kUploadFolderName[] = "uploads";

// Launcher files and their folder below the per-user locations.
const char kCacheFolder[] = "fzcachedir";
const char kLauncherParamsFileName[] = "FzxAppLauncherParams.xml";
const char kAppsInfoFileName[] = "FzxAppsInfo.xml";
const char kDashboardAppId[] = "XHUBDECK_AP";

// Paths of the HTTP interface.
const char kCasPath[] = "/cas";
// Below kCasPath: a launcher cookie for a user name and password.
const char kLauncherCookiePath[] = "/v1/launcher";
const char kApiPrefix[] = "/api/v1";
const char kDashboardPath[] = "/dashboard";
const char kVaultPath[] = "/vaultis";

// The platform's version, as --version prints it and every answer's header names it.
const char kVersion[] = AUREX_PLATFORM_VERSION;
const char kHeaderVersion[] = "X-Aurex-Version";

// Response headers of a content download.
const char kHeaderSha256[] = "X-Aurex-SHA256";
const char kHeaderModified[] = "X-Aurex-Modified";

// The counter in the database that automatic names are numbered by.
const char kAutonameCounter[] = "autoname";

// Limits.
// The shortest password an administration command gives an account.
const int kMinPasswordCharacters = 10;
const int kMaxSearchResults = 10000;
const int kDefaultSearchResults = 1000;
const int kMaxAutonames = 1000;
const int kMaxRecordsPerRequest = 10000;
// A search's lists and texts: there are three types, titles are file names.
const int kMaxTypesPerQuery = 16;
const int kMaxTitlesPerQuery = 10000;
const int kMaxQueryTextLength = 1024;
// A check-in's comment, in characters.
const int kMaxCommentCharacters = 2000;
const long long kMaxJsonBodyBytes = 4 * 1024 * 1024;
const long long kDefaultMaxUploadBytes = 512LL * 1024 * 1024;
// Free space of the data folder below which serve warns in its log (--low-space).
const long long kDefaultLowSpaceBytes = 1024LL * 1024 * 1024;
// The file kept in the data folder and given back when the disk is full (--space-reserve).
const long long kDefaultSpaceReserveBytes = 64LL * 1024 * 1024;
const long long kMaxUploadLimitBytes = 64LL * 1024 * 1024 * 1024;
const int kDefaultSessionTtlSeconds = 8 * 3600;
// How often an event stream carries a comment line (and its session is checked).
const int kDefaultKeepAliveSeconds = 15;
const int kDefaultCookieTtlSeconds = 12 * 3600;
// How long a launcher cookie that a user fetches with their password lasts, unless the
// administrator says otherwise; at most kMaxLauncherCookieDays.
const int kDefaultLauncherCookieDays = 30;
const int kMaxLauncherCookieDays = 366;
// How far a restore moves automatic names, check-in and event numbers past the last ones its
// backup shows: more than a team hands out between a backup and the restore that needs it.
const int kDefaultRestoreMargin = 1000000;
// How many days a deleted object waits in the trash before it goes for good.
const int kDefaultTrashDays = 30;

// Connections. A few event-driven threads serve them all; each thread has its own database
// connection and runs the requests of its connections.
const int kDefaultThreads = 8;
// A connection is let go when no request begins within kIdleSeconds of it opening or of the
// previous answer, when a request's head is not complete within kHeadDeadlineSeconds, and when
// a body or an answer makes no progress for kStallSeconds.
const int kIdleSeconds = 5;
const int kHeadDeadlineSeconds = 10;
const int kStallSeconds = 30;
// Connections one client address may hold open at once.
const int kDefaultConnectionsPerClient = 256;

} // namespace platform
