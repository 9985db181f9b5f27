#include "ScriptSupport.h"

#include "model/TreeAttributes.h"
#include "script/CStackFrame.h"
#include "script/NativeFunctionTable.h"

#include <algorithm>

namespace {

constexpr const char* kShape = "S(NP(D N) VP(V O(D2 N2)))";
constexpr const char* kInvalidNode = "E /%: Invalid node argument | ";
constexpr const char* kAlert =
    "trace: Debugging alert: an invalid node was passed to native function %\n";

// The text with every % replaced by the name.
std::string named(std::string text, const std::string& name) {
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at))
        text.replace(at, 1, name);
    return text;
}

// Natives run on a grammar with the standard categories; the script's trace is kept.
class Natives : public ::testing::Test, public ScriptHarness {
protected:
    Natives() : ScriptHarness({}, true) { script().setTraceOutput(&trace); }
    // Runs "native a, b": an argument that labels a node stands for the node and 'text for
    // the text. Gives the result ("-" for none; a node result as its label, a new node as +1,
    // +2, ...), " err" if the call failed, then what take() gives after " | ". A call marked
    // "?" is only run; "=" must leave the state as it was; any other is an undo step checked
    // both ways, followed by "; " and every tree of the root list when the trees changed.
    std::string step(std::string words) {
        const char mark = words[0] == '?' || words[0] == '=' ? words[0] : ' ';
        words = mark == ' ' ? words : words.substr(1);
        std::istringstream in(words);
        std::string name;
        std::vector<std::string> args;
        in >> name;
        for (std::string word; std::getline(in >> std::ws, word, ',');)
            args.push_back(word[0] == '\''     ? word.substr(1)
                           : nodes.count(word) ? std::to_string(node(word))
                                               : word);
        SCOPED_TRACE(words);
        const DatabaseState before = captureState(tree);
        const CRString result = call(name, args, mark == ' ');
        EXPECT_TRUE(mark != '=' || sameStateAllowingGrowth(before, captureState(tree)));
        std::string out = result.hasValue() ? result.str() : "-";
        if (nativeFunction(nativeNumber(name))->result == RNativeResult::Node &&
            result.getNumericValue()) {
            out.clear();
            for (const auto& [label, record] : nodes)
                out = record == result.getNumericValue() ? label : out;
            if (out.empty())
                nodes[out = "+" + std::to_string(++made)] = result.getNumericValue();
        }
        out += lastErr ? " err" : "";
        const std::string reports = take();
        out += reports.empty() ? "" : " | " + reports;
        const std::string trees = describeRootList(tree);
        if (mark == ' ' && trees != shown)
            out += "; " + trees;
        shown = trees;
        return out;
    }
    // Each row is "call -> expected step(call)".
    void steps(const std::vector<std::string>& rows) {
        shown = describeRootList(tree);
        for (const std::string& row : rows) {
            const std::size_t arrow = row.find(" -> ");
            EXPECT_EQ(step(row.substr(0, arrow)), row.substr(arrow + 4)) << row;
        }
    }
    int made = 0;
    std::string shown;
};

} // namespace

TEST_F(Natives, NewNodesAreTheResultAndDetachingMakesANewTree) {
    build(kShape);
    steps({"create-daughter-to-left NP -> +1; S(NP( D N) VP(V O(D2 N2)))",
           "create-daughter-to-right NP -> +2; S(NP( D N ) VP(V O(D2 N2)))",
           "?how-many-daughters NP -> 4", "detach NP -> 1; NP( D N ) | S(VP(V O(D2 N2)))",
           // A root stays as it is.
           "=detach S -> 1", "detach-clone VP -> +3; VP(V O(D2 N2)) | NP( D N ) | S(VP)",
           "clone-for-adjunction D -> +4; VP(V O(D2 N2)) | NP( D(D) N ) | S(VP)", "?mother D -> +4",
           "?mother +4 -> NP"});
    build("R(F)");
    steps({"kill-node +3 -> -; R(F) | NP( D(D) N ) | S(VP)", "kill-node NP -> -; R(F) | S(VP)"});
}

