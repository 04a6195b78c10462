#pragma once

#include <memory>

class AccountStore;
class HttpExchange;
struct HttpRequest;

// The platform's web dashboard: a sign-in form and, once signed in, the user's spaces with their
// files. The browser keeps the session in an HTTP-only cookie limited to the dashboard's path.
class Dashboard
{
public:
    // The exchange for a request below the dashboard's path; nothing for other paths.
    static std::unique_ptr<HttpExchange> route(const HttpRequest &request,
                                               AccountStore &accounts);
};
