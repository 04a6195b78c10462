#pragma once

#include "oddbunderlaydefinition.h"

// The definition of a PDF underlay: one page of a PDF file.
class TD_DB_EXPORT OdDbPdfDefinition : public OdDbUnderlayDefinition
{
    ODDB_DECLARE_CAST(OdDbPdfDefinition)

protected:
    using OdDbUnderlayDefinition::OdDbUnderlayDefinition;

    bool isOwnFormat(const QByteArray &head) const override;
};

using OdDbPdfDefinitionPtr = OdSmartPtr<OdDbPdfDefinition>;
