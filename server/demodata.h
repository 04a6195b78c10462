#pragma once

#include <QTextStream>

class AccountStore;

// Fills an empty platform with the demo: users with documented passwords, three collaborative
// spaces, drawings with nested references, images and PDF underlays, a preview per drawing, a
// few files locked by another user, and a file with a history of versions by two users. The files are compiled in from the demo folder.
class DemoData
{
public:
    // Throws ApiError when the demo users exist already or the data cannot be stored.
    static void create(AccountStore &accounts, QTextStream &out);
};
