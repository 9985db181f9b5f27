// `ramex-cli grade`: a stack of student documents checked with the grammar's own script, in
// the three output formats, with the failures a stack of submissions brings.

#include "CliTestSupport.h"

#include "app/DocumentGrader.h"
#include "app/GradingWorkers.h"
#include "base/ErrorCodes.h"
#include "cli/CliCommand.h"
#include "cli/CliGrade.h"
#include "cli/CliGrammarCommands.h"
#include "cli/CliRun.h"
#include "cli/GradeReport.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A grammar of our own, so that every note and message is known exactly.
const char* const kGrammarHeader = "categories: X N V D\n"
                                   "features: case num\n";

const char* const kGrammarScript = "script:\n"
                                   "debug\n"
                                   "define function check\n"
                                   " define variable n, count\n"
                                   " let count = 0\n"
                                   " for every node n\n"
                                   "  if category(n) eq \"N\" and num(n) eq \"pl\" then\n"
                                   "   set-offending-node(n)\n"
                                   "   pop-up(n, \"plural, where a singular belongs: \" & "
                                   "label(n))\n"
                                   "   let count = count + 1\n"
                                   "  end if\n"
                                   "  if category(n) eq \"V\" and num(n) eq \"pl\" then\n"
                                   "   set-offending-node(n)\n"
                                   "  end if\n"
                                   " end for\n"
                                   " message(\"checked: \" & count)\n"
                                   "end define\n"
                                   "define function mark-nothing\n"
                                   " turn-off-offending-nodes\n"
                                   "end define\n"
                                   "define function spin\n"
                                   " define variable i, j\n"
                                   " let i = 0\n"
                                   " while i < 1000\n"
                                   "  let j = 0\n"
                                   "  while j < 1000\n"
                                   "   let j = j + 1\n"
                                   "  end while\n"
                                   "  let i = i + 1\n"
                                   " end while\n"
                                   "end define\n"
                                   "define function broken\n"
                                   " message(\"before\")\n"
                                   " message(label(0))\n"
                                   "end define\n"
                                   "define function mark-all\n"
                                   " define variable n\n"
                                   " for every node n\n"
                                   "  set-offending-node(n)\n"
                                   " end for\n"
                                   "end define\n"
                                   "define menu \"Check\"\n"
                                   " \"check\" \"Check Plurals\"\n"
                                   " divider\n"
                                   " \"mark-nothing\" \"Clear\"\n"
                                   "end define\n"
                                   "end script\n";

// Builds a .rgr or .rdc from text; the test fails when the text does not build.
std::string build(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string source = dir.file(name + ".rgt");
    writeTextFile(source, text);
    const std::string output = dir.file(name);
    const CommandResult built = runSilent(buildCommand, {source, "-o", output});
    EXPECT_EQ(built.status, kExitSuccess) << built.err;
    return output;
}

std::string ourGrammar(const TempDir& dir) {
    return build(dir, "plurals.rgr", std::string(kGrammarHeader) + kGrammarScript);
}

// A document of our grammar (with its script) holding these trees.
std::string ourDocument(const TempDir& dir, const std::string& name, const std::string& trees) {
    return build(dir, name, std::string(kGrammarHeader) + trees + kGrammarScript);
}

