#pragma once

// The file database: where it lives, its XML form and the results of its operations.

// Below the generic configuration folder, followed by the tenant.
const char kFileDatabaseFolder[] = "/fzcachedir/FzxConnector/";
const char kFileDatabaseName[] = "filedb.xml";
// Beside the database: the lock file that serialises uses across processes, and the prefix of
// the name under which a database that cannot be read is kept aside.
const char kLockFileSuffix[] = ".lock";
const char kUnreadableSuffix[] = ".unreadable-";

const char kDeclarationTarget[] = "xml";
const char kDeclarationData[] = "version='1.0' encoding='UTF-8'";
const char kRootTag[] = "files";
const char kEntryTag[] = "file";

// Attributes of an entry, in the order in which a new entry sets them.
const char kAttrPath[] = "path";
const char kAttrVaultId[] = "vaultisid";
const char kAttrName[] = "name";
const char kAttrUpdateStamp[] = "updatestamp";
const char kAttrLocalDate[] = "localdate";
const char kAttrType[] = "type";
const char kAttrLocallyModified[] = "islocallyModified";
// The platform stamp of the last download or check-in, kept through local saves.
const char kAttrBaseStamp[] = "basestamp";
// What identifies the bytes the last download or check-in left: size, modification time in
// milliseconds since the epoch, SHA-256 in hex.
const char kAttrContentSize[] = "contentsize";
const char kAttrContentTime[] = "contenttime";
const char kAttrContentSha256[] = "contentsha256";

// The start of the name of a download's hidden folder beside the files' places, followed by
// the downloading process's id.
const char kStagingPrefix[] = ".aurex-download-";

// Results of the path-keyed operations.
const char kNoEntry[] = "-1";
const char kEntryUpdated[] = "0";

// The form of "localdate" (written empty; nothing reads it).
const char kLocalDateFormat[] = "dd/MM/yyyy hh:mm:ss";
