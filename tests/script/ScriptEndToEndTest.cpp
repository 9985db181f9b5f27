// Whole scripts compiled in student mode and run as menu commands and hooks on a document read
// from tests/data, the way the main window runs them; the answers are worked out by hand from
// the document's trees.

#include "ScriptSupport.h"
#include "model/TreeAttributes.h"
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
    "define variable tp, dp, t, vp, v, advp, cp, tp2, after, g, n, m, answer\n"
    "define function called(wanted)\n"
    " define variable n, found\n"
    " let found = 0\n"
    " for every node n\n"
    "  if found = 0 and label(n) eq wanted then\n"
    "   let found = n\n"
    "  end if\n"
    " end for\n"
    " return found\n"
    "end define\n"
    "define function nodes\n"
    " let dp = called(\"DP\")\n let tp = mother(dp)\n"
    " let t = called(\"T\")\n let vp = called(\"VP\")\n"
    " let v = called(\"V\")\n let advp = called(\"AdvP\")\n"
    " let cp = called(\"CP\")\n let tp2 = mother(called(\"it rains\"))\n"
    "end define\n";

struct DocumentScript : ScriptHarness {
    DocumentScript() : ScriptHarness(FromDocument{}, "xbar-document.rgt") {}
};

using Messages = std::vector<std::string>;

struct RNativeGroupCase {
    const char* name;
    const char* body; // the body of the menu command "check", after "nodes"
    Messages expected;
};

