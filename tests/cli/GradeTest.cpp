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
   pop-up(n, "plural, where a singular belongs: " & label(n))
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
const std::string kInvalid = "The file cannot be opened, because it is in an invalid format.";
const std::string kNote = "plural, where a singular belongs: N";

class Grade : public ::testing::Test {
protected:
    std::string document(const std::string& name, const std::string& trees) {
        return built(dir, name, kHeader + trees + kScript);
    }
    CommandResult grade(std::vector<std::string> words) {
        words.insert(words.begin(), {"grade", "--grammar", grammar});
        return cli(words);
    }
    TempDir dir;
    const std::string grammar = built(dir, "plurals.rgr", kHeader + kScript);
};

std::string summary(int documents, int ok, int flagged, int failed) {
    return "graded " + std::to_string(documents) + " document" + (documents == 1 ? "" : "s") +
           ": " + std::to_string(ok) + " ok, " + std::to_string(flagged) + " flagged, " +
           std::to_string(failed) + " failed";
}

// A JSON string doubles the backslashes of a Windows path.
std::string json(const std::string& path) {
    std::string escaped;
    for (const char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

} // namespace

TEST_F(Grade, TextCsvAndJsonReportTheSameStack) {
    const std::string right = document("right.rdc", "tree: [VP [DP [D the] [N dog]] [V barks]]\n");
    const std::string wrong = document(
        "wrong.rdc", "tree: [VP [DP [D the] [N{num=pl} dogs]] [V{num=pl} bark]]\ntree: [N{num=pl} "
                     "cats]\n");
    const std::string damaged = dir.file("damaged.rdc");
    std::vector<unsigned char> bytes = readFileBytes(right);
    bytes.resize(bytes.size() / 2);
    writeFileBytes(damaged, bytes);
    // Its own script marks nothing; the grammar's check still finds the plural.
    const std::string tampered =
        built(dir, "tampered.rdc",
              kHeader + "tree: [N{num=pl} mice]\nscript:\ndefine function check\nend define\n"
                        "define menu \"Check\"\n \"check\" \"Check Plurals\"\nend define\n"
                        "end script\n");
    EXPECT_EQ(cli({"run", tampered, "--call", "check"}).out, "offending:\ndirty: 0\n");
    const std::vector<RLabelledNode> w = workAreaNodes(wrong);
    const std::string n1 = nodeNumber(w, "N"), v = nodeNumber(w, "V"), n2 = nodeNumber(w, "N", 1);
    const std::string mice = nodeNumber(workAreaNodes(tampered), "N");
    const std::vector<std::string> stack = {"--call", "check", right, wrong, damaged, tampered};

    CommandResult result = grade(stack);
    EXPECT_EQ(result.status, kExitInputFault); // the damaged document failed
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(
        linesOf(result.out),
        (std::vector<std::string>{
            right + ": ok; message \"checked: 0\"",
            wrong + ": 3 offending: " + n1 + " N \"" + kNote + "\"; " + v + " V \"\"; " + n2 +
                " N \"" + kNote + "\"; message \"checked: 2\"",
            damaged + ": failed: " + kInvalid,
            tampered + ": 1 offending: " + mice + " N \"" + kNote + "\"; message \"checked: 1\"",
            summary(4, 1, 2, 1),
        }));

    std::vector<std::string> words = stack;
    words.insert(words.end(), {"--format", "csv"});
    result = grade(words);
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(linesOf(result.out), (std::vector<std::string>{
                                       "document,status,node,label,note",
                                       right + ",ok,,,",
                                       wrong + ",flagged," + n1 + ",N,\"" + kNote + "\"",
                                       wrong + ",flagged," + v + ",V,",
                                       wrong + ",flagged," + n2 + ",N,\"" + kNote + "\"",
                                       damaged + ",failed,,,\"" + kInvalid + "\"",
                                       tampered + ",flagged," + mice + ",N,\"" + kNote + "\"",
                                   }));
    EXPECT_EQ(result.err, summary(4, 1, 2, 1) + "\n"); // the summary stays out of the table

    words.back() = "json";
    result = grade(words);
    EXPECT_EQ(result.status, kExitInputFault);
    const auto note = [](const std::string& node, const std::string& label,
                         const std::string& text) {
        return "{\"node\": " + node + ", \"label\": \"" + label + "\", \"note\": \"" + text + "\"}";
    };
    const auto object = [](const std::string& path, const std::string& rest) {
        return "  {\"document\": \"" + json(path) + "\", \"status\": \"" + rest;
    };
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  "[",
                  object(right, "ok\", \"offending\": [], \"messages\": [\"checked: 0\"]},"),
                  object(wrong, "flagged\", \"offending\": [") + note(n1, "N", kNote) + ", " +
                      note(v, "V", "") + ", " + note(n2, "N", kNote) +
                      "], \"messages\": [\"checked: 2\"]},",
                  object(damaged, "failed\", \"note\": \"" + kInvalid +
                                      "\", \"offending\": [], \"messages\": []},"),
                  object(tampered, "flagged\", \"offending\": [") + note(mice, "N", kNote) +
                      "], \"messages\": [\"checked: 1\"]}",
                  "]",
              }));

    // A menu item is found by its title, and another item of the menu runs its own function.
    const CommandResult byMenu = grade({"--menu", "Check Plurals", wrong});
    EXPECT_EQ(byMenu.status, kExitSuccess) << byMenu.err;
    EXPECT_EQ(byMenu.out, grade({"--call", "check", wrong}).out);
    EXPECT_EQ(grade({"--menu", "Clear", wrong}).out, wrong + ": ok\n" + summary(1, 1, 0, 0) + "\n");

    // A check in error keeps the messages it gave before the error, each its own string.
    result = grade({"--call", "broken", right, "--format", "json"});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  "[",
                  object(right, "failed\", \"note\": \"A run time error occurred in the user "
                                "function \\\"broken\\\" while calling native function "
                                "\\\"label\\\".\\r\\nError Message: Invalid node argument\", "
                                "\"offending\": [], \"messages\": [\"before\", \"0\"]}"),
                  "]",
              }));
}