CommandResult grade(const std::vector<std::string>& arguments) {
    return runPrinting(gradeCommand, arguments);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The record of the occurrence-th node (from 0) with this label on the work area.
int32_t nodeLabelled(const std::string& document, const std::string& label, int occurrence = 0) {
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    const bool opened = openDatabase(document, tree);
    testing::internal::GetCapturedStderr();
    if (!opened)
        return 0;
    int32_t node = 0;
    RErr err = tree->getFirstRoot(node);
    while (!err && node != 0) {
        int32_t root = 0;
        int32_t where = 0;
        const CRString* text = nullptr;
        err = tree->findRoot(node, root);
        if (!err)
            err = tree->getWhereIsTree(root, where);
        if (!err)
            err = tree->getLabel(node, text);
        if (!err && where == kTreeOnWorkArea && text && text->str() == label && occurrence-- == 0)
            return node;
        if (!err)
            err = tree->getNextNode(node, 0, node);
    }
    return 0;
}

std::string number(const std::string& document, const std::string& label, int occurrence = 0) {
    return std::to_string(nodeLabelled(document, label, occurrence));
}

// The stack every format is checked on: right, wrong twice over, damaged, and one whose own
// script was changed to mark nothing.
struct OurStack {
    explicit OurStack(const TempDir& dir)
        : grammar(ourGrammar(dir)),
          right(ourDocument(dir, "right.rdc", "tree: [VP [DP [D the] [N dog]] [V barks]]\n")),
          wrong(ourDocument(dir, "wrong.rdc",
                            "tree: [VP [DP [D the] [N{num=pl} dogs]] [V{num=pl} bark]]\n"
                            "tree: [N{num=pl} cats]\n")),
          damaged(dir.file("damaged.rdc")),
          tampered(build(dir, "tampered.rdc",
                         std::string(kGrammarHeader) +
                             "tree: [N{num=pl} mice]\n"
                             "script:\ndefine function check\nend define\n"
                             "define menu \"Check\"\n \"check\" \"Check Plurals\"\nend define\n"
                             "end script\n")) {
        std::vector<unsigned char> bytes = readFileBytes(right);
        bytes.resize(bytes.size() / 2);
        writeFileBytes(damaged, bytes);
    }
    std::vector<std::string> arguments(const std::string& format) const {
        std::vector<std::string> words = {"--grammar", grammar, "--call", "check",
                                          right,       wrong,   damaged,  tampered};
        if (!format.empty()) {
            words.emplace_back("--format");
            words.push_back(format);
        }
        return words;
    }
    std::string grammar, right, wrong, damaged, tampered;
};

const char* const kInvalid = "The file cannot be opened, because it is in an invalid format.";
const char* const kNote = "plural, where a singular belongs: ";

} // namespace

TEST(Grade, TextGivesALinePerDocumentThenTheSummary) {
    TempDir dir;
    const OurStack stack(dir);
    const CommandResult result = grade(stack.arguments(""));
    EXPECT_EQ(result.status, kExitInputFault); // the damaged document failed
    EXPECT_EQ(
        linesOf(result.out),
        (std::vector<std::string>{
            stack.right + ": ok; message \"checked: 0\"",
            stack.wrong + ": 3 offending: " + number(stack.wrong, "N") + " N \"" + kNote + "N\"; " +
                number(stack.wrong, "V") + " V \"\"; " + number(stack.wrong, "N", 1) + " N \"" +
                kNote + "N\"; message " + "\"checked: 2\"",
            stack.damaged + ": failed: " + kInvalid,
            // Its own script marks nothing; the grammar's check still finds the plural.
            stack.tampered + ": 1 offending: " + number(stack.tampered, "N") + " N \"" + kNote +
                "N\"; message \"checked: 1\"",
            "graded 4 documents: 1 ok, 2 flagged, 1 failed",
        }));
    EXPECT_EQ(result.err, "");
    // The document's own check really does mark nothing.
    std::ostringstream run;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runScript({stack.tampered, "--call", "check"}, run), kExitSuccess);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(run.str().find("offending:\n"), std::string::npos) << run.str();
}

TEST(Grade, CsvGivesARowPerOffendingNodeAndOneForEachOtherDocument) {
    TempDir dir;
    const OurStack stack(dir);
    const CommandResult result = grade(stack.arguments("csv"));
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(
        linesOf(result.out),
        (std::vector<std::string>{
            "document,status,node,label,note",
            stack.right + ",ok,,,",
            stack.wrong + ",flagged," + number(stack.wrong, "N") + ",N,\"" + kNote + "N\"",
            stack.wrong + ",flagged," + number(stack.wrong, "V") + ",V,",
            stack.wrong + ",flagged," + number(stack.wrong, "N", 1) + ",N,\"" + kNote + "N\"",
            stack.damaged + ",failed,,,\"" + kInvalid + "\"",
            stack.tampered + ",flagged," + number(stack.tampered, "N") + ",N,\"" + kNote + "N\"",
        }));
    // The summary stays out of the table.
    EXPECT_EQ(result.err, "graded 4 documents: 1 ok, 2 flagged, 1 failed\n");
}

