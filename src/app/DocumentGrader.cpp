#include "app/DocumentGrader.h"

#include "app/DocumentFiles.h"
#include "app/WorkingDocument.h"
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/CScriptNode.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "script/RecordingUserInterface.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace {

constexpr int32_t kGradeCreatorTag = 130;
const char* const kRunTimeErrorTitle = "Run Time Error";
const char* const kStoppedMessage = "The script was stopped because it ran too long.";

// "line L: MESSAGE", the line counted from 1, as the script window shows a compile error.
std::string compileProblem(const CScript& script) {
    std::string text = compileErrorText(script.lastCompileErrorCode());
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return "line " + std::to_string(script.lastCompileErrorLine() + 1) + ": " + text;
}

// The names of one kind of name record (categories or features), in the database's order.
std::vector<std::pair<int32_t, std::string>> namesOf(CTree& tree, int32_t type) {
    std::vector<std::pair<int32_t, std::string>> names;
    int32_t record = 0;
    RErr err = tree.getFirstName(type, record);
    // A damaged list could loop; no list is longer than the table has records.
    for (int32_t guard = tree.recordCount(); record != 0 && !err && guard > 0; --guard) {
        const CRString* name = nullptr;
        err = tree.getNameString(record, name);
        if (!err)
            names.emplace_back(record, name->str());
        if (!err)
            err = tree.getNextName(record, record);
    }
    return names;
}

// The features a compiled script reads or sets, and the texts of its literals: everything
// it runs lives in the bodies of its functions.
void namesInScript(const CScript& script, std::set<int32_t>& featureRecords,
                   std::set<std::string>& literals) {
    const CSymbolTable* table = script.symbolTable();
    if (!table)
        return;
    std::vector<const CScriptNode*> pending;
    for (int32_t bucket = 0; bucket < CSymbolTable::kBucketCount; ++bucket)
        for (const CSymbol* symbol = table->bucketHead(bucket); symbol; symbol = symbol->getNext())
            if (symbol->getSymbolType() == kSymbolUserFnc && symbol->getSymbolBody())
                pending.push_back(symbol->getSymbolBody());
    // A walk with a list of its own: statement lists can be long chains.
    while (!pending.empty()) {
        const CScriptNode* node = pending.back();
        pending.pop_back();
        if (node->symbol() && node->symbol()->getSymbolType() == kSymbolAttribu)
            featureRecords.insert(node->symbol()->getSymbolValue());
        if (node->text())
            literals.insert(node->text()->str());
        if (node->left())
            pending.push_back(node->left());
        if (node->right())
            pending.push_back(node->right());
    }
}

bool isUserFunction(CScript& script, const std::string& name) {
    CSymbol* symbol = nullptr;
    if (script.symbolTable())
        script.symbolTable()->findASymbol(CRString(name, kGradeCreatorTag), nullptr, symbol);
    return symbol && symbol->getSymbolType() == kSymbolUserFnc;
}

// The function of the first author-menu item with exactly this title; "" when none.
std::string functionOfMenuItem(CScript& script, const std::string& title) {
    for (int32_t number = 1; number <= CMiddleInterface::kMostMenus; ++number) {
        const CMiddleInterface::RMenu* menu = script.middleInterface().menu(number);
        if (!menu)
            continue;
        for (const CMiddleInterface::RMenuItem& item : menu->items)
            if (!item.divider && item.label == title)
                return item.functionName;
    }
    return std::string();
}

// The script reports through these; the grader must hear them and nothing may reach the
// screen or standard output.
void quietenScript(CScript& script, RecordingUserInterface& userInterface) {
    script.setTraceOutput(nullptr);
    script.middleInterface().setTraceOutput(nullptr);
    script.middleInterface().installCRamexApp(&userInterface);
}

// Puts the grammar's script in place of the document's own, and clears the marks a
// previous check left in the file, in a set-up step that leaves no undo history.
RErr replaceScript(CTree& tree, const std::string& scriptText) {
    CUndoStructure& undo = tree.undoStructure();
    RErr err = undo.startTaskList(kLabelNeverUndoable);
    if (!err)
        err = tree.setMainString(kHeaderRecord, CRString(scriptText, kGradeCreatorTag));
    if (!err)
        err = tree.turnOffAllOffendingNodes();
    const RErr finishErr = undo.finishTaskList();
    if (!err)
        err = finishErr;
    if (!err)
        err = undo.zeroOut();
    return err;
}