TEST_F(Grade, UsageErrorsAndABadGrammarStopBeforeAnyDocumentIsRead) {
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
              kHeader + "script:\ndefine function check\n let x = 1\nend define\nend script\n");
    // The document does not even exist: it is never looked at.
    CommandResult result = cli({"grade", "--grammar", bad, "--call", "check", dir.file("no.rdc")});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ramex-cli: " + bad + ": line 2: Syntax error.\n");
    result = cli({"grade", "--grammar", dir.file("none.rgr"), "--call", "check", doc});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.err, "ramex-cli: " + dir.file("none.rgr") + ": The file cannot be found.\n");
}

TEST_F(Grade, BadOrMismatchedDocumentsFailWithTheirReasonAndTheRestIsGraded) {
    const std::string good = document("good.rdc", "tree: [N dog]\n");
    const std::string text = dir.file("notes.rdc");
    writeTextFile(text, "these are my notes, not a tree\n");
    const std::string empty = dir.file("empty.rdc");
    writeTextFile(empty, "");
    const std::string folder = dir.file("folder.rdc");
    std::filesystem::create_directory(folder);
    // The same names in another order: the check reads num, not the first feature slot.
    const std::string reordered =
        built(dir, "reordered.rdc",
              "categories: D V N X\nfeatures: num case\n"
              "tree: [VP [DP [D the] [N{num=pl,case=sg} dogs]] [V{case=pl} bark]]\n");
    const std::string noNum =
        built(dir, "no-num.rdc", "categories: X N V D\nfeatures: case\ntree: [N dog]\n");
    const std::string noN =
        built(dir, "no-n.rdc", "categories: X V D\nfeatures: case num\ntree: [V bark]\n");
    // The script never names case; num is matched whatever its letter case.
    const std::string noCase =
        built(dir, "no-case.rdc", "categories: X N V D\nfeatures: Num\ntree: [N{Num=pl} dogs]\n");
    const std::string lacks = ": failed: The document lacks what the grammar's check needs: ";
    const CommandResult result = grade({"--call", "check", text, empty, dir.file("gone.rdc"),
                                        folder, good, reordered, noNum, noN, noCase});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  text + ": failed: " + kInvalid,
                  empty + ": failed: " + kInvalid,
                  dir.file("gone.rdc") + ": failed: The file cannot be found.",
                  folder + ": failed: The file cannot be found.",
                  good + ": ok; message \"checked: 0\"",
                  reordered + ": 1 offending: " + nodeNumber(workAreaNodes(reordered), "N") +
                      " N \"" + kNote + "\"; message \"checked: 1\"",
                  noNum + lacks + "feature \"num\".",
                  noN + lacks + "category \"N\".",
                  noCase + ": 1 offending: " + nodeNumber(workAreaNodes(noCase), "N") + " N \"" +
                      kNote + "\"; message \"checked: 1\"",
                  summary(9, 1, 2, 6),
              }));
}

