// Any text must compile or fail with a compile error: never crash, hang or leak.
#include "base/RecordingPlatform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr int32_t kFuzzCreatorTag = 157;

struct FuzzGrammar {
    FuzzGrammar() {
        bool ok = tree.createTree(true) == kNoErr;
        tree.script()->setTraceOutput(nullptr);
        ok = ok && tree.undoStructure().startTaskList(kLabelNeverUndoable) == kNoErr;
        for (const char* feature : {"case", "Mother", "if"}) {
            int32_t record = 0;
            ok = ok && tree.newName(kRecordFeature, record) == kNoErr;
            ok = ok && tree.setMainString(record, CRString(feature, kFuzzCreatorTag)) == kNoErr;
        }
        ok = ok && tree.undoStructure().finishTaskList() == kNoErr;
        if (!ok)
            std::abort();
    }

    RecordingPlatform platform;
    ScopedPlatform scope{platform};
    CTree tree;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzGrammar grammar;
    // The first byte chooses the mode; the rest is the script.
    const bool studentMode = size > 0 && (data[0] & 1);
    const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                           size > 0 ? size - 1 : 0);
    CTree& tree = grammar.tree;
    if (tree.undoStructure().startTaskList(kLabelNeverUndoable) != kNoErr ||
        tree.setMainString(kHeaderRecord, CRString(text, kFuzzCreatorTag)) != kNoErr ||
        tree.undoStructure().finishTaskList() != kNoErr || tree.undoStructure().zeroOut() != kNoErr)
        std::abort();
    // A compile for a working document changes the tool palette, undoably: it runs inside a
    // step of its own, as when a document is opened.
    if (tree.undoStructure().startTaskList(kLabelNeverUndoable) != kNoErr)
        std::abort();
    const RErr err = tree.script()->parseScript(studentMode);
    if (tree.undoStructure().finishTaskList() != kNoErr || tree.undoStructure().zeroOut() != kNoErr)
        std::abort();
    const int32_t code = tree.script()->lastCompileErrorCode();
    // A compile succeeds with code 0 or fails with 1011 and a code from 1 to 21.
    if (!(err == kNoErr && code == 0) && !(err == kErrScriptCompile && code >= 1 && code <= 21))
        std::abort();
    if (err != kNoErr && tree.script()->symbolTable() != nullptr)
        std::abort();
    grammar.platform.clear();
    CRString::garbageCollection();
    return 0;
}
