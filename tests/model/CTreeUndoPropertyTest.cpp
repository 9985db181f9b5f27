#include "support/TreeTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Drives a database with random commands made of change primitives, keeping the state
// after every command as the model of what undo and redo must give back.
class RandomEditor {
public:
    explicit RandomEditor(uint32_t seed) : random(seed) {
        EXPECT_EQ(tree.createTree(true), kNoErr);
        states.push_back(captureState(tree));
    }

    void runCommand() {
        const RErr err = inStep(tree, kLabelMenu, [&] {
            RErr stepErr = kNoErr;
            const int steps = pick(1, 6);
            for (int i = 0; i < steps && !stepErr; ++i, ++stepsRun)
                stepErr = randomStep();
            return stepErr;
        });
        ASSERT_EQ(err, kNoErr);
        ++commandsRun;
        states.resize(position + 1);
        states.push_back(captureState(tree));
        ++position;
        checkAgainstModel();
    }

    void undoSome() {
        for (int n = pick(1, 4); n > 0 && position > 0; --n) {
            ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
            --position;
            checkAgainstModel();
        }
    }

    void redoSome() {
        for (int n = pick(1, 4); n > 0 && position + 1 < states.size(); --n) {
            ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
            ++position;
            checkAgainstModel();
        }
    }

    void undoEverythingThenRedoEverything() {
        while (position > 0) {
            ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
            --position;
        }
        checkAgainstModel();
        bool can = true;
        tree.undoStructure().canUndo(can);
        EXPECT_FALSE(can);
        while (position + 1 < states.size()) {
            ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
            ++position;
        }
        checkAgainstModel();
        tree.undoStructure().canRedo(can);
        EXPECT_FALSE(can);
    }

    int commandsRun = 0;
    int stepsRun = 0;

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void checkAgainstModel() {
        ASSERT_TRUE(sameStateAllowingGrowth(states[position], captureState(tree)))
            << "after reaching command " << position;
        ASSERT_TRUE(stringsAreConsistent(tree));
    }

    std::vector<int32_t> liveRecords() {
        std::vector<int32_t> live;
        for (int32_t r = 2; r <= tree.recordCount(); ++r) {
            const int32_t type = tree.tablet().cell(r, kAttrType);
            if (type >= kRecordNode && type <= kRecordFeature)
                live.push_back(r);
        }
        return live;
    }

    RErr randomStep() {
        const std::vector<int32_t> live = liveRecords();
        const int kind = live.empty() ? 0 : pick(0, 9);
        if (kind == 0) {
            int32_t record = 0;
            return tree.newRecord(record, kRecordNode);
        }
        if (kind == 1) {
            int32_t record = 0;
            return tree.newName(pick(0, 1) ? kRecordCategory : kRecordFeature, record);
        }
        const int32_t record = live[static_cast<std::size_t>(pick(0, int(live.size()) - 1))];
        if (kind <= 4) {
            static const int32_t attributes[] = {4,  9,  10, 11, 12, 15, 16, 20, 21, 22, 23,
                                                 24, 25, 26, 27, 31, 35, 36, 41, 43, 47, 51};
            const int32_t attribute = attributes[pick(0, int(std::size(attributes)) - 1)];
            return tree.dataTask(record, attribute, pick(-3, 40));
        }
        if (kind <= 7) {
            std::vector<int32_t> stringAttributes = {kAttrLabel, kAttrSubscript, kAttrCitationForm};
            for (int32_t a = kFirstFeatureSlot; a <= tree.attributeCount(); ++a)
                stringAttributes.push_back(a);
            const int32_t attribute = stringAttributes[static_cast<std::size_t>(
                pick(0, int(stringAttributes.size()) - 1))];
            if (pick(0, 4) == 0)
                return tree.stringTask(record, attribute, nullptr);
            const CRString text("t" + std::to_string(pick(0, 30)) + "\xC3\xA4", 1);
            return tree.stringTask(record, attribute, &text);
        }
        return clearAndDiscard(record);
    }

    RErr clearAndDiscard(int32_t record) {
        RErr err = kNoErr;
        for (int32_t a = 2; a <= tree.attributeCount() && !err; ++a) {
            if (a == kAttrFishSpine || tree.tablet().cell(record, a) == 0)
                continue;
            err = isStringAttribute(a) ? tree.killStringField(record, a)
                                       : tree.dataTask(record, a, 0);
        }
        return err ? err : tree.discardRecord(record);
    }

    std::mt19937 random;
    CTree tree;
    std::vector<DatabaseState> states;
    std::size_t position = 0;
};

} // namespace

TEST(CTreeUndo, RandomCommandsUndoAndRedoToExactlyTheRecordedStates) {
    RecordingPlatformScope platform;
    for (const uint32_t seed : {1u, 7u, 2026u}) {
        SCOPED_TRACE(seed);
        RandomEditor editor(seed);
        std::mt19937 schedule(seed * 31 + 5);
        for (int round = 0; round < 1500; ++round) {
            const auto action = std::uniform_int_distribution<int>(0, 9)(schedule);
            if (action < 6)
                editor.runCommand();
            else if (action < 8)
                editor.undoSome();
            else
                editor.redoSome();
            if (::testing::Test::HasFatalFailure())
                return;
        }
        editor.undoEverythingThenRedoEverything();
        EXPECT_GT(editor.stepsRun, 2000);
    }
    // No string entry was ever freed twice, nor any other failure reported.
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}