TEST_F(Natives, AttachingMovingCopyingAndSubstitutingRebuildTrees) {
    build(kShape);
    build("R(F G)");
    build("R2");
    steps({"attach-daughter-to-left R2, NP -> 1; R(F G) | S(NP(R2 D N) VP(V O(D2 N2)))",
           // A cycle is refused: a failed operation is not a success.
           "=attach-daughter-to-left S, N -> 0 err | bug: CTree::attachDaughterToLeft (invalid "
           "parameter)",
           "kill-node R2 -> -; R(F G) | S(NP(D N) VP(V O(D2 N2)))",
           "move-daughters NP, O -> 1; R(F G) | S(NP VP(V O(D N)))",
           "copy-subtree R, NP -> 1; R(F G) | S(R(F G) VP(V O(D N)))",
           "substitute R, V -> 1; S(R(F G) VP(R(F G) O(D N)))"});
    build("R3");
    steps({"attach-daughter-to-right R3, O -> 1; S(R(F G) VP(R(F G) O(D N R3)))",
           "=substitute D, O -> 0"});
    middle().turnOnRunTimeDebugging();
    steps({"=substitute D, O -> 0 | E /substitute: Not a root node"});
}

TEST_F(Natives, TagAdjoinAndCategorialCombinationWorkOnlyWherePossible) {
    build(kShape);
    const int32_t auxiliary = build("A(B A2)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setFootNode(auxiliary, node("A2")); }),
              kNoErr);
    build("R(F)");
    steps({"?can-tag-adjoin R, NP -> 0", "=tag-adjoin R, NP -> 0", "?can-tag-adjoin A, NP -> 1",
           "?foot A -> A2", "?is-foot A2 -> 1", "?is-foot B -> 0",
           "tag-adjoin A, NP -> 1; R(F) | S(A(B NP(D N)) VP(V O(D2 N2)))", "kill-node S -> -; R(F)",
           "kill-node R -> -; "});
    nodes.clear(); // the killed nodes' numbers are free again
    for (const char* shape : {"S/NP", "NP", "NP/N", "A", "X/Y", "Y/Z"})
        build(shape);
    // With "/" the argument stands on the functor's left.
    steps({"?can-apply S/NP, NP -> 1", "?can-apply A, NP -> 0", "?can-compose S/NP, NP/N -> 1",
           "?can-compose A, NP -> 0", "apply S/NP, NP -> +1; S(NP S/NP) | Y/Z | X/Y | A | NP/N",
           "compose X/Y, Y/Z -> +2; X/Z(X/Y Y/Z) | S(NP S/NP) | A | NP/N", "=compose NP/N, A -> 0",
           "=apply A, NP/N -> 0"});
    middle().turnOnRunTimeDebugging();
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] { return tree.setNodeLabel(node("A"), CRString("S)/NP", 1)); }),
              kNoErr);
    steps({"?can-apply A, NP/N -> - | E /can-apply: Invalid category label",
           "?can-compose A, NP/N -> - | E /can-compose: Invalid category label"});
}

