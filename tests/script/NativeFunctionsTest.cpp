#include "ScriptSupport.h"

#include "model/TreeAttributes.h"
#include "script/CStackFrame.h"
#include "script/NativeFunctionTable.h"

#include <functional>
#include <iterator>

namespace {

constexpr const char* kNoSuchNative =
    "Internal error: no such native function (CScript::performNativeFunction)";
constexpr const char* kShape = "S(NP(D N) VP(V O(D2 N2)))";

std::string debuggingAlert(const std::string& native) {
    return "Debugging alert: an invalid node was passed to native function " + native + "\n";
}

} // namespace

// --- The dispatcher ---

TEST_F(NativeTest, NumbersOutsideTheTableAreInternalErrorsAndLeaveTheResult) {
    for (const int32_t number : {0, -1, kNativeFunctionCount + 1}) {
        platform.recorder.clear();
        CStackFrame frame(1);
        EXPECT_NE(script().performNativeFunction(number, frame), kNoErr) << number;
        const CRString* result = nullptr;
        ASSERT_EQ(frame.getField(0, result), kNoErr);
        EXPECT_FALSE(result->hasValue());
        EXPECT_EQ(bugReports(), std::vector<std::string>{kNoSuchNative}) << number;
    }
}

TEST_F(NativeTest, EveryNumberOfTheTableRunsItsNativeOnArgumentsOfZero) {
    middle().turnOnRunTimeDebugging();
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        platform.recorder.clear();
        CStackFrame frame(nativeFunction(number)->argumentCount);
        for (int32_t i = 1; i <= frame.size(); ++i)
            ASSERT_EQ(frame.setField(i, CRString("0", 1)), kNoErr);
        ASSERT_EQ(inStep(tree, kLabelMenu,
                         [&] {
                             script().performNativeFunction(number, frame);
                             return kNoErr;
                         }),
                  kNoErr);
        for (const std::string& report : bugReports())
            EXPECT_NE(report, kNoSuchNative) << nativeFunction(number)->name;
        EXPECT_TRUE(script().executingNativeFunction().empty()) << nativeFunction(number)->name;
    }
}

TEST_F(NativeTest, TheNativeNameIsCurrentOnlyWhileTheNativeRuns) {
    middle().turnOnRunTimeDebugging();
    call("mother", {0});
    EXPECT_EQ(runTimeErrors(),
              std::vector<std::string>{nativeErrorText("mother", "Invalid node argument")});
    EXPECT_TRUE(script().executingNativeFunction().empty());
    platform.recorder.clear();
    script().reportRunTimeError(CMiddleInterface::kRunTimeInvalidColor);
    EXPECT_EQ(runTimeErrors(), std::vector<std::string>{
                                   "A run time error occurred.\r\nError Message: Invalid color"});
}

// --- Node checks ---

TEST_F(NativeTest, AnInvalidNodeGivesZeroAndIsShownOnlyWhenDebugging) {
    build(kShape);
    const int32_t category = 2; // a record of the standard categories, not a node
    for (const bool debugging : {false, true}) {
        if (debugging)
            middle().turnOnRunTimeDebugging();
        for (const RArg& bad : {RArg(0), RArg(category), RArg(100000), RArg(-3), RArg("abc")}) {
            platform.recorder.clear();
            trace.str("");
            const CRString result = call("mother", {bad});
            EXPECT_TRUE(result.hasValue()) << bad.text;
            EXPECT_EQ(result.str(), "0") << bad.text;
            EXPECT_EQ(trace.str(), debuggingAlert("mother")) << bad.text;
            EXPECT_EQ(runTimeErrors().size(), debugging ? 1u : 0u) << bad.text;
            EXPECT_TRUE(bugReports().empty()) << bad.text;
        }
    }
}