// The program sends the open hook once a document is ready for work; what the check sees
// (the script's variables, say) must be what it would see there. Whatever the hook shows is
// not part of the grade.
RErr sendOpenHook(CTree& tree) {
    CScript& script = *tree.script();
    if (!script.isHookRegistered(CScript::kHookOpen))
        return kNoErr;
    CUndoStructure& undo = tree.undoStructure();
    RErr err = undo.startTaskList(kLabelNeverUndoable);
    bool exists = false;
    bool answer = false;
    if (!err)
        script.callInternalMessage(CScript::kHookOpen, 0, 0, exists, answer);
    if (!err)
        err = undo.finishTaskList();
    if (!err)
        err = undo.zeroOut();
    return err;
}

} // namespace

// What the person at the screen would have seen during the check, in order.
struct CDocumentGrader::RRunEvents {
    std::vector<std::string> messages;
    std::vector<std::string> runTimeErrors;
    std::map<int32_t, std::string> popUps; // the last note shown at each node
    std::size_t lastAlert = 0;             // 1 + the index in messages of the last alert
};

RGradeResult::RGradeResult() = default;
RGradeResult::~RGradeResult() = default;
RGradeResult::RGradeResult(RGradeResult&& other) noexcept = default;
RGradeResult& RGradeResult::operator=(RGradeResult&& other) noexcept = default;

CDocumentGrader::CDocumentGrader() : stepBudget(CScript::kDefaultStepBudget) {}

CDocumentGrader::~CDocumentGrader() = default;

CDocumentGrader::RSetUpFault CDocumentGrader::setUp(const std::string& grammarPath,
                                                    const std::string& call,
                                                    const std::string& menuTitle,
                                                    std::string& problem) {
    std::unique_ptr<CTree> grammar;
    if (openDocument(grammarPath, grammar, problem))
        return RSetUpFault::Grammar;
    CScript& script = *grammar->script();
    RecordingUserInterface userInterface;
    quietenScript(script, userInterface);
    const RErr err = prepareWorkingDocument(*grammar, false);
    if (err == kErrScriptCompile) {
        problem = compileProblem(script);
        return RSetUpFault::Grammar;
    }
    if (err) {
        problem = "The script cannot be compiled (" + std::to_string(err) + ").";
        return RSetUpFault::Grammar;
    }
    function = call.empty() ? functionOfMenuItem(script, menuTitle) : call;
    if (!call.empty() && !isUserFunction(script, call)) {
        problem = "the grammar's script has no function named " + call;
        return RSetUpFault::NoFunction;
    }
    if (call.empty() && function.empty()) {
        problem = "the grammar has no menu item titled \"" + menuTitle + "\"";
        return RSetUpFault::NoFunction;
    }
    if (!isUserFunction(script, function)) {
        problem = "the menu item \"" + menuTitle + "\" runs " + function +
                  ", which the grammar's script does not define";
        return RSetUpFault::NoFunction;
    }

    const CRString* text = nullptr;
    if (!grammar->getMainString(kHeaderRecord, text) && text)
        scriptText = text->str();
    std::set<int32_t> featureRecords;
    std::set<std::string> literals;
    namesInScript(script, featureRecords, literals);
    features.clear();
    for (const auto& [record, name] : namesOf(*grammar, kRecordFeature))
        if (featureRecords.count(record))
            features.push_back(name);
    // A script names a category by its name in a string.
    categories.clear();
    for (const auto& [record, name] : namesOf(*grammar, kRecordCategory))
        if (literals.count(name))
            categories.push_back(name);
    return RSetUpFault::None;
}

RErr CDocumentGrader::openDocument(const std::string& path, std::unique_ptr<CTree>& tree,
                                   std::string& problem) const {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        problem = "The file cannot be found.";
        return kErrFileSystem;
    }
    if (!std::ifstream(path, std::ios::binary).good()) {
        problem = "The file cannot be read.";
        return kErrFileSystem;
    }
    CFileDescriptor file(path);
    const RErr err = loadDatabaseFile(file, tree);
    if (err) {
        // Damaged or cut short, it is no longer a file of ours.
        problem = versionMessage(
            err == kErrOlderVersion || err == kErrNewerVersion ? err : kErrInvalidFormat);
    }
    return err;
}

// Names are matched as the script matches them: features as names of the script, ignoring
// letter case and accents; categories exactly, as the script's category functions do.
std::string CDocumentGrader::missingNames(CTree& tree) const {
    std::string missing;
    const auto have = namesOf(tree, kRecordFeature);
    for (const std::string& feature : features) {
        bool found = false;
        for (const auto& entry : have)
            found = found ||
                    CRString::equalString(CRString(feature, kGradeCreatorTag),
                                          CRString(entry.second, kGradeCreatorTag), true, true);
        if (!found)
            missing += std::string(missing.empty() ? "" : ", ") + "feature \"" + feature + "\"";
    }
    const auto categoryNames = namesOf(tree, kRecordCategory);
    for (const std::string& category : categories) {
        bool found = false;
        for (const auto& entry : categoryNames)
            found = found || entry.second == category;
        if (!found)
            missing += std::string(missing.empty() ? "" : ", ") + "category \"" + category + "\"";
    }
    return missing;
}

