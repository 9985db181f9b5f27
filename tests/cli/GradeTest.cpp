// `ramex-cli grade`: a stack of student documents checked with the grammar's own script, in
// the three output formats, with the failures a stack of submissions brings.
#include "CliTestSupport.h"
#include "app/DocumentGrader.h"
#include "app/GradingWorkers.h"
#include "cli/GradeReport.h"

#include <filesystem>

namespace {

// A grammar of our own (spin nests its loops: one loop alone meets the interpreter's own
// limit before the step budget), so that every note and message is known exactly.
const std::string kHeader = "categories: X N V D\nfeatures: case num\n";
const std::string kScript = R"(script:
debug
define function check
 define variable n, count
 let count = 0
 for every node n
  if category(n) eq "N" and num(n) eq "pl" then
   set-offending-node(n)
   pop-up(n, "plural, " & label(n))
   let count = count + 1
  end if
  if category(n) eq "V" and num(n) eq "pl" then
   set-offending-node(n)
  end if
 end for
 message("checked: " & count)
end define
define function mark-nothing
 turn-off-offending-nodes
end define
define function spin
 define variable i, j
 let i = 0
 while i < 1000
  let j = 0
  while j < 1000
   let j = j + 1
  end while
  let i = i + 1
 end while
end define
define function broken
 message("before")
 message(label(0))
end define
define function mark-all
 define variable n
 for every node n
  set-offending-node(n)
 end for
end define
define menu "Check"
 "check" "Check Plurals"
 divider
 "mark-nothing" "Clear"
end define
end script
)";

// A JSON string doubles the backslashes of a Windows path.
std::string json(const std::string& path) {
    std::string escaped;
    for (const char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

class Grade : public ::testing::Test {
protected:
    std::string document(const std::string& name, const std::string& trees) {
        return built(dir, name, kHeader + trees + kScript);
    }
    // The command's outputs with the folder left out of every path, so that a document is
    // reported by its name.
    CommandResult grade(std::vector<std::string> words, const std::string& with = "") {
        words.insert(words.begin(), {"grade", "--grammar", with.empty() ? grammar : with});
        CommandResult result = cli(words);
        for (std::string* text : {&result.out, &result.err})
            for (const std::string& folder : {json(dir.file("")), dir.file("")})
                for (auto at = text->find(folder); at != std::string::npos; at = text->find(folder))
                    text->erase(at, folder.size());
        return result;
    }
    TempDir dir;
    const std::string grammar = built(dir, "plurals.rgr", kHeader + kScript);
};

} // namespace

TEST_F(Grade, TextCsvAndJsonReportTheSameStack) {
    const std::string right = document("right.rdc", "tree: [VP [DP [D the] [N dog]] [V barks]]\n");
    const std::string wrong =
        document("wrong.rdc", "tree: [VP [DP [D the] [N{num=pl} dogs]] [V{num=pl} bark]]\n"
                              "tree: [N{num=pl} cats]\n");
    std::vector<unsigned char> bytes = readFileBytes(right);
    bytes.resize(bytes.size() / 2);
    writeFileBytes(dir.file("damaged.rdc"), bytes);
    // Its own script marks nothing; the grammar's check still finds the plural.
    const std::string tampered = built(dir, "tampered.rdc", kHeader + R"(tree: [N{num=pl} mice]
script:
define function check
end define
define menu "Check"
 "check" "Check Plurals"
end define
end script
)");
    const std::vector<std::string> stack = {
        "--call", "check", right, wrong, dir.file("damaged.rdc"), tampered};
    CommandResult result = grade(stack);
    EXPECT_EQ(result.status, kExitInputFault); // the damaged document failed
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, R"(right.rdc: ok; message "checked: 0"
wrong.rdc: 3 offending: 14 N "plural, N"; 16 V ""; 8 N "plural, N"; message "checked: 2"
damaged.rdc: failed: The file cannot be opened, because it is in an invalid format.
tampered.rdc: 1 offending: 8 N "plural, N"; message "checked: 1"
graded 4 documents: 1 ok, 2 flagged, 1 failed
)");

    std::vector<std::string> words = stack;
    words.insert(words.end(), {"--format", "csv"});
    result = grade(words);
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.out, R"(document,status,node,label,note
right.rdc,ok,,,
wrong.rdc,flagged,14,N,"plural, N"
wrong.rdc,flagged,16,V,
wrong.rdc,flagged,8,N,"plural, N"
damaged.rdc,failed,,,"The file cannot be opened, because it is in an invalid format."
tampered.rdc,flagged,8,N,"plural, N"
)");
    // The summary stays out of the table.
    EXPECT_EQ(result.err, "graded 4 documents: 1 ok, 2 flagged, 1 failed\n");

    words.back() = "json";
    result = grade(words);
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.out,
              R"([
  {"document": "right.rdc", "status": "ok", "offending": [], "messages": ["checked: 0"]},
  {"document": "wrong.rdc", "status": "flagged", "offending": [)"
              R"({"node": 14, "label": "N", "note": "plural, N"}, )"
              R"({"node": 16, "label": "V", "note": ""}, )"
              R"({"node": 8, "label": "N", "note": "plural, N"}], "messages": ["checked: 2"]},
  {"document": "damaged.rdc", "status": "failed", )"
              R"("note": "The file cannot be opened, because it is in an invalid format.", )"
              R"("offending": [], "messages": []},
  {"document": "tampered.rdc", "status": "flagged", "offending": [)"
              R"({"node": 8, "label": "N", "note": "plural, N"}], "messages": ["checked: 1"]}
]
)");

    // A menu item is found by its title, and another item of the menu runs its own function.
    result = grade({"--menu", "Check Plurals", wrong});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, grade({"--call", "check", wrong}).out);
    EXPECT_EQ(grade({"--menu", "Clear", wrong}).out,
              "wrong.rdc: ok\ngraded 1 document: 1 ok, 0 flagged, 0 failed\n");

    // A check in error keeps the messages it gave before the error, each its own string; the
    // text line writes the error's line break as \n.
    result = grade({"--call", "broken", right});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.out, R"(right.rdc: failed: A run time error occurred in the user function )"
                          R"("broken" while calling native function "label".\nError Message: )"
                          R"(Invalid node argument; message "before"; message "0"