TEST_F(NativeTest, EveryNodeArgumentIsCheckedAndARefusedNativeChangesNothing) {
    build(kShape);
    build("R(F)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setOffendingNodeValue(node("D"), 1); }),
              kNoErr);
    middle().turnOnRunTimeDebugging();
    // "@" marks a node argument; each in turn is made invalid while the others stay valid.
    std::vector<std::pair<std::string, std::string>> natives = {{"pop-up", "@ text"},
                                                                {"set-node-category", "@ N"},
                                                                {"set-node-label", "@ new"},
                                                                {"set-node-projection", "@ 1"},
                                                                {"set-subscript", "@ i"}};
    for (const char* names : {
             "bottom-max complement foot get-subscript has-daughters head how-many-daughters",
             "is-branching-node is-foot is-head is-leftmost-sister is-main-terminal-node",
             "is-maximal-projection is-rightmost-sister is-root-node label left-sister",
             "leftmost-daughter mother next-node projection right-sister rightmost-daughter spec",
             "subtree-terminal-string top-max auto-node-label clone-for-adjunction",
             "create-daughter-to-left create-daughter-to-right detach detach-clone kill-node",
             "set-offending-node set-single-offending-node",
         }) {
        std::istringstream words(names);
        for (std::string name; words >> name;)
            natives.emplace_back(name, "@");
    }
    for (const char* names : {
             "belong-to-same-spine c-command can-apply can-compose can-tag-adjoin can-unify",
             "dominate immediately-dominate is-complement-of is-sister-of is-spec-of m-command",
             "non-reflexive-dominate precede same apply attach-daughter-to-left",
             "attach-daughter-to-right compose copy-features copy-subtree move-daughters",
             "substitute tag-adjoin unify",
         }) {
        std::istringstream words(names);
        for (std::string name; words >> name;)
            natives.emplace_back(name, "@ @");
    }
    const std::vector<int32_t> valid = {node("R"), node("N")};
    for (const auto& [name, arguments] : natives) {
        std::istringstream words(arguments);
        const std::vector<std::string> pattern{std::istream_iterator<std::string>(words), {}};
        std::vector<std::size_t> nodeArguments;
        for (std::size_t i = 0; i < pattern.size(); ++i)
            if (pattern[i] == "@")
                nodeArguments.push_back(i);
        for (const std::size_t bad : nodeArguments) {
            std::vector<RArg> args;
            for (std::size_t i = 0, v = 0; i < pattern.size(); ++i)
                args.emplace_back(pattern[i] != "@" ? RArg(pattern[i])
                                  : i == bad        ? RArg(0)
                                                    : RArg(valid[v++]));
            platform.recorder.clear();
            ui.clear();
            trace.str("");
            const DatabaseState before = captureState(tree);
            const CRString result = call(name, args);
            EXPECT_EQ(result.str(), "0") << name << " argument " << bad + 1;
            EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)))
                << name << " argument " << bad + 1;
            EXPECT_EQ(runTimeErrors(),
                      std::vector<std::string>{nativeErrorText(name, "Invalid node argument")})
                << name << " argument " << bad + 1;
            EXPECT_EQ(trace.str(), debuggingAlert(name));
            EXPECT_TRUE(bugReports().empty()) << name;
            EXPECT_TRUE(ui.requests().empty()) << name;
        }
        if (nodeArguments.size() == 2) {
            platform.recorder.clear();
            std::vector<RArg> args(pattern.begin(), pattern.end());
            args[0] = RArg(0);
            args[1] = RArg(-1);
            EXPECT_EQ(call(name, args).str(), "0") << name;
            EXPECT_EQ(runTimeErrors().size(), 2u) << name << ": the second is still checked";
        }
    }
}

// --- Relations ---