const RNativeGroupCase kNativeGroups[] = {
    {"NodeRelations",
     " message(label(tp) & \" \" & is-root-node(tp) & \" \" & how-many-daughters(tp) & "
     "\" \" & how-many-root-nodes)\n"
     " message(label(right-sister(dp)) & \" \" & label(left-sister(right-sister(dp))) & "
     "subtree-terminal-string(leftmost-daughter(advp)) & "
     "subtree-terminal-string(rightmost-daughter(advp)) & \" \" & "
     "label(mother(mother(v))))\n"
     " message(dominate(tp, advp) & dominate(tp, tp) & non-reflexive-dominate(tp, tp) & "
     "immediately-dominate(tp, dp) & immediately-dominate(tp, t) & dominate(tp, cp))\n"
     " message(c-command(dp, v) & c-command(v, dp) & m-command(v, advp) & "
     "m-command(v, dp) & precede(dp, advp) & precede(advp, dp) & precede(t, cp))\n"
     " message(is-sister-of(dp, right-sister(dp)) & is-sister-of(dp, dp) & "
     "is-leftmost-sister(dp) & is-rightmost-sister(dp) & is-branching-node(tp) & "
     "is-branching-node(mother(called(\"N'\"))) & has-daughters(called(\"very\")))\n"
     " message(label(head(tp)) & \" \" & label(head(vp)) & \" \" & label(spec(t)) & "
     "\" \" & label(complement(t)) & \" \" & label(bottom-max(t)) & \" \" & "
     "label(top-max(v)))\n"
     " message(is-head(t) & is-head(advp) & is-maximal-projection(dp) & "
     "is-maximal-projection(t) & is-spec-of(t, dp) & is-complement-of(vp, t) & "
     "belong-to-same-spine(t, tp) & belong-to-same-spine(v, tp) & same(tp, tp2) & "
     "same(tp, t))\n"
     " message(label(next-node(tp)) & \" \" & label(next-node(called(\"dog\"))))\n"
     " message(\"[\" & subtree-terminal-string(tp) & \"][\" & terminal-string & \"]\")\n",
     {"TP 1 2 2", "T' DP very loudly V'", "110100", "1010100", "1010100", "T V DP VP TP VP",
      "1010111010", "DP T'",
      "[ the dog -s bark very loudly][  the dog -s bark very loudly  that it rains]"}},
    {"TreeBuilding",
     " let n = create-daughter-to-right(tp2)\n set-node-label(n, \"now\")\n"
     " let m = create-daughter-to-left(cp)\n set-node-label(m, \"so\")\n"
     " message(subtree-terminal-string(cp) & \"|\" & how-many-daughters(cp))\n"
     " detach(advp)\n"
     " message(how-many-root-nodes & \" \" & is-root-node(advp) & \"|\" & "
     "subtree-terminal-string(tp))\n"
     " attach-daughter-to-left(advp, tp2)\n"
     " message(how-many-root-nodes & \" \" & label(mother(advp)) & \"|\" & "
     "subtree-terminal-string(cp))\n"
     " kill-node(m)\n"
     " message(subtree-terminal-string(cp) & \"|\" & how-many-daughters(cp))\n"
     // The C's word dies; the TP's three daughters move under C, leaving TP a leaf.
     " move-daughters(tp2, called(\"C\"))\n"
     " message(subtree-terminal-string(cp) & \"|\" & has-daughters(tp2) & "
     "how-many-daughters(called(\"C\")))\n",
     {" so that it rains now|2", "3 1| the dog -s bark", "2 TP| so that very loudly it rains now",
      " that very loudly it rains now|1", " very loudly it rains now TP|03"}},
    {"LabelsCategoriesAndFeatures",
     " message(label(dp) & \" \" & category(dp) & \" \" & projection(dp) & \" \" & "
     "get-subscript(dp) & \" \" & category(advp) & \" \" & category(called(\"dog\")) & "
     "\" \" & category(t) & projection(t) & \" \" & category(called(\"C'\")) & "
     "projection(called(\"C'\")))\n"
     " set-node-category(advp, \"A\")\n set-node-projection(advp, 2)\n"
     " auto-node-label(advp)\n"
     " message(label(advp) & \" \" & category(advp) & \" \" & projection(advp) & \" \" & "
     "is-maximal-projection(advp))\n"
     " set-node-label(t, \"Tns\")\n set-subscript(t, \"j\")\n"
     " message(label(t) & \"_\" & get-subscript(t) & \" \" & category(t))\n"
     " let case(dp) = \"nom\"\n let num(t) = \"sg\"\n"
     " message(\"[\" & case(dp) & \"][\" & num(dp) & \"][\" & num(t) & \"]\")\n"
     " copy-features(dp, t)\n"
     " message(\"[\" & case(t) & \"][\" & num(t) & \"]\")\n"
     " message(new-index & new-index)\n"
     " message(get-color(cp) & \" \" & get-color(mother(v)) & \" \" & get-color(dp) & \" \" "
     "& "
     "translate-color(\"green\") & \" \" & has-style(t, 1) & has-style(t, 2) & "
     "has-style(t, 4) & \" \" & get-triangle(advp) & get-triangle(dp))\n"
     " set-color(dp, 4)\n set-style(t, 4)\n set-triangle(dp, 1)\n"
     " message(get-color(dp) & \" \" & has-style(t, 1) & has-style(t, 4) & \" \" & "
     "get-triangle(dp))\n"
     " clear-style(t)\n add-style(t, 2)\n"
     " message(has-style(t, 2) & has-style(t, 4))\n",
     {"DP D 2 i None None T0 C1", "AP A 2 1", "Tns_j T", "[nom][][sg]", "[nom][]", "ij",
      "8 4 1 7 110 10", "4 01 1", "10"}},
    {"Texts",
     " message(length(\"it rains\") & \" \" & substring(\"it rains\", 3, 5) & \" [\" & "
     "substring(\"it rains\", 20, 2) & \"] \" & contain(\"it rains\", \"rain\") & "
     "contain(\"it rains\", \"Rain\"))\n"
     " message(length(subtree-terminal-string(cp)) & \" \" & "
     "substring(label(called(\"it rains\")), 0, 2) & \" \" & length(\"n\xC3\xA9\x65\") & "
     "\" \" & substring(\"n\xC3\xA9\x65\", 1, 1) & \" \" & length(\"\"))\n"
     " message(contain(subtree-terminal-string(tp), \"dog -s\") & "
     "contain(label(tp), \"\"))\n",
     {"8 rains [] 10", "14 it 3 \xC3\xA9 0", "11"}},
    {"UserInterface",
     " let answer = ask(\"Name?\")\n message(\"answer \" & answer)\n"
     " message(\"again [\" & ask(\"Again?\") & \"]\")\n"
     " alert(\"careful\")\n"
     " pop-up(cp, \"here\")\n"
     " message(shift-key & second-modifier & third-modifier)\n"
     " beep\n"
     " message(selection & \" \" & message(\"inner\"))\n",
     {"answer Kim", "again []", "101", "inner", "0 1"}}};