graded 1 document: 0 ok, 0 flagged, 1 failed
)");
    result = grade({"--call", "broken", right, "--format", "json"});
    EXPECT_EQ(result.out,
              R"([
  {"document": "right.rdc", "status": "failed", "note": "A run time error occurred in the user )"
              R"(function \"broken\" while calling native function \"label\".\r\nError )"
              R"(Message: Invalid node argument", "offending": [], "messages": ["before", "0"]}
]
)");
}

TEST_F(Grade, UsageAndGrammarFaultsStopBeforeAnyDocumentAndOpenRunsFirst) {
    const std::string doc = document("a.rdc", "tree: [N dog]\n");
    const std::vector<std::vector<std::string>> wrongUses = {
        {"--call", "check"},                         // no documents
        {doc},                                       // no function
        {"--call", "check", "--menu", "Clear", doc}, // both
        {"--call", "check", "--format", "xml", doc}, //
        {"--call", "check", "--colour", doc},        //
        {"--call", "no-such-check", doc},            //
        {"--call", "label", doc},                    // a native function is no check
        {"--menu", "Check the Trees", doc},          //
    };
    for (const auto& words : wrongUses) {
        const CommandResult result = grade(words);
        EXPECT_EQ(result.status, kExitUsage) << words.back();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("ramex-cli: ", 0), 0u) << result.err;
    }
    EXPECT_EQ(cli({"grade", "--call", "check", doc}).status, kExitUsage); // no grammar
    EXPECT_EQ(grade({"--menu", "Check the Trees", doc}).err,
              "ramex-cli: the grammar has no menu item titled \"Check the Trees\"\n"
              "Try 'ramex-cli --help'.\n");

    const std::string bad =
        built(dir, "bad.rgr",
              kHeader + "script:\ndefine function check\n let x = 1\nend define\n"
                        "end script\n");
    // The document does not even exist: it is never looked at.
    for (const auto& [with, err] :
         {std::pair(bad, "bad.rgr: line 2: Syntax error."),
          std::pair(dir.file("none.rgr"), "none.rgr: The file cannot be found.")}) {
        const CommandResult result = grade({"--call", "check", dir.file("no.rdc")}, with);
        EXPECT_EQ(result.status, kExitInputFault);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "ramex-cli: " + std::string(err) + "\n");
    }
    // The open hook runs before the check.
    const std::string greeting = built(dir, "greeting.rgr", kHeader + R"(script:
define variable greeted
define function open
 let greeted = "yes"
 message("Welcome.")
end define
define function check
 message("greeted: " & greeted)
end define
end script
)");
    EXPECT_EQ(grade({"--call", "check", doc}, greeting).out,
              "a.rdc: ok; message \"greeted: yes\"\n"
              "graded 1 document: 1 ok, 0 flagged, 0 failed\n");
}

