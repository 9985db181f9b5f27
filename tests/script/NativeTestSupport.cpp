#include "NativeTestSupport.h"

#include "model/TreeAttributes.h"
#include "script/CStackFrame.h"
#include "script/NativeFunctionTable.h"
#include "undo/UndoLabels.h"

namespace {

constexpr int32_t kTestArgumentCreatorTag = 151;

} // namespace

void NativeTest::SetUp() {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    script().setTraceOutput(&trace);
    middle().setTraceOutput(nullptr);
    middle().installCRamexApp(&ui);
}

void NativeTest::TearDown() {
    middle().installCRamexApp(nullptr);
}

int32_t NativeTest::build(const std::string& shape) {
    int32_t root = 0;
    EXPECT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = buildTree(tree, shape, root, nodes);
                         if (!err)
                             err = tree.setWhereIsTree(root, kTreeOnWorkArea);
                         return err;
                     }),
              kNoErr);
    return root;
}

std::string NativeTest::labelOf(int32_t record) {
    return cellText(tree, record, kAttrLabel);
}

CRString NativeTest::perform(const std::string& name, const std::vector<RArg>& args, RErr& err) {
    const int32_t number = nativeNumber(name);
    EXPECT_NE(number, 0) << name;
    CStackFrame frame(static_cast<int32_t>(args.size()));
    for (std::size_t i = 0; i < args.size(); ++i)
        EXPECT_EQ(frame.setField(static_cast<int32_t>(i + 1),
                                 CRString(args[i].text, kTestArgumentCreatorTag)),
                  kNoErr);
    err = script().performNativeFunction(number, frame);
    const CRString* result = nullptr;
    EXPECT_EQ(frame.getField(0, result), kNoErr);
    return result ? *result : CRString(kTestArgumentCreatorTag);
}

CRString NativeTest::run(const std::string& name, const std::vector<RArg>& args) {
    CRString result(kTestArgumentCreatorTag);
    EXPECT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         result = perform(name, args, lastErr);
                         return kNoErr;
                     }),
              kNoErr);
    return result;
}

CRString NativeTest::runUndoable(const std::string& name, const std::vector<RArg>& args) {
    CRString result(kTestArgumentCreatorTag);
    expectStepUndoesAndRedoes(tree, [&] {
        result = perform(name, args, lastErr);
        return kNoErr;
    });
    return result;
}

std::vector<std::string> NativeTest::runTimeErrors() const {
    std::vector<std::string> texts;
    for (const RecordingPlatform::Call& call :
         platform.recorder.callsOfKind(RecordingPlatform::Kind::Message))
        if (call.title == "Run Time Error")
            texts.push_back(call.text);
    return texts;
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