TEST_F(Grade, ACheckStoppedOrInErrorFailsThatDocumentOnly) {
    CDocumentGrader grader;
    std::string problem;
    ASSERT_EQ(grader.setUp(grammar, "spin", "", problem), CDocumentGrader::RSetUpFault::None)
        << problem;
    grader.setStepBudget(20000);
    const std::string first = document("first.rdc", "tree: [N dog]\n");
    const std::string second = document("second.rdc", "tree: [N cat]\n");
    std::vector<std::string> lines;
    gradeDocuments(grader, {first, second}, 2, false, [&lines](RGradeResult& result) {
        lines.push_back(CGradeReport::textLine(result));
    });
    const std::string stopped = ": failed: The script was stopped because it ran too long.";
    EXPECT_EQ(lines, (std::vector<std::string>{first + stopped, second + stopped}));

    CDocumentGrader broken;
    ASSERT_EQ(broken.setUp(grammar, "broken", "", problem), CDocumentGrader::RSetUpFault::None);
    const RGradeResult result = broken.grade(first, false);
    const std::string error = "A run time error occurred in the user function \"broken\" while "
                              "calling native function \"label\".";
    EXPECT_EQ(result.status, RGradeStatus::Failed);
    EXPECT_EQ(result.reason, error + "\r\nError Message: Invalid node argument");
    EXPECT_EQ(result.messages, (std::vector<std::string>{"before", "0"}));
    EXPECT_EQ(CGradeReport::textLine(result),
              first + ": failed: " + error +
                  "\\nError Message: Invalid node argument; message \"before\"; message \"0\"");
}

TEST_F(Grade, TheDocumentIsNeverWrittenOldMarksDoNotCountAndTheOpenHookRunsFirst) {
    const std::string plain = document("plain.rdc", "tree: [VP [N dog] [V barks]]\n");
    // Saved with every node marked by an earlier check.
    const std::string marked = dir.file("marked.rdc");
    ASSERT_EQ(cli({"run", plain, "--call", "mark-all", "-o", marked}).status, kExitSuccess);
    const std::vector<unsigned char> before = readFileBytes(marked);
    const CommandResult result = grade({"--call", "check", marked});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, marked + ": ok; message \"checked: 0\"\n" + summary(1, 1, 0, 0) + "\n");
    EXPECT_EQ(readFileBytes(marked), before);

    const std::string greeting =
        built(dir, "greeting.rgr",
              kHeader + "script:\ndefine variable greeted\ndefine function open\n let greeted = "
                        "\"yes\"\n message(\"Welcome.\")\nend define\ndefine function check\n"
                        " message(\"greeted: \" & greeted)\nend define\nend script\n");
    EXPECT_EQ(cli({"grade", "--grammar", greeting, "--call", "check", plain}).out,
              plain + ": ok; message \"greeted: yes\"\n" + summary(1, 1, 0, 0) + "\n");
}

TEST_F(Grade, WorkersDeliverInTheOrderGivenWhateverTheirNumber) {
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
    const auto gradeWith = [&](int workers, bool keepTrees) {
        std::vector<std::string> lines;
        gradeDocuments(grader, documents, workers, keepTrees, [&](RGradeResult& result) {
            EXPECT_EQ(result.tree != nullptr,
                      keepTrees && result.document != dir.file("absent.rdc"));
            lines.push_back(CGradeReport::textLine(result));
        });
        return lines;
    };
    const std::vector<std::string> alone = gradeWith(1, false);
    ASSERT_EQ(alone.size(), documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i)
        EXPECT_EQ(alone[i].rfind(documents[i] + ": ", 0), 0u) << alone[i];
    EXPECT_EQ(alone[1], documents[1] +
                            ": 1 offending: " + nodeNumber(workAreaNodes(documents[1]), "N", 1) +
                            " N \"" + kNote + "\"; message \"checked: 1\"");
    EXPECT_EQ(gradeWith(3, false), alone);
    EXPECT_EQ(gradeWith(2, true), alone);
}