TEST(Grade, JsonGivesAnArrayOfOneObjectPerDocument) {
    TempDir dir;
    const OurStack stack(dir);
    const CommandResult result = grade(stack.arguments("json"));
    EXPECT_EQ(result.status, kExitInputFault);
    const auto offending = [](const std::string& node, const std::string& label,
                              const std::string& note) {
        return "{\"node\": " + node + ", \"label\": \"" + label + "\", \"note\": \"" + note + "\"}";
    };
    // A JSON string doubles the backslashes of a Windows path.
    const auto json = [](const std::string& path) {
        std::string escaped;
        for (const char c : path)
            escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return escaped;
    };
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  "[",
                  "  {\"document\": \"" + json(stack.right) +
                      "\", \"status\": \"ok\", \"offending\": [], \"messages\": [\"checked: "
                      "0\"]},",
                  "  {\"document\": \"" + json(stack.wrong) +
                      "\", \"status\": \"flagged\", \"offending\": [" +
                      offending(number(stack.wrong, "N"), "N", kNote + std::string("N")) + ", " +
                      offending(number(stack.wrong, "V"), "V", "") + ", " +
                      offending(number(stack.wrong, "N", 1), "N", kNote + std::string("N")) +
                      "], \"messages\": [\"checked: 2\"]},",
                  "  {\"document\": \"" + json(stack.damaged) +
                      "\", \"status\": \"failed\", \"note\": \"" + kInvalid +
                      "\", \"offending\": [], \"messages\": []},",
                  "  {\"document\": \"" + json(stack.tampered) +
                      "\", \"status\": \"flagged\", \"offending\": [" +
                      offending(number(stack.tampered, "N"), "N", kNote + std::string("N")) +
                      "], \"messages\": [\"checked: 1\"]}",
                  "]",
              }));
}

TEST(Grade, TheMenuItemIsFoundByItsTitle) {
    TempDir dir;
    const OurStack stack(dir);
    const CommandResult byMenu =
        grade({"--grammar", stack.grammar, "--menu", "Check Plurals", stack.wrong});
    const CommandResult byCall =
        grade({"--grammar", stack.grammar, "--call", "check", stack.wrong});
    EXPECT_EQ(byMenu.status, kExitSuccess) << byMenu.err;
    EXPECT_EQ(byMenu.out, byCall.out);
    EXPECT_NE(byMenu.out.find(": 3 offending: "), std::string::npos);
    // Another item of the same menu runs its own function.
    const CommandResult clear = grade({"--grammar", stack.grammar, "--menu", "Clear", stack.wrong});
    EXPECT_EQ(clear.out, stack.wrong + ": ok\ngraded 1 document: 1 ok, 0 flagged, 0 failed\n");
}

TEST(Grade, UsageErrorsGiveTwoBeforeAnyDocumentIsRead) {
    TempDir dir;
    const std::string grammar = ourGrammar(dir);
    const std::string document = ourDocument(dir, "a.rdc", "tree: [N dog]\n");
    const std::vector<std::vector<std::string>> wrongUses = {
        {"--call", "check", document},                                          // no grammar
        {"--grammar", grammar, document},                                       // no function
        {"--grammar", grammar, "--call", "check"},                              // no documents
        {"--grammar", grammar, "--call", "check", "--menu", "Clear", document}, // both
        {"--grammar", grammar, "--call", "check", "--format", "xml", document},
        {"--grammar", grammar, "--call", "check", "--colour", document},
        {"--grammar", grammar, "--call", "no-such-check", document},
        {"--grammar", grammar, "--call", "label", document}, // a native function is no check
        {"--grammar", grammar, "--menu", "Check the Trees", document},
    };
    for (const auto& arguments : wrongUses) {
        const CommandResult result = grade(arguments);
        EXPECT_EQ(result.status, kExitUsage) << arguments.back();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("ramex-cli: ", 0), 0u) << result.err;
    }
    EXPECT_EQ(grade({"--grammar", grammar, "--menu", "Check the Trees", document}).err,
              "ramex-cli: the grammar has no menu item titled \"Check the Trees\"\n"
              "Try 'ramex-cli --help'.\n");
}