TEST_F(Grade, BadOrMismatchedDocumentsFailWithTheirReasonAndTheRestIsGraded) {
    // Saved with every node marked by an earlier check: old marks do not count, and the
    // document is never written.
    const std::string good = dir.file("good.rdc");
    ASSERT_EQ(
        cli({"run", document("plain.rdc", "tree: [N dog]\n"), "--call", "mark-all", "-o", good})
            .status,
        kExitSuccess);
    const std::vector<unsigned char> before = readFileBytes(good);
    writeTextFile(dir.file("notes.rdc"), "these are my notes, not a tree\n");
    writeTextFile(dir.file("empty.rdc"), "");
    std::filesystem::create_directory(dir.file("folder.rdc"));
    // The same names in another order: the check reads num, not the first feature slot.
    built(dir, "reordered.rdc",
          "categories: D V N X\nfeatures: num case\n"
          "tree: [VP [DP [D the] [N{num=pl,case=sg} dogs]] [V{case=pl} bark]]\n");
    built(dir, "no-num.rdc", "categories: X N V D\nfeatures: case\ntree: [N dog]\n");
    built(dir, "no-n.rdc", "categories: X V D\nfeatures: case num\ntree: [V bark]\n");
    // The script never names case; num is matched whatever its letter case.
    built(dir, "no-case.rdc", "categories: X N V D\nfeatures: Num\ntree: [N{Num=pl} dogs]\n");
    std::vector<std::string> words = {"--call", "check"};
    for (const char* name : {"notes.rdc", "empty.rdc", "gone.rdc", "folder.rdc", "good.rdc",
                             "reordered.rdc", "no-num.rdc", "no-n.rdc", "no-case.rdc"})
        words.push_back(dir.file(name));
    const CommandResult result = grade(words);
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              R"(notes.rdc: failed: The file cannot be opened, because it is in an invalid format.
empty.rdc: failed: The file cannot be opened, because it is in an invalid format.
gone.rdc: failed: The file cannot be found.
folder.rdc: failed: The file cannot be found.
good.rdc: ok; message "checked: 0"
reordered.rdc: 1 offending: 12 N "plural, N"; message "checked: 1"
no-num.rdc: failed: The document lacks what the grammar's check needs: feature "num".
no-n.rdc: failed: The document lacks what the grammar's check needs: category "N".
no-case.rdc: 1 offending: 7 N "plural, N"; message "checked: 1"
graded 9 documents: 1 ok, 2 flagged, 6 failed
)");
    EXPECT_EQ(readFileBytes(good), before);
}

TEST_F(Grade, WorkersDeliverInTheOrderGivenAndALongCheckIsStopped) {
    CDocumentGrader grader;
    std::string problem;
    // The menu item's title names the function.
    ASSERT_EQ(grader.setUp(grammar, "", "Check Plurals", problem),
              CDocumentGrader::RSetUpFault::None);
    EXPECT_EQ(grader.functionName(), "check");
    std::vector<std::string> documents;
    for (int i = 0; i < 12; ++i) {
        std::string trees;
        for (int j = 0; j <= i % 4; ++j)
            trees += j % 2 ? "tree: [N{num=pl} dogs]\n" : "tree: [N dog]\n";
        documents.push_back(document("d" + std::to_string(i) + ".rdc", trees));
        if (i == 5)
            documents.push_back(dir.file("absent.rdc"));
    }
    const auto gradeWith = [&](const CDocumentGrader& with, int workers, bool keepTrees) {
        std::vector<std::string> lines;
        gradeDocuments(with, documents, workers, keepTrees, [&](RGradeResult& result) {
            EXPECT_EQ(result.tree != nullptr,
                      keepTrees && result.document != dir.file("absent.rdc"));
            lines.push_back(CGradeReport::textLine(result));
        });
        return lines;
    };
    const std::vector<std::string> alone = gradeWith(grader, 1, false);
    ASSERT_EQ(alone.size(), documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i)
        EXPECT_EQ(alone[i].rfind(documents[i] + ": ", 0), 0u) << alone[i];
    EXPECT_EQ(alone[1], documents[1] + ": 1 offending: 8 N \"plural, N\"; message \"checked: 1\"");
    EXPECT_EQ(gradeWith(grader, 3, false), alone);
    EXPECT_EQ(gradeWith(grader, 2, true), alone);

    // Stopped, a check fails its own document only.
    CDocumentGrader spin;
    ASSERT_EQ(spin.setUp(grammar, "spin", "", problem), CDocumentGrader::RSetUpFault::None)
        << problem;
    spin.setStepBudget(20000);
    documents.resize(2);
    EXPECT_EQ(gradeWith(spin, 2, false),
              (std::vector<std::string>{
                  documents[0] + ": failed: The script was stopped because it ran too long.",
                  documents[1] + ": failed: The script was stopped because it ran too long."}));
}
