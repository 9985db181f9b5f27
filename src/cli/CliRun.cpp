#include "cli/CliRun.h"

#include "app/WorkingDocument.h"
#include "base/RecordingPlatform.h"
#include "cli/CliCommand.h"
#include "cli/GrammarTextReader.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

constexpr int32_t kRunCreatorTag = 129;

struct RRunOptions {
    std::string file;
    std::string call;
    std::string hook;
    std::string hookArguments;
    std::string answers;
    std::string output;
    bool undo = false;
};

const char* const kUsage = "run needs FILE --call NAME [--undo] [-o OUT] or FILE --hook HOOK "
                           "[--args N,M], and optionally --answers FILE";

bool parseOptions(const std::vector<std::string>& arguments, RRunOptions& options) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        std::string* target = nullptr;
        if (word == "--call")
            target = &options.call;
        else if (word == "--hook")
            target = &options.hook;
        else if (word == "--args")
            target = &options.hookArguments;
        else if (word == "--answers")
            target = &options.answers;
        else if (word == "-o")
            target = &options.output;
        if (target) {
            if (!hasValue || !target->empty())
                return false;
            *target = arguments[++i];
        } else if (word == "--undo" && !options.undo) {
            options.undo = true;
        } else if (word.empty() || word[0] == '-' || !options.file.empty()) {
            return false;
        } else {
            options.file = word;
        }
    }
    const bool oneTask = options.call.empty() != options.hook.empty();
    return !options.file.empty() && oneTask &&
           (options.hookArguments.empty() || !options.hook.empty());
}

bool parseNumber(const std::string& text, int32_t& value) {
    if (text.empty() || text.size() > 11)
        return false;
    std::size_t used = 0;
    try {
        const long long parsed = std::stoll(text, &used);
        if (used != text.size() || parsed < INT32_MIN || parsed > INT32_MAX)
            return false;
        value = static_cast<int32_t>(parsed);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// "N" or "N,M".
bool parseHookArguments(const std::string& text, int32_t& first, int32_t& second) {
    first = second = 0;
    if (text.empty())
        return true;
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return parseNumber(text, first);
    return parseNumber(text.substr(0, comma), first) && parseNumber(text.substr(comma + 1), second);
}

void printPlatformCall(const RecordingPlatform::Call& call, std::ostream& out) {
    switch (call.kind) {
    case RecordingPlatform::Kind::BugReport:
        out << "bug: " << oneLine(call.text) << "\n";
        break;
    case RecordingPlatform::Kind::Message:
        out << (call.title == "Run Time Error" ? "run-time error: " : "alert: ")
            << oneLine(call.text) << "\n";
        break;
    case RecordingPlatform::Kind::Beep:
        out << "beep\n";
        break;
    case RecordingPlatform::Kind::Ask:
        out << "ask: " << oneLine(call.text) << "\n";
        break;
    case RecordingPlatform::Kind::Pause:
    case RecordingPlatform::Kind::ChooseFile:
    case RecordingPlatform::Kind::ChooseFont:
    case RecordingPlatform::Kind::ChoosePrinter:
        break;
    }
}

void printRequest(const RecordingUserInterface::Request& request, std::ostream& out) {
    if (request.kind == RecordingUserInterface::Kind::Message)
        out << "message: " << oneLine(request.text) << "\n";
    else if (request.kind == RecordingUserInterface::Kind::PopUp)
        out << "pop-up " << request.first << ": " << oneLine(request.text) << "\n";
}

bool readAnswers(const std::string& path, RecordingPlatform& platform) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        inputFault(path, "The file cannot be opened.");
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        platform.askAnswers.push_back(line);
    }
    return true;
}