TEST(Grade, AGrammarThatDoesNotCompileStopsBeforeAnyDocument) {
    TempDir dir;
    const std::string grammar =
        build(dir, "bad.rgr",
              std::string(kGrammarHeader) +
                  "script:\ndefine function check\n let x = 1\nend define\nend script\n");
    // The document does not even exist: it is never looked at.
    const CommandResult result =
        grade({"--grammar", grammar, "--call", "check", dir.file("missing.rdc")});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ramex-cli: " + grammar + ": line 2: Syntax error.\n");

    const CommandResult missing =
        grade({"--grammar", dir.file("none.rgr"), "--call", "check", grammar});
    EXPECT_EQ(missing.status, kExitInputFault);
    EXPECT_EQ(missing.err, "ramex-cli: " + dir.file("none.rgr") + ": The file cannot be found.\n");
}

TEST(Grade, BadDocumentsFailWithTheirReasonAndTheRestIsGraded) {
    TempDir dir;
    const std::string grammar = ourGrammar(dir);
    const std::string good = ourDocument(dir, "good.rdc", "tree: [N dog]\n");
    const std::string text = dir.file("notes.rdc");
    writeTextFile(text, "these are my notes, not a tree\n");
    const std::string empty = dir.file("empty.rdc");
    writeTextFile(empty, "");
    const std::string folder = dir.file("folder.rdc");
    std::filesystem::create_directory(folder);
    const CommandResult result = grade(
        {"--grammar", grammar, "--call", "check", text, empty, dir.file("gone.rdc"), folder, good});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(linesOf(result.out), (std::vector<std::string>{
                                       text + ": failed: " + kInvalid,
                                       empty + ": failed: " + kInvalid,
                                       dir.file("gone.rdc") + ": failed: The file cannot be found.",
                                       folder + ": failed: The file cannot be found.",
                                       good + ": ok; message \"checked: 0\"",
                                       "graded 5 documents: 1 ok, 0 flagged, 4 failed",
                                   }));
    EXPECT_EQ(result.err, "");
}

TEST(Grade, FeaturesAndCategoriesAreMatchedByName) {
    TempDir dir;
    const std::string grammar = ourGrammar(dir);
    // The same names in another order: the check reads num, not the first feature slot.
    const std::string reordered =
        build(dir, "reordered.rdc",
              "categories: D V N X\nfeatures: num case\n"
              "tree: [VP [DP [D the] [N{num=pl,case=sg} dogs]] [V{case=pl} bark]]\n");
    const std::string noNum =
        build(dir, "no-num.rdc", "categories: X N V D\nfeatures: case\ntree: [N dog]\n");
    const std::string noN =
        build(dir, "no-n.rdc", "categories: X V D\nfeatures: case num\ntree: [V bark]\n");
    const std::string noCase =
        build(dir, "no-case.rdc", "categories: X N V D\nfeatures: Num\ntree: [N{Num=pl} dogs]\n");
    const CommandResult result =
        grade({"--grammar", grammar, "--call", "check", reordered, noNum, noN, noCase});
    EXPECT_EQ(linesOf(result.out),
              (std::vector<std::string>{
                  reordered + ": 1 offending: " + number(reordered, "N") + " N \"" + kNote +
                      "N\"; message \"checked: 1\"",
                  noNum + ": failed: The document lacks what the grammar's check needs: feature "
                          "\"num\".",
                  noN + ": failed: The document lacks what the grammar's check needs: category "
                        "\"N\".",
                  // The script never names case; num is matched whatever its letter case.
                  noCase + ": 1 offending: " + number(noCase, "N") + " N \"" + kNote +
                      "N\"; message \"checked: 1\"",
                  "graded 4 documents: 0 ok, 2 flagged, 2 failed",
              }));
}

