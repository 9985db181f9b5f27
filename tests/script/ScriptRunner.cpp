#include "ScriptRunner.h"

#include "script/CMiddleInterface.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kRunnerCreatorTag = 151;
constexpr int32_t kTreeArea = 2;

} // namespace

ScriptRunner::ScriptRunner(const std::vector<std::string>& features) : fixture(features) {
    script().middleInterface().installCRamexApp(&ui);
    script().middleInterface().setTraceOutput(nullptr);
}

RErr ScriptRunner::compile(const std::string& text, bool studentMode) {
    fixture.setText(text);
    CUndoStructure& undo = database().undoStructure();
    EXPECT_EQ(undo.startTaskList(kLabelNeverUndoable), kNoErr);
    const RErr err = script().parseScript(studentMode);
    EXPECT_EQ(undo.finishTaskList(), kNoErr);
    EXPECT_EQ(undo.zeroOut(), kNoErr);
    return err;
}

RErr ScriptRunner::run(const std::string& functionName) {
    CUndoStructure& undo = database().undoStructure();
    EXPECT_EQ(undo.startTaskList(kLabelMenu), kNoErr);
    const RErr err =
        script().executeAuthorDefinedMenuCommand(CRString(functionName, kRunnerCreatorTag));
    EXPECT_EQ(undo.finishTaskList(), kNoErr);
    return err;
}

std::string ScriptRunner::global(const std::string& name) {
    CSymbol* symbol = nullptr;
    if (script().symbolTable())
        script().symbolTable()->findASymbol(CRString(name, kRunnerCreatorTag), nullptr, symbol);
    EXPECT_NE(symbol, nullptr) << name;
    return symbol ? symbol->getSymbolStringValue().str() : std::string();
}

void ScriptRunner::setGlobal(const std::string& name, int32_t value) {
    CSymbol* symbol = nullptr;
    script().symbolTable()->findASymbol(CRString(name, kRunnerCreatorTag), nullptr, symbol);
    ASSERT_NE(symbol, nullptr) << name;
    CRString text(kRunnerCreatorTag);
    text.setNumericValue(value);
    symbol->setSymbolStringValue(text);
}

std::vector<std::string> ScriptRunner::runTimeErrors() const {
    std::vector<std::string> texts;
    for (const auto& call : platform.recorder.callsOfKind(RecordingPlatform::Kind::Message))
        if (call.title == "Run Time Error")
            texts.push_back(call.text);
    return texts;
}

std::vector<std::string> ScriptRunner::alerts() const {
    std::vector<std::string> texts;
    for (const auto& call : platform.recorder.callsOfKind(RecordingPlatform::Kind::Message))
        if (call.title.empty())
            texts.push_back(call.text);
    return texts;
}

std::vector<int32_t> ScriptRunner::buildTree() {
    CUndoStructure& undo = database().undoStructure();
    int32_t root = 0, a = 0, b = 0, c = 0;
    EXPECT_EQ(undo.startTaskList(kLabelNeverUndoable), kNoErr);
    EXPECT_EQ(database().newRoot(root), kNoErr);
    EXPECT_EQ(database().setWhereIsTree(root, kTreeArea), kNoErr);
    EXPECT_EQ(database().newDaughterToRight(root, a), kNoErr);
    EXPECT_EQ(database().newDaughterToRight(root, b), kNoErr);
    EXPECT_EQ(database().newDaughterToLeft(a, c), kNoErr);
    EXPECT_EQ(undo.finishTaskList(), kNoErr);
    EXPECT_EQ(undo.zeroOut(), kNoErr);
    return {root, a, b, c};
}

std::string ScriptRunner::featureText(int32_t node, const std::string& feature) {
    const CRString* value = nullptr;
    EXPECT_EQ(database().getAuthorFeatureValue(node, fixture.featureRecord(feature), value),
              kNoErr);
    return value ? value->str() : std::string();
}