// Each row "native argument... expected": a label names its node, "'text" is a text.
TEST_F(NativeTest, RelationsAnswerWithNodesTextsAndNumbersInArgumentOrder) {
    build(kShape);
    const char* const rows[] = {"mother N NP",
                                "mother S 0",
                                "left-sister VP NP",
                                "left-sister NP 0",
                                "right-sister NP VP",
                                "right-sister VP 0",
                                "leftmost-daughter S NP",
                                "leftmost-daughter N 0",
                                "rightmost-daughter S VP",
                                "rightmost-daughter D 0",
                                "next-node N VP",
                                "next-node N2 0",
                                "how-many-daughters VP 2",
                                "how-many-daughters D 0",
                                "has-daughters NP 1",
                                "has-daughters N 0",
                                "is-branching-node O 1",
                                "is-root-node S 1",
                                "is-root-node NP 0",
                                "is-leftmost-sister NP 1",
                                "is-leftmost-sister VP 0",
                                "is-rightmost-sister VP 1",
                                "is-rightmost-sister NP 0",
                                "label D2 'D2",
                                "dominate S N 1",
                                "dominate N S 0",
                                "dominate N N 1",
                                "non-reflexive-dominate N N 0",
                                "non-reflexive-dominate NP N 1",
                                "immediately-dominate NP N 1",
                                "immediately-dominate S N 0",
                                "is-sister-of NP VP 1",
                                "is-sister-of NP O 0",
                                "precede D V 1",
                                "precede V D 0",
                                "same N N 1",
                                "c-command D N 1",
                                "c-command D V 0"};
    const auto value = [&](const std::string& word) {
        return word[0] == '\''     ? word.substr(1)
               : nodes.count(word) ? std::to_string(node(word))
                                   : word;
    };
    for (const char* row : rows) {
        std::istringstream words(row);
        std::vector<std::string> parts{std::istream_iterator<std::string>(words), {}};
        std::vector<RArg> args;
        for (std::size_t i = 1; i + 1 < parts.size(); ++i)
            args.emplace_back(value(parts[i]));
        EXPECT_EQ(call(parts[0], args).str(), value(parts.back())) << row;
        EXPECT_EQ(lastErr, kNoErr) << row;
    }
    EXPECT_EQ(call("subtree-terminal-string", {node("VP")}).str(), " V D2 N2");
    EXPECT_TRUE(bugReports().empty());
}

