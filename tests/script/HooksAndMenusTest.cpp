#include "ScriptSupport.h"
#include "storage/CTablet.h"
#include "undo/CUndoStructure.h"

namespace {

CRString text(const std::string& value) {
    return CRString(value, 153);
}

const std::string kMenus = "define menu \"Checks\"\n"
                           "\"Check\" \"Check It\"\n"
                           "divider\n"
                           "\"twice\" \"First\"\n"
                           "\"twice\" \"Second\"\n"
                           "end define\n"
                           "define menu \"More\"\n\"more\" \"More\"\nend define\n";

} // namespace

TEST(ScriptHooks, RegisteredHooksRunWithNodeArguments) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable seen\n"
                             "define function is-landing-allowed(a, b)\n let seen = a & \",\" & b\n"
                             " return a > b\nend define\n"
                             "define function open\n let seen = \"opened\"\nend define\n"),
              kNoErr);
    EXPECT_TRUE(runner.script().isHookRegistered(CScript::kHookIsLandingAllowed));
    EXPECT_TRUE(runner.script().isHookRegistered(CScript::kHookOpen));
    EXPECT_FALSE(runner.script().isHookRegistered(CScript::kHookClose));
    bool exists = false;
    bool answer = false;
    CUndoStructure& undo = runner.tree.undoStructure();
    ASSERT_EQ(undo.startTaskList(kLabelMenu), kNoErr);
    ASSERT_EQ(
        runner.script().callInternalMessage(CScript::kHookIsLandingAllowed, 7, 3, exists, answer),
        kNoErr);
    EXPECT_TRUE(exists);
    EXPECT_TRUE(answer);
    EXPECT_EQ(runner.global("seen"), "7,3");
    ASSERT_EQ(
        runner.script().callInternalMessage(CScript::kHookIsLandingAllowed, 3, 7, exists, answer),
        kNoErr);
    EXPECT_FALSE(answer);
    ASSERT_EQ(runner.script().callInternalMessage(CScript::kHookOpen, 0, 0, exists, answer),
              kNoErr);
    EXPECT_EQ(runner.global("seen"), "opened");
    // An absent hook runs nothing, and the caller applies its default.
    ASSERT_EQ(runner.script().callInternalMessage(CScript::kHookClose, 0, 0, exists, answer),
              kNoErr);
    EXPECT_FALSE(exists);
    EXPECT_FALSE(answer);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    EXPECT_EQ(runner.script().callInternalMessage(11, 0, 0, exists, answer), kErrInvalidParameter);
    EXPECT_EQ(CScript::hookNumber("scissors-down"), CScript::kHookScissorsDown);
    EXPECT_EQ(CScript::hookNumber("Scissors"), 0);
}

TEST(ScriptHooks, AHookWithTheWrongArgumentCountIsRefusedWithAnAlert) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable seen\n"
                             "define function open(n)\n let seen = 1\nend define\n"
                             "define variable scissors\n"),
              kNoErr);
    EXPECT_FALSE(runner.script().isHookRegistered(CScript::kHookOpen));
    EXPECT_FALSE(runner.script().isHookRegistered(CScript::kHookScissors));
    ASSERT_EQ(runner.alerts().size(), 1u);
    EXPECT_EQ(runner.alerts()[0], "Ramex cannot internally call the script function 'open', "
                                  "because it has the wrong number of arguments.  The default "
                                  "action will be used.");
    bool exists = true;
    bool answer = true;
    ASSERT_EQ(runner.script().callInternalMessage(CScript::kHookOpen, 0, 0, exists, answer),
              kNoErr);
    EXPECT_FALSE(exists);
    EXPECT_EQ(runner.global("seen"), "");
    // A failed compile forgets the hooks.
    ASSERT_EQ(runner.compile("define function close\n exit\nend define\n"), kNoErr);
    EXPECT_TRUE(runner.script().isHookRegistered(CScript::kHookClose));
    ASSERT_EQ(runner.compile("define function close\n exit\n"), kErrScriptCompile);
    EXPECT_FALSE(runner.script().isHookRegistered(CScript::kHookClose));
}

TEST(ScriptHooks, ToolHooksShowTheirToolsForAWorkingDocument) {
    const std::string script = "define function scissors-down(n)\n exit\nend define\n"
                               "define function magnifying-glass(n)\n exit\nend define\n";
    {
        ScriptHarness author;
        ASSERT_EQ(author.compile(script, false), kNoErr);
        bool visible = true;
        ASSERT_EQ(author.script().middleInterface().getToolVisibility(2, visible), kNoErr);
        EXPECT_FALSE(visible);
    }
    ScriptHarness runner;
    ASSERT_EQ(runner.compile(script), kNoErr);
    const CMiddleInterface& middle = runner.script().middleInterface();
    for (int32_t tool = 1; tool <= 4; ++tool) {
        bool visible = false;
        ASSERT_EQ(middle.getToolVisibility(tool, visible), kNoErr);
        EXPECT_TRUE(visible) << tool;
    }
    // Made inside the set-up step, which is cleared: Undo does not offer it.
    bool canUndo = true;
    ASSERT_EQ(runner.tree.undoStructure().canUndo(canUndo), kNoErr);
    EXPECT_FALSE(canUndo);
}

