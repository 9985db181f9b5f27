// Whole scripts compiled in student mode and run as menu commands and hooks, the way the main
// window runs them; on a document from tests/data the answers are worked out by hand from its
// trees.

#include "ScriptSupport.h"
#include "storage/CTablet.h"
#include "undo/CUndoStructure.h"

namespace {

// xbar-document.rgt holds two trees:
//   [TP [DP{sub=i} [D' [D the] [NP [N' [N dog]]]]]
//       [T' [T{style=bold+italic} -s]
//           [VP [V' [V'{color=red} [V bark]] [AdvP{triangle} [Adv very] [Adv loudly]]]]]]
//   [CP{color=blue} [C' [C that] [TP "it rains"]]]
// `called` finds the first node in the tree area with the label; the labels asked for are
// unique in the document. Every command first names the nodes it works on.
const std::string kPrelude =
    "define variable tp, dp, t, vp, v, advp, cp, tp2 define function "
    "called(wanted) define variable n, found let found = 0 for every node n if found = 0 and "
    "label(n) eq wanted then let found = n end if end for return found end define define function "
    "nodes let dp = called(\"DP\") let tp = mother(dp) let t = called(\"T\") let vp = "
    "called(\"VP\") let v = called(\"V\") let advp = called(\"AdvP\") let cp = called(\"CP\") let "
    "tp2 = mother(called(\"it rains\")) end define ";

// Whether the hook exists and its answer, after calling it with the arguments.
std::string hook(ScriptHarness& runner, int32_t number, int32_t first = 0, int32_t second = 0) {
    bool exists = true, answer = true;
    EXPECT_EQ(runner.undo().startTaskList(kLabelMenu), kNoErr);
    EXPECT_EQ(runner.script().callInternalMessage(number, first, second, exists, answer), kNoErr);
    EXPECT_EQ(runner.undo().finishTaskList(), kNoErr);
    return std::string(exists ? "exists " : "absent ") + (answer ? "yes" : "no");
}

CRString text(const std::string& value) {
    return CRString(value, 153);
}

} // namespace

