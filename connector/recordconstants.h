#pragma once

// The vocabulary of file-information records: every property key the module writes into a
// record or reads from one, and every fixed value. Records carry narrow strings only.

// Identification of a platform object.
const char kKeyPhid[] = "phid";
const char kKeyName[] = "name";
const char kKeyTitle[] = "title";
const char kKeyRevision[] = "revision";
const char kKeyType[] = "type";
const char kKeyCadType[] = "cadtype";
const char kKeySpace[] = "_CS";

// Details filled by the platform.
const char kKeyLockedBy[] = "_LockedBy";
const char kKeyOwner[] = "_Owner";
// The signed-in user's role in the record's space: "reader", "editor" or "manager" (empty from
// a platform without roles, where every member may do everything).
const char kKeyRole[] = "_Role";
const char kKeyFileModified[] = "_filemodified";
const char kKeySize[] = "_size";
const char kKeySha256[] = "_sha256"; // of the content, hex

// Search queries.
const char kKeyTypePattern[] = "_TypePattern";
const char kKeyNamePattern[] = "_NamePattern";
const char kKeyTitlePattern[] = "_TitlePattern";
const char kKeyOrTitlePrefix[] = "_or_title_"; // followed by the title's index, from 0
const char kKeyPagination[] = "_Pagination";
const char kKeyPageLimit[] = "_Pagelimit";
const char kKeyPageSize[] = "_Pagesize";
const char kKeyNoIndex[] = "_NoIndex";
const char kKeyDownloadPreviews[] = "_DOWNLOADPREVIEWS";

// Downloads.
const char kKeyLocalDownloadFolder[] = "_LOCALDOWNLOADFOLDER";
// A local file whose chunks a download may reuse instead of fetching them (the working copy of
// an earlier version), when the download goes elsewhere first.
const char kKeyLocalBasis[] = "_LOCALBASIS";
const char kKeyFileName[] = "filename";
const char kKeyLocalTimestamp[] = "_LOCALTIMESTAMP";

// Save trees and automatic names.
const char kKeyCollabSpace[] = "collabspace";
const char kKeySelected[] = "selected";
const char kKeyMaintainLock[] = "maintainlock";
const char kKeyOwnsChildren[] = "_OwnsChildren";
const char kKeyFormat[] = "_Format";
const char kKeyRelationToParent[] = "_RelationToParent";
// On a check-in's top record: the save's key, so that a retried check-in is stored once.
const char kKeyCheckInKey[] = "_CheckInKey";
const char kKeyCount[] = "_count";
// On a save-tree record that saves local changes: the platform stamp of the version the local
// copy was made from. The platform refuses the check-in when its version is newer.
const char kKeyBaseModified[] = "_BaseModified";
// Details: the user who saved the platform's current version.
const char kKeyModifiedBy[] = "_ModifiedBy";
// Details and versions: the comment of the check-in that saved the version.
const char kKeyComment[] = "_Comment";
// Versions: the check-in that saved the version (empty for one from before versions were kept).
const char kKeyCheckIn[] = "_CheckIn";
// A file as of an earlier version of its drawing whose bytes the platform no longer keeps.
const char kKeyVersionPruned[] = "_VersionPruned";
// What a drawing's title block says, as the platform keeps it per version.
const char kKeyDrawingNumber[] = "_DrawingNumber";
const char kKeyDrawingTitle[] = "_DrawingTitle";
const char kKeyDrawingRevision[] = "_DrawingRevision";
const char kKeyDrawingSheet[] = "_DrawingSheet";
// Where used: how far up a drawing sits above the file asked about (1: it references the file),
// and the phid of the file it references on the way.
const char kKeyDepth[] = "_Depth";
const char kKeyReferencedVia[] = "_ReferencedVia";

// Flags.
const char kTrue[] = "true";
const char kFalse[] = "false";

// Object types ("type") and CAD types ("cadtype").
const char kTypeDrawing[] = "ACAD Drawing";
const char kTypeInsert[] = "ACAD Insert";
const char kTypeDerivedOutput[] = "Derived Output";
const char kTypePdf[] = "pdf";
const char kCadTypeAssembly[] = "assembly";
const char kCadTypeInsertedObject[] = "insertedobject";

// Type patterns of the three searches (comma-separated, no blanks).
const char kTypesInOneSpace[] = "ACAD Drawing";
const char kTypesInAllSpaces[] = "ACAD Drawing,Derived Output";
const char kTypesForTitleCheck[] = "ACAD Drawing,ACAD Insert";

// Fixed query values.
const char kWildcard[] = "*";
const char kPageLimit[] = "1000";
const char kPageSize[] = "50";

// The revision of a request built from a local file.
const char kLocalRevision[] = "---";

// File suffixes (compared upper-cased) and save-tree formats and relations.
const char kSuffixDwg[] = "DWG";
const char kSuffixDxf[] = "DXF";
const char kSuffixPdf[] = "PDF";
const char kFormatDwg[] = "dwg";
const char kFormatPdf[] = "pdf";
const char kFormatImage[] = "Image";
const char kRelationSubcomponent[] = "CADSubcomponent";
const char kRelationDerivedOutput[] = "DerivedOutputOf";

// Platform modification stamps, always UTC, in Qt date-time notation.
const char kStampFormat[] = "yyyy'/'MM'/'dd'@'HH':'mm':'ss':GMT'";
