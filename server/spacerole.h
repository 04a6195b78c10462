#pragma once

#include <QString>

#include <optional>

// What a member may do in a collaborative space. A reader searches, opens and reads details and
// versions; an editor also checks in, locks and unlocks with their own locks and deletes what
// they own; a manager also deletes anything, releases others' locks, restores from the trash and
// reads the space's trail. Stored by name in the membership.
class SpaceRole
{
public:
    enum Level { Reader = 1, Editor = 2, Manager = 3 };

    // "reader", "editor" or "manager", in any letter case; nothing for another word.
    static std::optional<Level> parse(const QString &name);
    static QString name(Level level);
    // A stored name; one this platform does not know grants the least.
    static Level stored(const QString &name);

    // What an editor may do that a reader may not, worded for the refusal.
    enum Write { Save, Lock, Delete, RestoreVersion };
    // 403 naming the space and what the caller cannot do there, unless they are an editor or
    // a manager: "You can read Bridge Project but not save to it."
    static void requireWrite(Level level, const QString &space, Write write);
};