TEST_F(Natives, NodePropertiesFeaturesAndMarksAreSetWithTheirChecks) {
    build(kShape);
    int32_t feature = 0, slot = 0;
    const CRString one("1", 1), two("2", 1);
    ASSERT_EQ(inStep(tree, kLabelNewFeature,
                     [&] {
                         RErr err = tree.newName(kRecordFeature, feature);
                         err = err ? err : tree.setMainString(feature, CRString("num", 1));
                         err = err ? err : tree.convertToAttributeIndex(feature, slot);
                         err = err ? err : tree.attributeAssignment(node("NP"), slot, &one);
                         return err ? err : tree.attributeAssignment(node("O"), slot, &two);
                     }),
              kNoErr);
    const auto values = [&] {
        std::string out;
        for (const char* label : {"NP", "V", "O"})
            out += cellText(tree, node(label), slot);
        for (const char* label : {"D", "N", "V"}) {
            int32_t value = 0;
            EXPECT_EQ(tree.getOffendingNodeValue(node(label), value), kNoErr);
            out += value ? label : "";
        }
        return out;
    };
    steps({"?can-unify NP, O -> 0", "?can-unify NP, V -> 1", "unify NP, V -> 1"});
    EXPECT_EQ(values(), "112");
    steps({"unify NP, O -> 1"});
    EXPECT_EQ(values(), "112");
    steps({"copy-features NP, O -> 1", "set-offending-node D -> 1", "set-offending-node N -> 1"});
    EXPECT_EQ(values(), "111DN");
    steps({"set-single-offending-node V -> 1"});
    EXPECT_EQ(values(), "111V");
    steps({"turn-off-offending-nodes -> 1", "new-index -> i", "?new-index -> j"});
    EXPECT_EQ(values(), "111");
    ASSERT_EQ(undo().undo(), kNoErr);
    middle().turnOnRunTimeDebugging();
    const std::string style = " | E /%: Invalid text style";
    steps({"?new-index -> j", "set-node-label NP, 'DP -> 1; S(DP(D N) VP(V O(D2 N2)))",
           "set-node-category NP, 'N -> -", "?category NP -> N", "set-node-projection NP, 2 -> 1",
           "?projection NP -> 2", "auto-node-label NP -> 1; S(NP(D N) VP(V O(D2 N2)))",
           "?set-node-projection NP, -1 -> 1", "?projection NP -> -1",
           "=set-node-category NP, 'n -> 0 | E /set-node-category: Invalid category",
           "=set-node-projection NP, 3 -> 0 | E /set-node-projection: Invalid projection",
           "=set-node-projection NP, -2 -> 0 | E /set-node-projection: Invalid projection",
           "?set-node-category NP, 'NONE -> -", "?category NP -> None", "?get-subscript NP -> ",
           "set-subscript NP, 'i -> 1", "?get-subscript NP -> i", "set-color NP, 4 -> 1"});
    steps({"?get-color NP -> 4", "?set-color NP, 11 -> 1", "?get-color NP -> 11",
           "=set-color NP, 12 -> 0 | E /set-color: Invalid color",
           "=set-color NP, 0 -> 0 | E /set-color: Invalid color", "add-style NP, 1 -> 1",
           "add-style NP, 2 -> 1", "?has-style NP, 1 -> 1", "?has-style NP, 2 -> 1",
           "?has-style NP, 4 -> 0", "set-style NP, 4 -> 1", "?has-style NP, 1 -> 0",
           "?add-style NP, 0 -> 1", "?has-style NP, 4 -> 0", "?add-style NP, 2 -> 1",
           "clear-style NP -> -", "?has-style NP, 2 -> 0",
           // A bad style changes nothing, though add-style still answers 1.
           "=add-style NP, 3 -> 1" + named(style, "add-style")});
    steps({"=set-style NP, 3 -> 0" + named(style, "set-style"),
           "=set-style NP, 0 -> 0" + named(style, "set-style"), "=has-style NP, 3 -> 0",
           "?get-triangle NP -> 0", "set-triangle NP, 7 -> -", "?get-triangle NP -> 1",
           "set-triangle NP, 0 -> -", "?get-triangle NP -> 0"});
    EXPECT_EQ(tree.tagColorsMode, 0);
    steps({"?tag-colors -> 1"});
    EXPECT_EQ(tree.tagColorsMode, 1);
}