TEST(ScriptMenus, MenusLiveInTheRecordTableAndChangeUndoablyRebuildingTheMenus) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile(kMenus), kNoErr);
    CMiddleInterface& middle = runner.middle();
    int32_t first = 0, second = 0, record = 0;
    ASSERT_EQ(middle.howManyItemsInMenu(1, first), kNoErr);
    ASSERT_EQ(middle.howManyItemsInMenu(2, second), kNoErr);
    EXPECT_EQ(first * 10 + second, 41);
    std::string label, itemLabel, itemName;
    ASSERT_EQ(middle.getMenuLabel(2, label), kNoErr);
    ASSERT_EQ(middle.getMenuItemString(1, 1, true, itemLabel), kNoErr);
    ASSERT_EQ(middle.getMenuItemString(1, 1, false, itemName), kNoErr);
    EXPECT_EQ(label + "|" + itemLabel + "|" + itemName, "More|Check It|Check");
    ASSERT_EQ(middle.menuNameToIndex(text("more"), record), kNoErr);
    EXPECT_EQ(record, 33);
    ASSERT_EQ(middle.menuNameToIndex(text("twice"), record), kNoErr);
    EXPECT_EQ(record, 5);
    const CTablet& table = middle.recordTable();
    EXPECT_EQ(std::vector<int32_t>(
                  {table.cell(4, 1), table.cell(4, 2), table.cell(3, 3), table.cell(3, 4)}),
              std::vector<int32_t>({-1, -1, 1, 0}));
    EXPECT_TRUE(runner.bugReports().empty());
    bool flag = false;
    EXPECT_EQ(middle.howManyItemsInMenu(3, first), kErrInvalidParameter);
    EXPECT_EQ(middle.getMenuItemString(2, 2, true, label), kErrInvalidParameter);
    EXPECT_EQ(middle.getMenuItemChecked(0, 1, flag), kErrInvalidParameter);
    EXPECT_EQ(runner.bugReports().size(), 3u);
    runner.platform.recorder.clear();

    CUndoStructure& undo = runner.undo();
    ASSERT_EQ(undo.startTaskList(kLabelMenu), kNoErr);
    ASSERT_EQ(middle.checkMenuItem(undo, text("Check"), true), kNoErr);
    ASSERT_EQ(middle.enableMenuItem(undo, text("twice"), false), kNoErr);
    ASSERT_EQ(middle.setMenuItemLabel(undo, text("more"), text("Less")), kNoErr);
    // Names compare exactly: "check" names no item, and nothing changes.
    EXPECT_EQ(middle.checkMenuItem(undo, text("check"), false), kErrInvalidParameter);
    ASSERT_EQ(middle.setToolVisibility(undo, CMiddleInterface::kToolLexicon, false), kNoErr);
    // The value it already has adds nothing.
    ASSERT_EQ(middle.setToolVisibility(undo, CMiddleInterface::kToolArrow, true), kNoErr);
    EXPECT_EQ(middle.setToolVisibility(undo, 5, true), kErrInvalidParameter);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    EXPECT_EQ(runner.bugReports(),
              (Texts{"CMiddleInterface::checkMenuItem (invalid parameter)",
                     "CMiddleInterface::setToolVisibility (invalid parameter)"}));
    // Each menu change is a task that rebuilds the menus; the tool's task names it, hidden.
    const auto tasks = [&] {
        std::string out;
        for (const auto& request : runner.ui.requestsOfKind(RecordingUserInterface::Kind::UndoTask))
            out += request.first == CMiddleInterface::kRebuildAuthorMenus
                       ? "menus "
                       : std::to_string(request.first) + ":" + std::to_string(request.second) + " ";
        runner.ui.clear();
        return out;
    };
    EXPECT_EQ(tasks(), "menus menus menus 4:0 ");
    const auto state = [&] {
        bool checked = false, enabled = false, nextEnabled = false, lexicon = false;
        EXPECT_EQ(middle.getMenuItemChecked(1, 1, checked), kNoErr);
        // Of two items with the same name, the first is changed.
        EXPECT_EQ(middle.getMenuItemEnabled(1, 3, enabled), kNoErr);
        EXPECT_EQ(middle.getMenuItemEnabled(1, 4, nextEnabled), kNoErr);
        EXPECT_EQ(middle.getToolVisibility(CMiddleInterface::kToolLexicon, lexicon), kNoErr);
        return std::string(checked ? "checked " : "") + (enabled ? "enabled " : "") +
               (nextEnabled ? "next " : "") + (lexicon ? "lexicon " : "") +
               middle.menu(2)->items[0].label;
    };
    EXPECT_EQ(state(), "checked next Less");
    ASSERT_EQ(undo.undo(), kNoErr);
    EXPECT_EQ(state(), "enabled next lexicon More");
    EXPECT_NE(tasks().find("4:1 "), std::string::npos);
    ASSERT_EQ(undo.redo(), kNoErr);
    EXPECT_EQ(state(), "checked next Less");
}

TEST(ScriptMenus, ModifierKeysAndRequestsWithoutAnApplication) {
    ScriptHarness runner;
    CMiddleInterface& middle = runner.middle();
    runner.platform.recorder.modifiers = kModifierControl;
    EXPECT_TRUE(middle.queryModifierKey(2));
    EXPECT_FALSE(middle.queryModifierKey(4));
    EXPECT_EQ(runner.bugReports(), Texts{"CMiddleInterface::queryModifierKey (invalid parameter)"});
    ASSERT_EQ(middle.popUp(12, text("here")), kNoErr);
    ASSERT_EQ(runner.ui.requests().size(), 1u);
    EXPECT_EQ(runner.ui.requests()[0].first, 12);
    // Without an application the requests go nowhere and questions get empty answers.
    middle.installCRamexApp(nullptr);
    runner.platform.recorder.askAnswers.push_back(std::string("unused"));
    CRString answer(153);
    ASSERT_EQ(middle.ask(text("Alone?"), answer), kNoErr);
    EXPECT_EQ(answer.str(), "");
    ASSERT_EQ(middle.message(text("hello")), kNoErr);
    EXPECT_EQ(runner.ui.requests().size(), 1u);
}