TEST(ScriptEndToEnd, NativesReportTheDocumentAsWorkedOutByHand) {
    for (const RNativeGroupCase& group : kNativeGroups) {

        SCOPED_TRACE(group.name);
        DocumentScript document;
        ASSERT_EQ(document.compile(kPrelude + "define function check\n nodes\n" + group.body +
                                   "end define\n"),
                  kNoErr);
        document.platform.recorder.askAnswers.push_back(std::string("Kim"));
        document.platform.recorder.modifiers = kModifierShift | kModifierAlt;
        ASSERT_EQ(document.run("check"), kNoErr);
        EXPECT_EQ(document.takeMessages(), group.expected);
        EXPECT_TRUE(document.boxes("Run Time Error").empty());
        EXPECT_TRUE(document.platform.recorder.bugReports().empty());
    }
}

// The requests that go to the platform, the menus and the tools rather than to "message".
TEST(ScriptEndToEnd, UserInterfaceNativesReachThePlatformMenusAndTools) {
    DocumentScript document;
    ASSERT_EQ(document.compile(kPrelude + "define menu \"Tools\"\n\"ui\" \"Run\"\n"
                                          "\"other\" \"Other\"\nend define\n"
                                          "define function ui\n nodes\n alert(\"careful\")\n"
                                          " pop-up(cp, \"here\")\n message(cp)\n beep\n wait(0)\n"
                                          " check-menu-item(\"other\")\n"
                                          " disable-menu-item(\"other\")\n"
                                          " set-menu-label(\"other\", \"Renamed\")\n"
                                          " hide-lexicon\n show-scissors\n"
                                          "end define\n"
                                          "define function other\n exit\nend define\n"),
              kNoErr);
    ASSERT_EQ(document.run("ui"), kNoErr);
    EXPECT_EQ(document.boxes(""), Messages{"careful"});
    EXPECT_EQ(document.platform.recorder.callsOfKind(RecordingPlatform::Kind::Beep).size(), 1u);
    EXPECT_TRUE(document.platform.recorder.callsOfKind(RecordingPlatform::Kind::Pause).empty());
    const auto popUps = document.ui.requestsOfKind(RecordingUserInterface::Kind::PopUp);
    const Messages shown = document.takeMessages();
    ASSERT_EQ(popUps.size(), 1u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(popUps[0].text, "here");
    EXPECT_EQ(std::to_string(popUps[0].first), shown[0]);

    CMiddleInterface& middle = document.script().middleInterface();
    auto state = [&] {
        const CMiddleInterface::RMenu* menu = middle.menu(1);
        bool lexicon = false;
        bool scissors = false;
        EXPECT_EQ(middle.getToolVisibility(CMiddleInterface::kToolLexicon, lexicon), kNoErr);
        EXPECT_EQ(middle.getToolVisibility(CMiddleInterface::kToolScissors, scissors), kNoErr);
        const CMiddleInterface::RMenuItem& item = menu->items.at(1);
        return item.label + (item.checked ? " checked" : "") + (item.enabled ? " enabled" : "") +
               (lexicon ? " lexicon" : "") + (scissors ? " scissors" : "");
    };
    EXPECT_EQ(state(), "Renamed checked scissors");
    ASSERT_EQ(document.undo().undo(), kNoErr);
    EXPECT_EQ(state(), "Other enabled lexicon");
    ASSERT_EQ(document.undo().redo(), kNoErr);
    EXPECT_EQ(state(), "Renamed checked scissors");
}

// --- Run-time errors ---

struct RRunTimeErrorCase {
    int32_t code;
    const char* body;       // statements of the menu command "raise", after "nodes"
    const char* userFunc;   // the user function the report names
    const char* nativeFunc; // the native function the report names
};

const RRunTimeErrorCase kRunTimeErrors[] = {
    {1, " let g = mother(0)\n", "raise", "mother"},
    {2, " set-style(dp, 3)\n", "raise", "set-style"},
    {3, " set-color(dp, 12)\n", "raise", "set-color"},
    {4, " set-node-category(dp, \"Q\")\n", "raise", "set-node-category"},
    {5, " set-node-projection(dp, 3)\n", "raise", "set-node-projection"},
    {6, " set-node-label(dp, \"S/NP/NP\")\n can-apply(dp, t)\n", "raise", "can-apply"},
    {7, " while true\n  let g = g + 1\n end while\n", "raise", ""},
    {8, " rec\n", "rec", ""},
    {9, " substitute(t, dp)\n", "raise", "substitute"},
    {10, "", "", ""}};

TEST(ScriptEndToEnd, RunTimeErrorsAreShownOnlyWhileDebuggingAndTheScriptGoesOn) {
    for (const RRunTimeErrorCase& error : kRunTimeErrors) {
        const std::string text =
            kPrelude +
            "define function rec\n return rec\nend define\n"
            "define function raise\n nodes\n" +
            error.body +
            " let after = after + 1\nend define\n"
            "define function report\n message(\"after \" & after)\nend define\n";
        const bool noMenuFunction = error.code == CMiddleInterface::kRunTimeNoMenuFunction;
        for (const bool debugging : {false, true}) {
            SCOPED_TRACE(std::string(debugging ? "debug " : "quiet ") + error.body);
            DocumentScript document;
            ASSERT_EQ(document.compile(debugging ? text + "debug\n" : text), kNoErr);
            ASSERT_EQ(document.run(noMenuFunction ? "raise-it" : "raise"), kNoErr);
            if (!noMenuFunction) {
                // The statement after the failing one has run.
                ASSERT_EQ(document.run("report"), kNoErr);
            }
            const Messages errors = document.boxes("Run Time Error");
            if (debugging) {
                const std::string expected = CMiddleInterface::composeRunTimeErrorMessage(
                    error.code, error.userFunc, error.nativeFunc);
                ASSERT_EQ(errors, Messages{expected});
                // The composed text, spelled out for one case in full.
                if (error.code == CMiddleInterface::kRunTimeInvalidColor) {
                    EXPECT_EQ(expected, "A run time error occurred in the user function \"raise\" "
                                        "while calling native function \"set-color\".\r\nError "
                                        "Message: Invalid color");
                }
                EXPECT_NE(expected.find(CMiddleInterface::runTimeErrorText(error.code)),
                          std::string::npos);
            } else {
                EXPECT_TRUE(document.platform.recorder.calls().empty());
            }
            EXPECT_TRUE(document.platform.recorder.bugReports().empty());
            EXPECT_EQ(document.takeMessages(), noMenuFunction ? Messages{} : Messages{"after 1"});
        }
    }
}

// --- Undo and hooks ---

const std::string kReport = "define function report\n nodes\n"
                            " message(\"g=\" & g & \"|\" & subtree-terminal-string(cp) & \"|\" & "
                            "get-color(cp) & \"|\" & case(dp))\nend define\n";

TEST(ScriptEndToEnd, UndoOfAMenuCommandRestoresTheDocumentAndTheGlobals) {
    DocumentScript document;
    ASSERT_EQ(
        document.compile(kPrelude + kReport +
                         "define function setup\n let g = \"before\"\nend define\n"
                         "define function change\n nodes\n let g = \"after\"\n"
                         " let case(dp) = \"nom\"\n set-color(cp, 4)\n"
                         " let n = create-daughter-to-right(tp2)\n set-node-label(n, \"now\")\n"
                         " detach(advp)\n kill-node(called(\"very\"))\n"
                         " set-node-category(advp, \"A\")\n auto-node-label(advp)\n"
                         " set-subscript(dp, new-index)\n set-style(t, 4)\n"
                         " move-daughters(called(\"D'\"), called(\"C\"))\n"
                         " attach-daughter-to-right(advp, tp)\nend define\n"),
        kNoErr);
    ASSERT_EQ(document.run("setup"), kNoErr);
    ASSERT_EQ(document.run("report"), kNoErr);
    const Messages original{"g=before| that it rains|8|"};
    ASSERT_EQ(document.takeMessages(), original);
    const DatabaseState before = captureState(document.tree);

    ASSERT_EQ(document.run("change"), kNoErr);
    const DatabaseState changed = captureState(document.tree);
    EXPECT_FALSE(sameStateAllowingGrowth(before, changed));
    ASSERT_EQ(document.undo().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(document.tree)));
    EXPECT_TRUE(stringsAreConsistent(document.tree));
    // Redo brings the change back exactly.
    ASSERT_EQ(document.undo().redo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(changed, captureState(document.tree)));
    ASSERT_EQ(document.run("report"), kNoErr);
    EXPECT_EQ(document.takeMessages(), Messages{"g=after| the dog it rains now|4|nom"});

    // Undoing the report and the change, a command reads the globals as they were.
    ASSERT_EQ(document.undo().undo(), kNoErr);
    ASSERT_EQ(document.undo().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(document.tree)));
    ASSERT_EQ(document.run("report"), kNoErr);
    EXPECT_EQ(document.takeMessages(), original);
    EXPECT_TRUE(document.platform.recorder.bugReports().empty());
}

