// Any file must open as a document or be refused with a code, and an opened one must go all
// the way a student's document goes: checked, prepared for student mode, laid out, its script
// compiled and its "open" hook run. Never crash, hang, overflow or leak.
#include "FuzzScratchFile.h"
#include "app/DocumentFiles.h"
#include "app/WorkingDocument.h"
#include "base/RecordingPlatform.h"
#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// Every tree laid out and drawn with fixed metrics, as the layout command does.
void layOut(CTree& tree) {
    FixedMetricsDevice device(7, 12);
    device.setRecording(false);
    CPort port(&device);
    const CRString* face = nullptr;
    RErr err = tree.getAnyString(kHeaderRecord, kHdrFontName, face);
    if (!err && face)
        err = port.setFont(face->str(), tree.fontSize);
    if (!err)
        err = tree.setTreePort(&port);
    port.suspendDrawing();
    int32_t root = 0;
    if (!err)
        err = tree.getFirstRoot(root);
    for (; root != 0 && !err; err = tree.getNextRoot(root, root))
        err = tree.drawTree(root, true);
    tree.setTreePort(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RecordingPlatform platform;
    static const bool installed = (installPlatform(&platform), true);
    (void)installed;
    platform.clear();
    static const std::string path = fuzzScratchPath("document");
    writeFuzzInput(path, data, size);

    std::unique_ptr<CTree> tree;
    {
        CFileDescriptor file(path);
        if (loadDatabaseFile(file, tree) != kNoErr) {
            if (tree)
                std::abort();
            return 0;
        }
        if (file.isOpenNow())
            std::abort();
    }
    CScript& script = *tree->script();
    script.setTraceOutput(nullptr);
    script.middleInterface().setTraceOutput(nullptr);
    // Small budgets keep each input quick; the budgets themselves are under test too.
    script.setStepBudget(200000);
    script.setTimeLimit(2000);
    const RErr prepared = prepareWorkingDocument(*tree, true);
    layOut(*tree);
    if (prepared == kNoErr && script.isParsed()) {
        CUndoStructure& undo = tree->undoStructure();
        if (undo.startTaskList(kLabelNeverUndoable) != kNoErr)
            std::abort();
        bool exists = false;
        bool answer = false;
        script.callInternalMessage(CScript::kHookOpen, 0, 0, exists, answer);
        if (undo.finishTaskList() != kNoErr)
            std::abort();
        layOut(*tree);
    }
    CRString::garbageCollection();
    return 0;
}