// Every node of every tree along the root list, in pre-order.
std::string offendingNodes(CTree& tree) {
    std::string listed;
    int32_t node = 0;
    RErr err = tree.getFirstRoot(node);
    for (int32_t guard = tree.recordCount(); node != 0 && !err && guard > 0; --guard) {
        int32_t value = 0;
        err = tree.getOffendingNodeValue(node, value);
        if (!err && value != 0)
            listed += " " + std::to_string(node);
        if (!err)
            err = tree.getNextNode(node, 0, node);
    }
    return listed;
}

bool isMenuCommand(CScript& script, const std::string& name) {
    CSymbol* symbol = nullptr;
    if (script.symbolTable())
        script.symbolTable()->findASymbol(CRString(name, kRunCreatorTag), nullptr, symbol);
    return symbol && symbol->getSymbolType() == kSymbolUserFnc;
}

} // namespace

int runScript(const std::vector<std::string>& arguments, std::ostream& out) {
    RRunOptions options;
    if (!parseOptions(arguments, options))
        return usageError(kUsage);
    int32_t first = 0;
    int32_t second = 0;
    const int32_t hook = options.hook.empty() ? 0 : CScript::hookNumber(options.hook);
    if (!options.hook.empty() && hook == 0)
        return usageError("there is no hook named " + options.hook);
    if (!parseHookArguments(options.hookArguments, first, second))
        return usageError("--args needs one or two node numbers, as N or N,M");

    // Opened before the transcript starts: a refused file is its one message line, and the
    // internal reports behind it are the program's, printed only when asked for.
    std::unique_ptr<CTree> tree;
    if (!openAnyFile(options.file, tree))
        return kExitInputFault;

    RecordingPlatform platform;
    ScopedPlatform platformScope(platform);
    platform.onCall = [&out](const RecordingPlatform::Call& call) { printPlatformCall(call, out); };
    if (!options.answers.empty() && !readAnswers(options.answers, platform))
        return kExitInputFault;
    CScript& script = *tree->script();
    RecordingUserInterface userInterface;
    userInterface.onRequest = [&out](const RecordingUserInterface::Request& request) {
        printRequest(request, out);
    };
    script.setTraceOutput(nullptr);
    script.middleInterface().setTraceOutput(nullptr);
    script.middleInterface().installCRamexApp(&userInterface);

    const RErr compileErr = prepareWorkingDocument(*tree, false);
    if (compileErr == kErrScriptCompile)
        return inputFault(options.file,
                          "line " + std::to_string(script.lastCompileErrorLine() + 1) + ": " +
                              oneLine(compileErrorText(script.lastCompileErrorCode())));
    if (compileErr)
        return inputFault(options.file, "The script cannot be compiled.");
    if (!options.call.empty() && !isMenuCommand(script, options.call))
        return inputFault(options.file, "There is no function in the script corresponding to "
                                        "the menu command.");

    CUndoStructure& undo = tree->undoStructure();
    RErr err = undo.startTaskList(kLabelMenu);
    bool exists = false;
    bool answer = false;
    if (!err && hook != 0)
        err = script.callInternalMessage(hook, first, second, exists, answer);
    else if (!err)
        err = script.executeAuthorDefinedMenuCommand(CRString(options.call, kRunCreatorTag));
    const RErr finishErr = undo.finishTaskList();
    if (!err)
        err = finishErr;
    if (!err && options.undo)
        err = undo.undo();
    if (hook != 0)
        out << "hook " << options.hook << ": exists=" << (exists ? 1 : 0)
            << " answer=" << (answer ? 1 : 0) << "\n";
    bool dirty = false;
    if (!err)
        err = undo.isDirty(dirty);
    out << "offending:" << offendingNodes(*tree) << "\n";
    out << "dirty: " << (dirty ? 1 : 0) << "\n";
    if (err)
        return inputFault(options.file,
                          "The script could not be run (" + std::to_string(err) + ").");
    if (!options.output.empty() && !writeDatabase(*tree, options.output))
        return kExitInputFault;
    return kExitSuccess;
}

int runRun(const std::vector<std::string>& arguments) {
    return runScript(arguments, std::cout);
}
