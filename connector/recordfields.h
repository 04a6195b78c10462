#pragma once

#include <QString>

class FzFileInfo;

// Reading and writing record properties as QString (records hold UTF-8 narrow strings).
// Named so as not to collide with QObject::setProperty inside widgets that use them.

// The property's value; a key that was never set reads as "".
QString recordProperty(const FzFileInfo &record, const char *key);
void setRecordProperty(FzFileInfo &record, const char *key, const QString &value);

// The title of a record the connector returned: the "title" property, or the fixed field when
// the property is empty (the connector fills both, older answers only one).
QString recordTitle(const FzFileInfo &record);

// Whether the platform lets user change the record's file (save, lock): not for a reader.
bool recordMayChange(const FzFileInfo &record);
// Whether the platform lets user delete the record's file: a manager anything, an editor what
// they own.
bool recordMayDelete(const FzFileInfo &record, const QString &user);
