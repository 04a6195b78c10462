#pragma once

#include "odresult.h"
#include "tddbexport.h"

class OdDbBlockTableRecord;
class OdDbDatabase;

// Loads and unloads the drawings behind external references. A reference is found through its
// database's host services; a drawing that is already being loaded further up the chain of
// references (a cycle) is not loaded again. Within one call, a drawing that several references
// reach is read once and its database shared by all of them.
class TD_DB_EXPORT OdDbXRefMan
{
public:
    // eOk, or why not: eInvalidInput (no external reference), eFileNotFound, eSelfReference
    // (a cycle), eCantOpenFile (the file is no readable drawing).
    static OdResult load(OdDbBlockTableRecord *blockRecord);
    static OdResult unload(OdDbBlockTableRecord *blockRecord);
    // Loads every external reference of database and, through them, the nested ones.
    static void loadAll(OdDbDatabase *database);
};