TEST(Grade, ACheckStoppedOrInErrorFailsThatDocumentOnly) {
    TempDir dir;
    CDocumentGrader grader;
    std::string problem;
    const std::string grammar = ourGrammar(dir);
    ASSERT_EQ(grader.setUp(grammar, "spin", "", problem), CDocumentGrader::RSetUpFault::None)
        << problem;
    grader.setStepBudget(20000);
    const std::string first = ourDocument(dir, "first.rdc", "tree: [N dog]\n");
    const std::string second = ourDocument(dir, "second.rdc", "tree: [N cat]\n");
    std::vector<std::string> lines;
    gradeDocuments(grader, {first, second}, 2, false, [&lines](RGradeResult& result) {
        lines.push_back(CGradeReport::textLine(result));
    });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         first + ": failed: The script was stopped because it ran too long.",
                         second + ": failed: The script was stopped because it ran too long.",
                     }));

    CDocumentGrader broken;
    ASSERT_EQ(broken.setUp(grammar, "broken", "", problem), CDocumentGrader::RSetUpFault::None);
    const RGradeResult result = broken.grade(first, false);
    EXPECT_EQ(result.status, RGradeStatus::Failed);
    EXPECT_EQ(result.reason, "A run time error occurred in the user function \"broken\" while "
                             "calling native function \"label\".\r\nError Message: Invalid node "
                             "argument");
    EXPECT_EQ(result.messages, (std::vector<std::string>{"before", "0"}));
    EXPECT_EQ(CGradeReport::textLine(result),
              first + ": failed: A run time error occurred in the user function \"broken\" while "
                      "calling native function \"label\".\\nError Message: Invalid node argument; "
                      "message \"before\"; message \"0\"");
}

TEST(Grade, TheDocumentIsNeverWrittenAndOldMarksDoNotCount) {
    TempDir dir;
    const std::string grammar = ourGrammar(dir);
    const std::string plain = ourDocument(dir, "plain.rdc", "tree: [VP [N dog] [V barks]]\n");
    // Saved with every node marked by an earlier check.
    const std::string marked = dir.file("marked.rdc");
    std::ostringstream ignored;
    testing::internal::CaptureStderr();
    ASSERT_EQ(runScript({plain, "--call", "mark-all", "-o", marked}, ignored), kExitSuccess);
    testing::internal::GetCapturedStderr();
    const std::vector<unsigned char> before = readFileBytes(marked);
    const CommandResult result = grade({"--grammar", grammar, "--call", "check", marked});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, marked + ": ok; message \"checked: 0\"\n"
                                   "graded 1 document: 1 ok, 0 flagged, 0 failed\n");
    EXPECT_EQ(readFileBytes(marked), before);
}

TEST(Grade, TheCheckRunsOnceTheOpenHookHasRun) {
    TempDir dir;
    const std::string grammar =
        build(dir, "greeting.rgr",
              std::string(kGrammarHeader) + "script:\ndefine variable greeted\n"
                                            "define function open\n let greeted = \"yes\"\n"
                                            " message(\"Welcome.\")\nend define\n"
                                            "define function check\n"
                                            " message(\"greeted: \" & greeted)\nend define\n"
                                            "end script\n");
    const std::string document = ourDocument(dir, "a.rdc", "tree: [N dog]\n");
    const CommandResult result = grade({"--grammar", grammar, "--call", "check", document});
    EXPECT_EQ(result.out, document + ": ok; message \"greeted: yes\"\n"
                                     "graded 1 document: 1 ok, 0 flagged, 0 failed\n");
}

