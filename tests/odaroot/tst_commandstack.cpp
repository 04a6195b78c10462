#include "odedcommand.h"
#include "odedcommandcontext.h"
#include "odedcommandstack.h"
#include "odeditor.h"
#include "odeditorreactor.h"
#include "odstaticrxobject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class NamedCommand : public OdEdCommand
{
public:
    NamedCommand(const char *name, int status) : m_name(name), m_status(status) { }
    const OdString globalName() const override { return m_name; }
    int execute(OdEdCommandContext *) override
    {
        g_log.push_back("run " + m_name.toUtf8());
        return m_status;
    }

private:
    OdString m_name;
    int m_status;
};

// Listens to database events and, being a command reactor too, to commands through the editor.
class Listener : public OdEditorReactor, public OdEdCommandStackReactor
{
public:
    void addRef() override { }
    void release() override { }
    void commandWillStart(OdEdCommand *command, OdEdCommandContext *) override
    {
        g_log.push_back("start " + command->globalName().toUtf8());
    }
    void commandEnded(OdEdCommand *command, OdEdCommandContext *) override
    {
        g_log.push_back("ended " + command->globalName().toUtf8());
    }
    void saveComplete(OdDbDatabase *, const OdString &actualName) override
    {
        g_log.push_back("saved " + actualName.toUtf8());
    }
};

// Unregisters the test's commands before they go out of scope.
struct CommandGroupGuard
{
    ~CommandGroupGuard() { odedRegCmds()->removeGroup("ACAD_MAIN"); }
};

class CommandStackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_log.clear();
        odedEditor()->addReactor(&listener);
    }
    void TearDown() override { odedEditor()->removeReactor(&listener); }
    OdStaticRxObject<Listener> listener;
};

TEST_F(CommandStackTest, RunsTheLatestCommandOfANameAndTellsReactorsThroughTheEditor)
{
    OdStaticRxObject<NamedCommand> save("_SAVE", 5100), reloaded("_save", 7);
    CommandGroupGuard guard;
    OdEdCommandContext context;
    odedRegCmds()->addCommand(&save);
    EXPECT_EQ(odedRegCmds()->executeCommand("_save", &context), 5100);
    // A module loaded again registers its command again: the new one takes the name's place.
    odedRegCmds()->addCommand(&reloaded);
    EXPECT_EQ(odedRegCmds()->executeCommand("_Save", &context), 7);
    EXPECT_EQ(odedRegCmds()->commands().size(), 1u);
    EXPECT_EQ(g_log, (std::vector<std::string> { "start _SAVE", "run _SAVE", "ended _SAVE",
                                                 "start _save", "run _save", "ended _save" }));

    g_log.clear();
    EXPECT_EQ(odedRegCmds()->executeCommand("_NOSUCH", &context),
              OdEdCommandStack::kUnknownCommand);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(CommandStackTest, DatabaseEventsReachEditorReactors)
{
    odedEditor()->fire_saveComplete(nullptr, "C:\\x\\a.dwg");
    odedEditor()->removeReactor(&listener);
    odedEditor()->fire_saveComplete(nullptr, "b.dwg");
    EXPECT_EQ(g_log, (std::vector<std::string> { "saved C:\\x\\a.dwg" }));
}

TEST(OdStringTest, Utf8RoundTripAndCaseRules)
{
    const std::string text = "Zeichnung \xC3\xBC \xE2\x82\xAC \xF0\x9F\x93\x90";
    EXPECT_EQ(OdString::fromUtf8(text).toUtf8(), text);
    EXPECT_EQ(OdString("_AurexOpen").iCompare("_AUREXOPEN"), 0);
    // A truncated sequence must not read past the end.
    EXPECT_EQ(OdString::fromUtf8(std::string("a\xE2\x82")).getLength(), 2);
}

} // namespace