TEST_F(Natives, QueriesAnswerWithNodesTextsAndNumbersInArgumentOrder) {
    platform.recorder.askAnswers.push_back(std::string("the dog"));
    platform.recorder.askAnswers.push_back(std::nullopt);
    steps({"?how-many-root-nodes -> 0", "?selection -> 0", "?terminal-string -> ",
           "?length 'abcdef -> 6", "?length ' -> 0", "?length '\xc3\xa9t\xc3\xa9 -> 3",
           "?contain 'the dog, 'dog -> 1", "?contain 'the dog, 'Dog -> 0",
           "?contain 'the dog, ' -> 1", "?contain ', ' -> 1", "?substring 'abcdef, 0, 3 -> abc",
           "?substring 'abcdef, 6, 2 -> ", "?substring 'abcdef, 4, 10 -> ef",
           "?substring 'abcdef, 2, 0 -> ", "?substring ', 0, 2 -> ",
           "?substring '\xc3\xa9t\xc3\xa9, 1, 2 -> t\xc3\xa9", "?translate-color 'black -> 1",
           "?translate-color 'RED -> 4"});
    steps({"?translate-color 'MAGENTA -> 11", "?translate-color 'pink -> 1",
           // A pause is bounded: an hour's would freeze the program.
           "?wait 250 -> - | pause 250", "?wait 0 -> -", "?wait -40 -> -",
           "?wait 3600000 -> - | pause 10000",
           "?ask 'Which phrase? -> the dog | ask: Which phrase?", "?ask 'Again? ->  | ask: Again?",
           // Candidate copies the value search upward is testing, which a compile sets to 0.
           "?candidate -> -"});
    ASSERT_EQ(script().parseScript(false), kNoErr);
    take();
    ASSERT_EQ(tree.setSelectedValue(build(kShape), 1), kNoErr);
    build("T(a b)");
    // The relations are worked out on a document in ScriptEndToEndTest; here the answers
    // where there is no such node, and an argument that is no node.
    steps({"?candidate -> 0", "?mother S -> 0", "?left-sister NP -> 0", "?right-sister VP -> 0",
           "?leftmost-daughter N -> 0", "?rightmost-daughter D -> 0", "?next-node N2 -> 0",
           "?how-many-daughters D -> 0", "?dominate N, N -> 1", "?non-reflexive-dominate N, N -> 0",
           "?immediately-dominate S, N -> 0", "?precede V, D -> 0", "?is-main-terminal-node N -> 0",
           "?subtree-terminal-string VP ->  V D2 N2", "?how-many-root-nodes -> 2",
           "?selection -> S", "?category NP -> None", "?category 0 -> 0",
           // Any other number that is not a node is the database's to report.
           "?category 100000 -> 0 err | bug: CTree::getCategory (invalid parameter)"});
    std::unique_ptr<CRString> expected;
    ASSERT_EQ(tree.terminalString(expected), kNoErr);
    EXPECT_EQ(step("?terminal-string"), expected->str());
    EXPECT_NE(expected->str().find(" a b"), std::string::npos);
    // Each modifier is read on its own, both on and off.
    const std::pair<int32_t, const char*> keys[] = {{kModifierShift | kModifierAlt, "101"},
                                                    {kModifierControl, "010"}};
    for (const auto& [modifiers, answers] : keys) {
        platform.recorder.modifiers = modifiers;
        EXPECT_EQ(step("?shift-key") + step("?second-modifier") + step("?third-modifier"), answers);
    }
}

