#include "oderror.h"

OdError::OdError(OdResult code, const OdString &description)
    : m_code(code)
    , m_description(description)
    , m_what(description.isEmpty() ? "drawing database error " + std::to_string(int(code))
                                   : description.toUtf8())
{
}