TEST(ScriptEndToEnd, AHookTheScriptDoesNotDefineDoesNotExistAndChangesNothing) {
    DocumentScript document;
    ASSERT_EQ(document.compile(kPrelude + kReport +
                               "define function open\n nodes\n let g = \"opened\"\n"
                               " set-color(cp, 4)\nend define\n"),
              kNoErr);
    document.ui.clear();
    document.platform.recorder.clear();
    const DatabaseState before = captureState(document.tree);
    ASSERT_EQ(document.undo().startTaskList(kLabelMenu), kNoErr);
    for (int32_t hook = CScript::kHookClose; hook <= CScript::kHookCount; ++hook) {
        SCOPED_TRACE(hook);
        EXPECT_FALSE(document.script().isHookRegistered(hook));
        bool exists = true;
        bool answer = true;
        ASSERT_EQ(document.script().callInternalMessage(hook, 3, 4, exists, answer), kNoErr);
        EXPECT_FALSE(exists);
        EXPECT_FALSE(answer);
    }
    ASSERT_EQ(document.undo().finishTaskList(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(document.tree)));
    EXPECT_TRUE(document.ui.requests().empty());
    EXPECT_TRUE(document.platform.recorder.calls().empty());
    ASSERT_EQ(document.run("report"), kNoErr);
    EXPECT_EQ(document.takeMessages(), Messages{"g=| that it rains|8|"});

    // The one hook it defines does exist, and runs.
    bool exists = false;
    bool answer = false;
    ASSERT_EQ(document.undo().startTaskList(kLabelMenu), kNoErr);
    ASSERT_EQ(document.script().callInternalMessage(CScript::kHookOpen, 0, 0, exists, answer),
              kNoErr);
    ASSERT_EQ(document.undo().finishTaskList(), kNoErr);
    EXPECT_TRUE(exists);
    ASSERT_EQ(document.run("report"), kNoErr);
    EXPECT_EQ(document.takeMessages(), Messages{"g=opened| that it rains|4|"});
}

} // namespace