TEST(ScriptEndToEnd, NativesReportTheDocumentAsWorkedOutByHand) {
    const std::pair<const char*, const char*> groups[] = {
        {" message(label(tp) & \" \" & is-root-node(tp) & \" \" & how-many-daughters(tp) & \" \" & "
         "how-many-root-nodes) message(label(right-sister(dp)) & \" \" & "
         "label(left-sister(right-sister(dp))) & subtree-terminal-string(leftmost-daughter(advp)) "
         "& subtree-terminal-string(rightmost-daughter(advp)) & \" \" & label(mother(mother(v)))) "
         "message(dominate(tp, advp) & dominate(tp, tp) & non-reflexive-dominate(tp, tp) & "
         "immediately-dominate(tp, dp) & immediately-dominate(tp, t) & dominate(tp, cp)) "
         "message(c-command(dp, v) & c-command(v, dp) & m-command(v, advp) & m-command(v, dp) & "
         "precede(dp, advp) & precede(advp, dp) & precede(t, cp)) message(is-sister-of(dp, "
         "right-sister(dp)) & is-sister-of(dp, dp) & is-leftmost-sister(dp) & "
         "is-rightmost-sister(dp) & is-branching-node(tp) & "
         "is-branching-node(mother(called(\"N'\"))) & has-daughters(called(\"very\"))) "
         "message(label(head(tp)) & \" \" & label(head(vp)) & \" \" & label(spec(t)) & \" \" & "
         "label(complement(t)) & \" \" & label(bottom-max(t)) & \" \" & label(top-max(v))) "
         "message(is-head(t) & is-head(advp) & is-maximal-projection(dp) & "
         "is-maximal-projection(t) & is-spec-of(t, dp) & is-complement-of(vp, t) & "
         "belong-to-same-spine(t, tp) & belong-to-same-spine(v, tp) & same(tp, tp2) & same(tp, t)) "
         "message(label(next-node(tp)) & \" \" & label(next-node(called(\"dog\")))) message(\"[\" "
         "& subtree-terminal-string(tp) & \"][\" & terminal-string & \"]\") ",
         "msg: TP 1 2 2 | msg: T' DP very loudly V' | msg: 110100 | msg: 1010100 | msg: 1010100 | "
         "msg: T V DP VP TP VP | msg: 1010111010 | msg: DP T' | "
         "msg: [ the dog -s bark very loudly][  the dog -s bark very loudly  that it rains]"},
        {" message(label(dp) & \" \" & category(dp) & \" \" & projection(dp) & \" \" & "
         "get-subscript(dp) & \" \" & category(advp) & \" \" & category(called(\"dog\")) & \" \" & "
         "category(t) & projection(t) & \" \" & category(called(\"C'\")) & "
         "projection(called(\"C'\"))) set-node-category(advp, \"A\") set-node-projection(advp, 2) "
         "auto-node-label(advp) message(label(advp) & \" \" & category(advp) & \" \" & "
         "projection(advp) & \" \" & is-maximal-projection(advp)) set-node-label(t, \"Tns\") "
         "set-subscript(t, \"j\") message(label(t) & \"_\" & get-subscript(t) & \" \" & "
         "category(t)) let case(dp) = \"nom\" let num(t) = \"sg\" message(\"[\" & case(dp) & "
         "\"][\" & num(dp) & \"][\" & num(t) & \"]\") copy-features(dp, t) message(\"[\" & case(t) "
         "& \"][\" & num(t) & \"]\") message(new-index & new-index) message(get-color(cp) & \" \" "
         "& get-color(mother(v)) & \" \" & get-color(dp) & \" \" & translate-color(\"green\") & \" "
         "\" & has-style(t, 1) & has-style(t, 2) & has-style(t, 4) & \" \" & get-triangle(advp) & "
         "get-triangle(dp)) set-color(dp, 4) set-style(t, 4) set-triangle(dp, 1) "
         "message(get-color(dp) & \" \" & has-style(t, 1) & has-style(t, 4) & \" \" & "
         "get-triangle(dp)) clear-style(t) add-style(t, 2) message(has-style(t, 2) & has-style(t, "
         "4)) ",
         "msg: DP D 2 i None None T0 C1 | msg: AP A 2 1 | msg: Tns_j T | msg: [nom][][sg] | "
         "msg: [nom][] | msg: ij | msg: 8 4 1 7 110 10 | msg: 4 01 1 | msg: 10"}};
    for (const auto& [body, expected] : groups) {
        SCOPED_TRACE(body);
        ScriptHarness document(ScriptHarness::FromDocument{}, "xbar-document.rgt");
        EXPECT_EQ(document.exec(kPrelude + "define function check nodes " + body + "end define\n",
                                "check", ""),
                  std::string(" | ") + expected);
    }
}

TEST(ScriptHooks, OnlyHooksWithTheirOwnArgumentCountRunAndAnswer) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable seen, scissors define function is-landing-allowed(a, "
                             "b) let seen = a & \",\" & b return a > b end define define function "
                             "open let seen = \"opened\" end define define function close(n) "
                             "let seen = 1 end define "),
              kNoErr);
    EXPECT_EQ(runner.take(), "!Ramex cannot internally call the script function 'close', because "
                             "it has the wrong number of arguments.  The default action will be "
                             "used.");
    std::string registered;
    for (int32_t number = 1; number <= CScript::kHookCount; ++number)
        registered += runner.script().isHookRegistered(number)
                          ? std::string(CScript::hookName(number)) + " "
                          : "";
    EXPECT_EQ(registered, "open is-landing-allowed ");
    EXPECT_EQ(hook(runner, CScript::kHookIsLandingAllowed, 7, 3), "exists yes");
    EXPECT_EQ(runner.show("seen"), "seen=7,3");
    EXPECT_EQ(hook(runner, CScript::kHookIsLandingAllowed, 3, 7), "exists no");
    EXPECT_EQ(hook(runner, CScript::kHookOpen), "exists no");
    EXPECT_EQ(runner.show("seen"), "seen=opened");
    // An absent hook runs nothing, and the caller applies its default.
    EXPECT_EQ(hook(runner, CScript::kHookClose) + hook(runner, CScript::kHookScissors, 1),
              "absent noabsent no");
    EXPECT_EQ(runner.show("seen"), "seen=opened");
    bool exists = false, answer = false;
    EXPECT_EQ(runner.script().callInternalMessage(11, 0, 0, exists, answer), kErrInvalidParameter);
    EXPECT_EQ(runner.take(), "bug: CScript::callInternalMessage (invalid parameter)");
    EXPECT_EQ(CScript::hookNumber("scissors-down"), CScript::kHookScissorsDown);
    EXPECT_EQ(CScript::hookNumber("Scissors"), 0);
    // A failed compile forgets the hooks.
    ASSERT_EQ(runner.compile("define function open exit "), kErrScriptCompile);
    EXPECT_EQ(hook(runner, CScript::kHookOpen), "absent no");
    EXPECT_FALSE(runner.script().isHookRegistered(CScript::kHookOpen));

    // A script handling a tool's gestures shows the tool to a student, inside the set-up step
    // that Undo does not offer.
    const std::string script = "define function scissors-down(n) exit end define define function "
                               "magnifying-glass(n) exit end define ";
    ScriptHarness author, student;
    ASSERT_EQ(author.compile(script, false), kNoErr);
    ASSERT_EQ(student.compile(script), kNoErr);
    std::string tools;
    for (ScriptHarness* harness : {&author, &student}) {
        for (int32_t tool = 1; tool <= 4; ++tool) {
            bool visible = false;
            EXPECT_EQ(harness->middle().getToolVisibility(tool, visible), kNoErr);
            tools += visible ? "1" : "0";
        }
        tools += " ";
    }
    bool canUndo = true;
    ASSERT_EQ(student.undo().canUndo(canUndo), kNoErr);
    EXPECT_EQ(tools + (canUndo ? "undoable" : ""), "1001 1111 ");
}

