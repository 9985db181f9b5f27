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

} // namespace

ScriptHarness::ScriptHarness(const Texts& names, bool standardCategories)
    : owned(std::make_unique<CTree>()), tree(*owned) {
    EXPECT_EQ(tree.createTree(standardCategories), kNoErr);
    install();
    unrecorded(tree, [&] {
        for (const std::string& name : names) {
            int32_t record = 0;
            EXPECT_EQ(tree.newName(kRecordFeature, record), kNoErr);
            EXPECT_EQ(tree.setMainString(record, CRString(name, kTag)), kNoErr);
            features.emplace_back(name, record);
        }
    });
}

ScriptHarness::ScriptHarness(FromDocument, const std::string& file)
    : owned(readDocument(file)), tree(*owned) {
    install();
}

void ScriptHarness::install() {
    script().setTraceOutput(nullptr);
    middle().setTraceOutput(nullptr);
    middle().installCRamexApp(&ui);
}

ScriptHarness::~ScriptHarness() {
    middle().installCRamexApp(nullptr);
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

int32_t ScriptHarness::featureRecord(const std::string& name) const {
    for (const auto& [featureName, record] : features)
        if (featureName == name)
            return record;
    return 0;
}

std::string ScriptHarness::featureText(int32_t node, const std::string& feature) {
    const CRString* value = nullptr;
    EXPECT_EQ(tree.getAuthorFeatureValue(node, featureRecord(feature), value), kNoErr);
    return value ? value->str() : std::string();
}

Texts ScriptHarness::boxes(const std::string& title) const {
    Texts texts;
    for (const auto& call : platform.recorder.callsOfKind(RecordingPlatform::Kind::Message))
        if (call.title == title)
            texts.push_back(call.text);
    return texts;
}

Texts ScriptHarness::takeMessages() {
    Texts texts;
    for (const auto& request : ui.requestsOfKind(RecordingUserInterface::Kind::Message))
        texts.push_back(request.text);
    ui.clear();
    return texts;
}

std::vector<int32_t> ScriptHarness::buildTree() {
    int32_t root = 0, a = 0, b = 0, c = 0;
    unrecorded(tree, [&] {
        EXPECT_EQ(tree.newRoot(root), kNoErr);
        EXPECT_EQ(tree.setWhereIsTree(root, kTreeArea), kNoErr);
        EXPECT_EQ(tree.newDaughterToRight(root, a), kNoErr);
        EXPECT_EQ(tree.newDaughterToRight(root, b), kNoErr);
        EXPECT_EQ(tree.newDaughterToLeft(a, c), kNoErr);
    });
    return {root, a, b, c};
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

std::string ScriptHarness::labelOf(int32_t record) {
    return cellText(tree, record, kAttrLabel);
}

CRString ScriptHarness::perform(const std::string& name, const std::vector<RArg>& args, RErr& err) {
    const int32_t number = nativeNumber(name);
    EXPECT_NE(number, 0) << name;
    CStackFrame frame(static_cast<int32_t>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i)
        EXPECT_EQ(frame.setField(static_cast<int32_t>(i + 1), CRString(args[i].text, kTag)),
                  kNoErr);
    err = script().performNativeFunction(number, frame);
    const CRString* result = nullptr;
    EXPECT_EQ(frame.getField(0, result), kNoErr);
    return result ? *result : CRString(kTag);
}

CRString ScriptHarness::call(const std::string& name, const std::vector<RArg>& args) {
    CRString result(kTag);
    EXPECT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         result = perform(name, args, lastErr);
                         return kNoErr;
                     }),
              kNoErr);
    return result;
}

CRString ScriptHarness::callUndoable(const std::string& name, const std::vector<RArg>& args) {
    CRString result(kTag);
    expectStepUndoesAndRedoes(tree, [&] {
        result = perform(name, args, lastErr);
        return kNoErr;
    });
    return result;
}

int32_t nativeNumber(const std::string& name) {
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number)
        if (name == nativeFunction(number)->name)
            return number;
    return 0;
}

std::string nativeErrorText(const std::string& native, const std::string& message) {
    return "A run time error occurred while calling native function \"" + native +
           "\".\r\nError Message: " + message;
}
