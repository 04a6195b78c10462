#pragma once

#include "odresult.h"
#include "odstring.h"
#include "tddbexport.h"

#include <exception>
#include <string>

// The exception that the drawing database interface throws where its calls cannot return a
// result (safeOpenObject, writeFile, a change to an object opened for reading).
class TD_DB_EXPORT OdError : public std::exception
{
public:
    explicit OdError(OdResult code, const OdString &description = OdString());

    OdResult code() const { return m_code; }
    OdString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    OdResult m_code;
    OdString m_description;
    std::string m_what;
};
