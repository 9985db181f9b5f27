#include "ModelTestSupport.h"

#include <iterator>
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
        step(tree, [&] {
            for (int i = pick(1, 6); i > 0; --i, ++stepsRun)
                ASSERT_EQ(randomStep(), kNoErr);
        });
        states.resize(++position);
        states.push_back(captureState(tree));
        checkAgainstModel();
    }

    // Up to `most` undos or redos (all when most is 0), checking each or only the last.
    void move(bool undo, int most, bool checkEach) {
        for (int n = most;
             (most == 0 || n > 0) && (undo ? position > 0 : position + 1 < states.size()); --n) {
            ASSERT_EQ(undo ? tree.undoStructure().undo() : tree.undoStructure().redo(), kNoErr);
            position += undo ? -1 : 1;
            if (checkEach)
                checkAgainstModel();
        }
        checkAgainstModel();
    }
    void moveSome(bool undo) { move(undo, pick(1, 4), true); }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool can(RErr (CUndoStructure::*query)(bool&) const) {
        return ask<bool>(tree.undoStructure(), query);
    }

    int stepsRun = 0;

private:
    void checkAgainstModel() {
        ASSERT_TRUE(sameStateAllowingGrowth(states[position], captureState(tree)))
            << "after reaching command " << position;
        ASSERT_TRUE(stringsAreConsistent(tree));
    }

    RErr randomStep() {
        std::vector<int32_t> live;
        for (int32_t r = 2; r <= tree.recordCount(); ++r) {
            const int32_t type = tree.tablet().cell(r, kAttrType);
            if (type >= kRecordNode && type <= kRecordFeature)
                live.push_back(r);
        }
        const int kind = live.empty() ? 0 : pick(0, 9);
        int32_t made = 0;
        if (kind == 0)
            return tree.newRecord(made, kRecordNode);
        if (kind == 1)
            return tree.newName(pick(0, 1) ? kRecordCategory : kRecordFeature, made);
        const int32_t record = live[static_cast<std::size_t>(pick(0, int(live.size()) - 1))];
        if (kind <= 4) {
            static const int32_t attributes[] = {4,  9,  10, 11, 12, 15, 16, 20, 21, 22, 23,
                                                 24, 25, 26, 27, 31, 35, 36, 41, 43, 47, 51};
            const int32_t attribute = attributes[pick(0, int(std::size(attributes)) - 1)];
            return tree.dataTask(record, attribute, pick(-3, 40));
        }
        if (kind <= 7) {
            std::vector<int32_t> strings = {kAttrLabel, kAttrSubscript, kAttrCitationForm};
            for (int32_t a = kFirstFeatureSlot; a <= tree.attributeCount(); ++a)
                strings.push_back(a);
            const int32_t attribute =
                strings[static_cast<std::size_t>(pick(0, int(strings.size()) - 1))];
            if (pick(0, 4) == 0)
                return tree.stringTask(record, attribute, nullptr);
            const CRString text("t" + std::to_string(pick(0, 30)) + "\xC3\xA4", 1);
            return tree.stringTask(record, attribute, &text);
        }
        // Clear every cell, then discard the record.
        for (int32_t a = 2; a <= tree.attributeCount(); ++a)
            if (a != kAttrFishSpine && tree.tablet().cell(record, a) != 0)
                if (const RErr err = isStringAttribute(a) ? tree.killStringField(record, a)
                                                          : tree.dataTask(record, a, 0))
                    return err;
        return tree.discardRecord(record);
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
            else
                editor.moveSome(action < 8);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        editor.move(true, 0, false);
        EXPECT_FALSE(editor.can(&CUndoStructure::canUndo));
        editor.move(false, 0, false);
        EXPECT_FALSE(editor.can(&CUndoStructure::canRedo));
        EXPECT_GT(editor.stepsRun, 2000);
    }
    // No string entry was ever freed twice, nor any other failure reported.
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}