// Every relation native gives what its relation of the tree database gives, for every pair of
// argument nodes, on a tree whose categories and projections make the X-bar relations answer.
TEST_F(NativeTest, RelationNativesAgreeWithTheTreeDatabaseOnEveryNode) {
    build("VP(NP(D N) V'(V NP2(N2)))");
    build("T(U)");
    int32_t categoryN = 0;
    int32_t categoryV = 0;
    ASSERT_EQ(tree.convertCategoryLabelToIndex(CRString("N", 1), categoryN), kNoErr);
    ASSERT_EQ(tree.convertCategoryLabelToIndex(CRString("V", 1), categoryV), kNoErr);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         const std::vector<std::tuple<const char*, int32_t, int32_t>> marks = {
                             {"VP", categoryV, 2}, {"V'", categoryV, 1}, {"V", categoryV, 0},
                             {"NP", categoryN, 2}, {"N", categoryN, 0},  {"NP2", categoryN, 2},
                             {"N2", categoryN, 0}};
                         RErr err = kNoErr;
                         for (const auto& [label, category, projection] : marks) {
                             if (!err)
                                 err = tree.setNodeCategory(node(label), category);
                             if (!err)
                                 err = tree.setNodeProjection(node(label), projection);
                         }
                         return err;
                     }),
              kNoErr);
    using Unary = RErr (CTree::*)(int32_t, int32_t&) const;
    using Binary = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;
    const std::vector<std::pair<const char*, Unary>> unary = {
        {"bottom-max", &CTree::bottomMax},
        {"complement", &CTree::complement},
        {"foot", &CTree::foot},
        {"head", &CTree::head},
        {"is-foot", &CTree::isFoot},
        {"is-head", &CTree::isHead},
        {"is-maximal-projection", &CTree::isMaximalProjection},
        {"projection", &CTree::getProjection},
        {"spec", &CTree::spec},
        {"top-max", &CTree::topMax}};
    const std::vector<std::pair<const char*, Binary>> binary = {
        {"belong-to-same-spine", &CTree::belongToSameSpine},
        {"c-command", &CTree::cCommand},
        {"can-tag-adjoin", &CTree::canTagAdjoin},
        {"is-complement-of", &CTree::isComplementOf},
        {"is-spec-of", &CTree::isSpecOf},
        {"m-command", &CTree::mCommand},
        {"same", &CTree::same}};
    int32_t nonZeroAnswers = 0;
    for (const auto& [a, first] : nodes) {
        for (const auto& [name, relation] : unary) {
            int32_t expected = 0;
            ASSERT_EQ((tree.*relation)(first, expected), kNoErr);
            EXPECT_EQ(call(name, {first}).getNumericValue(), expected) << name << "(" << a << ")";
            nonZeroAnswers += expected != 0;
        }
        int32_t mainTerminal = 0;
        ASSERT_EQ(tree.isMainTerminalNode(first, true, mainTerminal), kNoErr);
        EXPECT_EQ(call("is-main-terminal-node", {first}).getNumericValue(), mainTerminal);
        for (const auto& [b, second] : nodes) {
            for (const auto& [name, relation] : binary) {
                int32_t expected = 0;
                ASSERT_EQ((tree.*relation)(first, second, expected), kNoErr);
                EXPECT_EQ(call(name, {first, second}).getNumericValue(), expected)
                    << name << "(" << a << ", " << b << ")";
                nonZeroAnswers += expected != 0;
            }
        }
    }
    EXPECT_GT(nonZeroAnswers, 20);
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, WholeDocumentQueriesCountRootsFindTheSelectionAndReadTheLeaves) {
    EXPECT_EQ(call("how-many-root-nodes").str(), "0");
    EXPECT_EQ(call("selection").str(), "0");
    EXPECT_EQ(call("terminal-string").str(), "");
    const int32_t first = build("S(NP VP)");
    build("T(a b)");
    EXPECT_EQ(call("how-many-root-nodes").str(), "2");
    std::unique_ptr<CRString> expected;
    ASSERT_EQ(tree.terminalString(expected), kNoErr);
    EXPECT_EQ(call("terminal-string").str(), expected->str());
    EXPECT_NE(expected->str().find(" NP VP"), std::string::npos);
    ASSERT_EQ(tree.setSelectedValue(first, 1), kNoErr);
    EXPECT_EQ(call("selection").getNumericValue(), first);
}

TEST_F(NativeTest, CategoryNamesTheCategoryWithoutANodeCheck) {
    build("S(NP)");
    middle().turnOnRunTimeDebugging();
    EXPECT_EQ(call("category", {node("NP")}).str(), "None");
    int32_t categoryN = 0;
    ASSERT_EQ(tree.convertCategoryLabelToIndex(CRString("N", 1), categoryN), kNoErr);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setNodeCategory(node("NP"), categoryN); }),
              kNoErr);
    EXPECT_EQ(call("category", {node("NP")}).str(), "N");
    // 0 answers 0 quietly; any other number that is not a node is the database's to report.
    EXPECT_EQ(call("category", {0}).str(), "0");
    EXPECT_TRUE(bugReports().empty());
    EXPECT_EQ(call("category", {100000}).str(), "0");
    EXPECT_EQ(bugReports().size(), 1u);
    EXPECT_TRUE(runTimeErrors().empty());
    EXPECT_TRUE(trace.str().empty());
}

TEST_F(NativeTest, SubscriptsAreReadAsTheyWereSet) {
    build("S(NP)");
    EXPECT_EQ(call("get-subscript", {node("NP")}).str(), "");
    EXPECT_EQ(callUndoable("set-subscript", {node("NP"), "i"}).str(), "1");
    EXPECT_EQ(call("get-subscript", {node("NP")}).str(), "i");
}