TEST(Grade, WorkersDeliverInTheOrderGivenWhateverTheirNumber) {
    TempDir dir;
    CDocumentGrader grader;
    std::string problem;
    ASSERT_EQ(grader.setUp(ourGrammar(dir), "check", "", problem),
              CDocumentGrader::RSetUpFault::None);
    std::vector<std::string> documents;
    for (int i = 0; i < 12; ++i) {
        std::string trees;
        for (int j = 0; j <= i % 4; ++j)
            trees += j % 2 ? "tree: [N{num=pl} dogs]\n" : "tree: [N dog]\n";
        documents.push_back(ourDocument(dir, "d" + std::to_string(i) + ".rdc", trees));
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
    EXPECT_EQ(alone[1], documents[1] + ": 1 offending: " + number(documents[1], "N", 1) + " N \"" +
                            kNote + "N\"; message \"checked: 1\"");
    EXPECT_EQ(gradeWith(3, false), alone);
    EXPECT_EQ(gradeWith(2, true), alone);
}

TEST(Grade, TheEnglishSampleFlagsTheWrongClausesWhateverTheDocumentsOwnScript) {
    TempDir dir;
    const char* samples = std::getenv("RAMEX_SAMPLES");
    const std::string sample =
        readTextFile(std::string(samples ? samples : RAMEX_SAMPLES_DIR) + "/english.rgt");
    const std::string grammar = build(dir, "english.rgr", sample);
    const auto document = [&](const std::string& name, const std::string& trees) {
        return build(dir, name, sample + "\n" + trees);
    };
    const std::string subject = "[DP [D' [D{num=sg,person=3,subcat=none} Kim]]]";
    const std::string sleeps =
        "[T' [T{tense=pres,agr=3sg,subcat=VP} -s] [VP [V' [V{subcat=none} sleep]]]]";
    const std::string correct =
        document("correct.rdc", "tree: [TP " + subject + " " + sleeps + "]\n");
    const std::string noDeterminer = document(
        "no-determiner.rdc", "tree: [TP [NP [N' [N{num=sg,subcat=none} dog]]] " + sleeps + "]\n");
    const std::string agreement =
        document("agreement.rdc", "tree: [TP [DP [D' [D{num=pl,subcat=NP} these] [NP [N' "
                                  "[N{num=pl,subcat=none} dogs]]]]] " +
                                      sleeps + "]\n");
    // The same wrong clause, with a script of its own whose check marks nothing.
    std::string ownScript = sample.substr(0, sample.find("\nscript:") + 1);
    ownScript += "script:\ndefine function check-trees\nend define\ndefine menu \"Check\"\n "
                 "\"check-trees\" \"Check the Trees\"\nend define\nend script\n";
    const std::string tampered = build(dir, "tampered.rdc",
                                       ownScript +
                                           "tree: [TP [DP [D' [D{num=pl,subcat=NP} "
                                           "these] [NP [N' [N{num=pl,subcat=none} "
                                           "dogs]]]]] " +
                                           sleeps + "]\n");
    const std::string damaged = dir.file("damaged.rdc");
    std::vector<unsigned char> bytes = readFileBytes(correct);
    bytes.resize(bytes.size() / 3);
    writeFileBytes(damaged, bytes);

    CDocumentGrader grader;
    std::string problem;
    ASSERT_EQ(grader.setUp(grammar, "", "Check the Trees", problem),
              CDocumentGrader::RSetUpFault::None)
        << problem;
    EXPECT_EQ(grader.functionName(), "check-trees");
    std::vector<RGradeResult> results;
    gradeDocuments(grader, {correct, noDeterminer, agreement, damaged, tampered},
                   gradingWorkerCount(), false,
                   [&results](RGradeResult& result) { results.push_back(std::move(result)); });
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0].status, RGradeStatus::Ok) << CGradeReport::textLine(results[0]);
    const auto marked = [](const RGradeResult& result) {
        std::vector<std::string> labels;
        for (const RGradeNote& note : result.offending) {
            labels.push_back(note.label);
            EXPECT_NE(note.note, "") << note.label;
        }
        return labels;
    };
    EXPECT_EQ(results[1].status, RGradeStatus::Flagged);
    EXPECT_EQ(marked(results[1]), std::vector<std::string>{"TP"});
    EXPECT_EQ(results[1].offending[0].node, nodeLabelled(noDeterminer, "TP"));
    EXPECT_EQ(results[2].status, RGradeStatus::Flagged);
    EXPECT_EQ(marked(results[2]), std::vector<std::string>{"T"});
    EXPECT_EQ(results[3].status, RGradeStatus::Failed);
    EXPECT_NE(results[3].reason, "");
    EXPECT_EQ(results[4].status, RGradeStatus::Flagged);
    EXPECT_EQ(marked(results[4]), std::vector<std::string>{"T"});
    EXPECT_EQ(results[4].offending[0].node, nodeLabelled(tampered, "T"));
}