RGradeResult CDocumentGrader::grade(const std::string& documentPath, bool keepTree) const {
    RGradeResult result;
    result.document = documentPath;
    RRunEvents events;
    bool running = false;
    RecordingPlatform platform;
    platform.onCall = [&](const RecordingPlatform::Call& call) {
        if (call.kind == RecordingPlatform::Kind::BugReport) {
            result.bugReports.push_back(call.text);
        } else if (running && call.kind == RecordingPlatform::Kind::Message) {
            if (call.title == kRunTimeErrorTitle) {
                events.runTimeErrors.push_back(call.text);
            } else {
                events.messages.push_back(call.text);
                events.lastAlert = events.messages.size();
            }
        }
    };
    // Whatever the check shows goes to this document's own recorder.
    ScopedPlatform installed(platform);
    std::unique_ptr<CTree> tree;
    std::string problem;
    if (openDocument(documentPath, tree, problem)) {
        // A damaged file is ordinary input: the reason says it all.
        result.reason = problem;
        result.bugReports.clear();
    } else if (const std::string missing = missingNames(*tree); !missing.empty()) {
        result.reason = "The document lacks what the grammar's check needs: " + missing + ".";
    } else {
        CScript& script = *tree->script();
        RecordingUserInterface userInterface;
        quietenScript(script, userInterface);
        RErr err = replaceScript(*tree, scriptText);
        RErr compileErr = kNoErr;
        if (!err)
            compileErr = prepareWorkingDocument(*tree, false);
        script.setStepBudget(stepBudget);
        if (!err && !compileErr)
            err = sendOpenHook(*tree);
        if (compileErr == kErrScriptCompile) {
            result.reason = "The grammar's script does not compile with this document's names: " +
                            compileProblem(script);
        } else if (err || compileErr) {
            result.reason =
                "The document cannot be prepared (" + std::to_string(err ? err : compileErr) + ").";
        } else {
            userInterface.onRequest = [&events](const RecordingUserInterface::Request& request) {
                if (request.kind == RecordingUserInterface::Kind::Message)
                    events.messages.push_back(request.text);
                else if (request.kind == RecordingUserInterface::Kind::PopUp)
                    events.popUps[request.first] = request.text;
            };
            running = true;
            err = runCheck(*tree);
            running = false;
            userInterface.onRequest = nullptr;
            judge(*tree, err, events, result);
        }
        script.middleInterface().installCRamexApp(nullptr);
    }
    platform.onCall = nullptr;
    if (keepTree)
        result.tree = std::move(tree);
    return result;
}

RErr CDocumentGrader::runCheck(CTree& tree) const {
    CScript& script = *tree.script();
    CUndoStructure& undo = tree.undoStructure();
    RErr err = undo.startTaskList(kLabelMenu);
    if (!err)
        err = script.executeAuthorDefinedMenuCommand(CRString(function, kGradeCreatorTag));
    const RErr finishErr = undo.finishTaskList();
    return err ? err : finishErr;
}

void CDocumentGrader::judge(CTree& tree, RErr err, RRunEvents& events, RGradeResult& result) const {
    result.messages = events.messages;
    if (tree.script()->lastCallWasStopped()) {
        // The stop is said in an alert of its own, the last one; it is the reason.
        result.reason = kStoppedMessage;
        if (events.lastAlert > 0) {
            result.reason = result.messages[events.lastAlert - 1];
            result.messages.erase(result.messages.begin() +
                                  static_cast<std::ptrdiff_t>(events.lastAlert - 1));
        }
        return;
    }
    if (!events.runTimeErrors.empty()) {
        result.reason = events.runTimeErrors.front();
        return;
    }
    if (err) {
        result.reason = "The check could not be run (" + std::to_string(err) + ").";
        return;
    }
    int32_t node = 0;
    err = tree.getFirstRoot(node);
    for (int32_t guard = tree.recordCount(); node != 0 && !err && guard > 0; --guard) {
        int32_t marked = 0;
        err = tree.getOffendingNodeValue(node, marked);
        const CRString* label = nullptr;
        if (!err && marked != 0)
            err = tree.getLabel(node, label);
        if (!err && marked != 0)
            result.offending.push_back(
                {node, label ? label->str() : std::string(), events.popUps[node]});
        if (!err)
            err = tree.getNextNode(node, 0, node);
    }
    if (err) {
        result.offending.clear();
        result.reason = "The marks cannot be read (" + std::to_string(err) + ").";
        return;
    }
    result.status = result.offending.empty() ? RGradeStatus::Ok : RGradeStatus::Flagged;
}
