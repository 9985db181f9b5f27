#include "ScriptSupport.h"

#include "cli/GrammarTextReader.h"
#include "model/TreeAttributes.h"
#include "script/CStackFrame.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/NativeFunctionTable.h"
#include "support/TestData.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <regex>

namespace {

constexpr int32_t kTag = 151;
constexpr int32_t kTreeArea = 2;

template <typename Body> void unrecorded(CTree& tree, Body body) {
    EXPECT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
    body();
    EXPECT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    EXPECT_EQ(tree.undoStructure().zeroOut(), kNoErr);
}

std::unique_ptr<CTree> readDocument(const std::string& file) {
    const std::string path = testDataFile(file);
    std::unique_ptr<CTree> tree;
    RTextError error;
    if (!readGrammarTextFile(path, RTextTarget::Document, tree, error) || !tree) {
        ADD_FAILURE() << error.describe(path);
        tree = std::make_unique<CTree>();
        EXPECT_EQ(tree->createTree(false), kNoErr);
    }
    return tree;
}

// "E user/native: message" for a run-time error box; any other text is kept whole after "E? ".
std::string runTimeError(const std::string& text) {
    static const std::regex box("A run time error occurred(?: in the user function \"([^\"]*)\")?"
                                "(?: while calling native function \"([^\"]*)\")?\\.\r\n"
                                "Error Message: (.*)");
    std::smatch parts;
    return std::regex_match(text, parts, box)
               ? "E " + parts.str(1) + "/" + parts.str(2) + ": " + parts.str(3)
               : "E? " + text;
}

} // namespace

ScriptHarness::ScriptHarness(const std::vector<std::string>& names, bool standardCategories)
    : owned(std::make_unique<CTree>()), tree(*owned) {
    EXPECT_EQ(tree.createTree(standardCategories), kNoErr);
    install();
    unrecorded(tree, [&] {
        for (const std::string& name : names) {
            int32_t record = 0;
            EXPECT_EQ(tree.newName(kRecordFeature, record), kNoErr);
            EXPECT_EQ(tree.setMainString(record, CRString(name, kTag)), kNoErr);
            features[name] = record;
        }
    });
}

void ScriptHarness::install() {
    script().setTraceOutput(nullptr);
    middle().setTraceOutput(nullptr);
    middle().installCRamexApp(&ui);
}

ScriptHarness::ScriptHarness(FromDocument, const std::string& file)
    : owned(readDocument(file)), tree(*owned) {
    install();
}

void ScriptHarness::setText(const std::string& text) {
    unrecorded(tree,
               [&] { EXPECT_EQ(tree.setMainString(kHeaderRecord, CRString(text, kTag)), kNoErr); });
}

RErr ScriptHarness::compile(const std::string& text, bool studentMode) {
    setText(text);
    RErr err = kNoErr;
    unrecorded(tree, [&] { err = script().parseScript(studentMode); });
    return err;
}

RErr ScriptHarness::run(const std::string& functionName) {
    EXPECT_EQ(undo().startTaskList(kLabelMenu), kNoErr);
    const RErr err = script().executeAuthorDefinedMenuCommand(CRString(functionName, kTag));
    EXPECT_EQ(undo().finishTaskList(), kNoErr);
    return err;
}

std::string ScriptHarness::exec(const std::string& text, const std::string& function,
                                const std::string& names) {
    EXPECT_EQ(compile(text), kNoErr);
    EXPECT_EQ(run(function), kNoErr);
    return show(names);
}

std::string ScriptHarness::global(const std::string& name) {
    CSymbol* symbol = nullptr;
    if (script().symbolTable())
        script().symbolTable()->findASymbol(CRString(name, kTag), nullptr, symbol);
    EXPECT_NE(symbol, nullptr) << name;
    return symbol ? symbol->getSymbolStringValue().str() : std::string();
}

void ScriptHarness::setGlobal(const std::string& name, int32_t value) {
    CSymbol* symbol = nullptr;
    script().symbolTable()->findASymbol(CRString(name, kTag), nullptr, symbol);
    ASSERT_NE(symbol, nullptr) << name;
    CRString text(kTag);
    text.setNumericValue(value);
    symbol->setSymbolStringValue(text);
}

std::string ScriptHarness::show(const std::string& names) {
    std::istringstream words(names);
    std::string out;
    for (std::string name; words >> name;)
        out += (out.empty() ? "" : " ") + name + "=" + global(name);
    const std::string reports = take();
    return reports.empty() ? out : out + " | " + reports;
}

std::string ScriptHarness::take() {
    using Kind = RecordingPlatform::Kind;
    std::string out;
    const auto add = [&](const std::string& item) { out += (out.empty() ? "" : " | ") + item; };
    for (const RecordingPlatform::Call& call : platform.recorder.calls()) {
        if (call.kind == Kind::BugReport)
            add("bug: " + call.text);
        else if (call.kind == Kind::Message)
            add(call.title == "Run Time Error" ? runTimeError(call.text)
                : call.title.empty()           ? "!" + call.text
                                               : call.title + ": " + call.text);
        else if (call.kind == Kind::Beep)
            add("beep");
        else if (call.kind == Kind::Pause)
            add("pause " + std::to_string(call.number));
        else
            add((call.kind == Kind::Ask ? "ask: " : "other: ") + call.text);
    }
    for (const RecordingUserInterface::Request& request : ui.requests()) {
        if (request.kind == RecordingUserInterface::Kind::Message)
            add("msg: " + request.text);
        else if (request.kind == RecordingUserInterface::Kind::PopUp)
            add("pop-up " + std::to_string(request.first) + ": " + request.text);
    }
    if (!trace.str().empty())
        add("trace: " + trace.str());
    platform.recorder.clear();
    ui.clear();
    trace.str("");
    return out;
}

int32_t ScriptHarness::buildTree(const std::string& shape) {
    int32_t root = 0;
    unrecorded(tree, [&] {
        EXPECT_EQ(::buildTree(tree, shape, root, nodes), kNoErr);
        EXPECT_EQ(tree.setWhereIsTree(root, kTreeArea), kNoErr);
    });
    return root;
}

int32_t ScriptHarness::build(const std::string& shape) {
    int32_t root = 0;
    EXPECT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = ::buildTree(tree, shape, root, nodes);
                         return err ? err : tree.setWhereIsTree(root, kTreeOnWorkArea);
                     }),
              kNoErr);
    return root;
}

int32_t nativeNumber(const std::string& name) {
    int32_t number = 1;
    while (number <= kNativeFunctionCount && name != nativeFunction(number)->name)
        ++number;
    EXPECT_LE(number, kNativeFunctionCount) << name;
    return number;
}

CRString ScriptHarness::call(const std::string& name, const std::vector<std::string>& args,
                             bool checkUndo) {
    const int32_t number = nativeNumber(name);
    CStackFrame frame(static_cast<int32_t>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i)
        EXPECT_EQ(frame.setField(static_cast<int32_t>(i + 1), CRString(args[i], kTag)), kNoErr);
    const auto perform = [&] {
        lastErr = script().performNativeFunction(number, frame);
        return kNoErr;
    };
    if (checkUndo)
        expectStepUndoesAndRedoes(tree, perform);
    else
        EXPECT_EQ(inStep(tree, kLabelMenu, perform), kNoErr);
    const CRString* result = nullptr;
    EXPECT_EQ(frame.getField(0, result), kNoErr);
    return result ? *result : CRString(kTag);
}