TEST_F(Natives, TheDispatcherRunsEveryNumberOfTheTableAndOnlyThose) {
    constexpr const char* kNoSuchNative =
        "bug: Internal error: no such native function (CScript::performNativeFunction)";
    for (const int32_t number : {0, -1, kNativeFunctionCount + 1}) {
        CStackFrame frame(1);
        EXPECT_NE(script().performNativeFunction(number, frame), kNoErr) << number;
        const CRString* result = nullptr;
        ASSERT_EQ(frame.getField(0, result), kNoErr);
        EXPECT_FALSE(result->hasValue());
        EXPECT_EQ(take(), kNoSuchNative) << number;
    }
    build("S(NP VP)");
    middle().turnOnRunTimeDebugging();
    // Every native runs on zeros; those without arguments show their result kind: an action
    // answers 1, a native without a result leaves its slot empty, any other answers.
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RNativeFunction& native = *nativeFunction(number);
        take();
        const CRString result =
            call(native.name, std::vector<std::string>(std::size_t(native.argumentCount), "0"));
        EXPECT_EQ(take().find(kNoSuchNative), std::string::npos) << native.name;
        EXPECT_TRUE(script().executingNativeFunction().empty()) << native.name;
        if (native.argumentCount == 0 && native.result == RNativeResult::Action) {
            EXPECT_EQ(result.str(), "1") << native.name;
        } else if (native.argumentCount == 0 && native.result != RNativeResult::Value) {
            EXPECT_EQ(result.hasValue(), native.result != RNativeResult::None) << native.name;
        }
    }
    // Outside a native the report names none.
    script().reportRunTimeError(CMiddleInterface::kRunTimeInvalidColor);
    EXPECT_EQ(take(), "E /: Invalid color");
}

TEST_F(Natives, EveryNodeArgumentIsCheckedAndARefusedNativeChangesNothing) {
    build(kShape);
    for (const bool debugging : {false, true}) {
        if (debugging)
            middle().turnOnRunTimeDebugging();
        // 2 is a record of the standard categories, not a node.
        for (const char* bad : {"0", "2", "100000", "-3", "'abc"})
            EXPECT_EQ(step(std::string("=mother ") + bad),
                      "0 | " +
                          named(debugging ? std::string(kInvalidNode) + kAlert : kAlert, "mother"))
                << bad;
    }
    build("R(F)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setOffendingNodeValue(node("D"), 1); }),
              kNoErr);
    // Each node argument in turn is made invalid while the other stays valid: "name@" takes two
    // nodes, "name:x" a node and x.
    std::istringstream words(
        "pop-up:text set-node-category:N set-node-label:new set-node-projection:1 set-subscript:i "
        "add-style:2 has-style:2 set-color:4 set-style:2 set-triangle:1 bottom-max complement foot "
        "get-subscript has-daughters head how-many-daughters is-branching-node is-foot is-head "
        "is-leftmost-sister is-main-terminal-node is-maximal-projection is-rightmost-sister "
        "is-root-node label left-sister leftmost-daughter mother next-node projection "
        "right-sister rightmost-daughter spec subtree-terminal-string top-max auto-node-label "
        "clone-for-adjunction create-daughter-to-left create-daughter-to-right detach "
        "detach-clone kill-node set-offending-node set-single-offending-node clear-style "
        "get-color get-triangle belong-to-same-spine@ c-command@ can-apply@ can-compose@ "
        "can-tag-adjoin@ can-unify@ dominate@ immediately-dominate@ is-complement-of@ "
        "is-sister-of@ is-spec-of@ m-command@ non-reflexive-dominate@ precede@ same@ apply@ "
        "compose@ attach-daughter-to-left@ attach-daughter-to-right@ copy-features@ "
        "copy-subtree@ move-daughters@ substitute@ tag-adjoin@ unify@");
    for (std::string word; words >> word;) {
        const bool pair = word.back() == '@';
        const std::size_t colon = word.find(':');
        const std::string name = word.substr(0, std::min(colon, word.size() - pair));
        const std::string unchanged = "=" + name;
        const std::string other = pair                         ? ", N"
                                  : colon == std::string::npos ? ""
                                                               : ", '" + word.substr(colon + 1);
        const std::string error = named(kInvalidNode, name);
        EXPECT_EQ(step(unchanged + " 0" + other), "0 | " + error + named(kAlert, name));
        if (pair) {
            EXPECT_EQ(step(unchanged + " R, 0"), "0 | " + error + named(kAlert, name));
            // With both invalid, the second is still checked.
            EXPECT_EQ(step(unchanged + " 0, -1").substr(0, 4 + 2 * error.size()),
                      "0 | " + error + error);
        }
    }
}
