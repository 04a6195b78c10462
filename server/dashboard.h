#pragma once

class AccountStore;

namespace httplib {
class Server;
}

// The platform's web dashboard: a sign-in form and, once signed in, the user's spaces with their
// files. The browser keeps the session in an HTTP-only cookie limited to the dashboard's path.
class Dashboard
{
public:
    static void install(httplib::Server &server, AccountStore &accounts);
};
