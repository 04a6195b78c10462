#pragma once

#include "platformprocess.h"
#include "testhome.h"

#include <QMap>
#include <QString>

#include <memory>

// Shared by the save tests: a demo platform and a user home for the test, sign-in of the
// module's connector as a demo user, and local copies made exactly as the open dialog's
// download makes them (files in a folder, entries in the file database).
namespace savetest {

struct Fixture
{
    TestHome home;
    std::unique_ptr<PlatformProcess> platform;

    // Starts the demo platform, points the user's folders at the home, signs the connector in
    // as user (password "<user>-demo-pw") and marks the module signed in as that user.
    bool start(const QString &user, QString *error);
};

// Downloads the drawing titled title with everything it references into folder and records
// each file in the file database; returns the platform name of each file by its local path.
QMap<QString, QString> download(const QString &title, const QString &folder);

} // namespace savetest
