#include "ScriptTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kTestCreatorTag = 150;

template <typename Body> void unrecorded(CTree& tree, Body body) {
    ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
    body();
    ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    ASSERT_EQ(tree.undoStructure().zeroOut(), kNoErr);
}

} // namespace

ScriptFixture::ScriptFixture(const std::vector<std::string>& names) {
    EXPECT_EQ(tree.createTree(false), kNoErr);
    script().setTraceOutput(nullptr);
    unrecorded(tree, [&] {
        for (const std::string& name : names) {
            int32_t record = 0;
            ASSERT_EQ(tree.newName(kRecordFeature, record), kNoErr);
            ASSERT_EQ(tree.setMainString(record, CRString(name, kTestCreatorTag)), kNoErr);
            features.emplace_back(name, record);
        }
    });
}

void ScriptFixture::setText(const std::string& text) {
    unrecorded(tree, [&] {
        ASSERT_EQ(tree.setMainString(kHeaderRecord, CRString(text, kTestCreatorTag)), kNoErr);
    });
}

RErr ScriptFixture::compile(const std::string& text, bool studentMode) {
    setText(text);
    return script().parseScript(studentMode);
}

int32_t ScriptFixture::featureRecord(const std::string& name) const {
    for (const auto& [featureName, record] : features)
        if (featureName == name)
            return record;
    return 0;
}