// The requests that go to the platform, the menus and the tools rather than to "message"; the
// menus live in the record table and change undoably.
TEST(ScriptMenus, InterfaceNativesReachThePlatformAndChangeMenusAndToolsUndoably) {
    ScriptHarness runner;
    const int32_t root = runner.buildTree("R");
    ASSERT_EQ(runner.compile("define variable n define menu \"Checks\" \"Check\" \"Check It\" "
                             "divider \"twice\" \"First\" \"twice\" \"Second\" end define define "
                             "menu \"More\" \"more\" \"More\" end define define function ui "
                             "alert(\"careful\") pop-up(n, \"here\") message(n) beep wait(0) "
                             "check-menu-item(\"Check\") disable-menu-item(\"twice\") "
                             "set-menu-label(\"more\", \"Less\") hide-lexicon show-scissors end "
                             "define "),
              kNoErr);
    runner.setGlobal("n", root);
    CMiddleInterface& middle = runner.middle();
    // Every menu as "label: name/label ..." with "+" for a checked item and "-" for a disabled
    // one; then the lexicon and scissors tools when shown.
    const auto state = [&] {
        std::string out;
        for (int32_t menu = 1; menu <= middle.howManyMenus(); ++menu) {
            int32_t items = 0;
            std::string label;
            EXPECT_EQ(middle.howManyItemsInMenu(menu, items), kNoErr);
            EXPECT_EQ(middle.getMenuLabel(menu, label), kNoErr);
            out += label + ":";
            for (int32_t item = 1; item <= items; ++item) {
                std::string name;
                bool checked = false, enabled = false;
                EXPECT_EQ(middle.getMenuItemString(menu, item, false, name), kNoErr);
                EXPECT_EQ(middle.getMenuItemString(menu, item, true, label), kNoErr);
                EXPECT_EQ(middle.getMenuItemChecked(menu, item, checked), kNoErr);
                EXPECT_EQ(middle.getMenuItemEnabled(menu, item, enabled), kNoErr);
                out += " " + name + "/" + label + (checked ? "+" : "") + (enabled ? "" : "-");
            }
            out += "; ";
        }
        bool lexicon = false, scissors = false;
        EXPECT_EQ(middle.getToolVisibility(CMiddleInterface::kToolLexicon, lexicon), kNoErr);
        EXPECT_EQ(middle.getToolVisibility(CMiddleInterface::kToolScissors, scissors), kNoErr);
        return out + (lexicon ? "lexicon " : "") + (scissors ? "scissors" : "");
    };
    // A menu change asks for the menus to be rebuilt as it is made; a tool's change is a task
    // naming the tool and whether it is shown, each way.
    const auto tasks = [&] {
        std::string out;
        for (const auto& request : runner.ui.requestsOfKind(RecordingUserInterface::Kind::UndoTask))
            out += request.first == CMiddleInterface::kRebuildAuthorMenus
                       ? "menus "
                       : std::to_string(request.first) + ":" + std::to_string(request.second) + " ";
        return out + runner.take();
    };
    const std::string original =
        "Checks: Check/Check It / twice/First twice/Second; More: more/More; lexicon ";
    // Of two items with the same name, the first is changed.
    const std::string changed =
        "Checks: Check/Check It+ / twice/First- twice/Second; More: more/Less; scissors";
    EXPECT_EQ(state(), original);
    // The record of an item's function, and its cells in the record table.
    int32_t more = 0, twice = 0;
    ASSERT_EQ(middle.menuNameToIndex(text("more"), more), kNoErr);
    ASSERT_EQ(middle.menuNameToIndex(text("twice"), twice), kNoErr);
    const CTablet& table = middle.recordTable();
    EXPECT_EQ(std::to_string(more) + " " + std::to_string(twice) + " " +
                  std::to_string(table.cell(4, 1)) + std::to_string(table.cell(4, 2)) +
                  std::to_string(table.cell(3, 3)) + std::to_string(table.cell(3, 4)),
              "33 5 -1-110");
    ASSERT_EQ(runner.run("ui"), kNoErr);
    const std::string n = std::to_string(root);
    EXPECT_EQ(tasks(),
              "menus menus menus 4:0 2:1 !careful | beep | pop-up " + n + ": here | msg: " + n);
    EXPECT_EQ(state(), changed);
    ASSERT_EQ(runner.undo().undo(), kNoErr);
    EXPECT_EQ(state(), original);
    EXPECT_EQ(tasks(), "2:0 4:1 ");
    ASSERT_EQ(runner.undo().redo(), kNoErr);
    EXPECT_EQ(state(), changed);
    EXPECT_EQ(tasks(), "4:0 2:1 ");

    // Names compare exactly: "check" names no item; a tool's own value adds nothing.
    CUndoStructure& undo = runner.undo();
    ASSERT_EQ(undo.startTaskList(kLabelMenu), kNoErr);
    EXPECT_EQ(middle.checkMenuItem(undo, text("check"), false), kErrInvalidParameter);
    ASSERT_EQ(middle.setToolVisibility(undo, CMiddleInterface::kToolArrow, true), kNoErr);
    EXPECT_EQ(middle.setToolVisibility(undo, 5, true), kErrInvalidParameter);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    bool flag = false;
    std::string label;
    int32_t count = 0;
    EXPECT_EQ(middle.howManyItemsInMenu(3, count), kErrInvalidParameter);
    EXPECT_EQ(middle.getMenuItemString(2, 2, true, label), kErrInvalidParameter);
    EXPECT_EQ(middle.getMenuItemChecked(0, 1, flag), kErrInvalidParameter);
    EXPECT_EQ(tasks(), "bug: CMiddleInterface::checkMenuItem (invalid parameter) | bug: "
                       "CMiddleInterface::setToolVisibility (invalid parameter) | bug: "
                       "CMiddleInterface::howManyItemsInMenu (invalid parameter) | bug: "
                       "CMiddleInterface::getMenuItemString (invalid parameter) | bug: "
                       "CMiddleInterface::getMenuItemChecked (invalid parameter)");
    EXPECT_EQ(state(), changed);
}

TEST(ScriptMenus, AnUnknownModifierAndRequestsWithoutAnApplicationGetNoAnswer) {
    ScriptHarness runner;
    CMiddleInterface& middle = runner.middle();
    runner.platform.recorder.modifiers = kModifierShift | kModifierControl | kModifierAlt;
    EXPECT_FALSE(middle.queryModifierKey(4));
    EXPECT_EQ(runner.take(), "bug: CMiddleInterface::queryModifierKey (invalid parameter)");
    // Without an application the requests go nowhere and questions get empty answers.
    middle.installCRamexApp(nullptr);
    runner.platform.recorder.askAnswers.push_back(std::string("unused"));
    CRString answer(153);
    ASSERT_EQ(middle.ask(text("Alone?"), answer), kNoErr);
    ASSERT_EQ(middle.message(text("hello")), kNoErr);
    EXPECT_EQ(answer.str() + runner.take(), "");
}
