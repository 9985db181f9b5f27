// ramex-cli info: a summary of a grammar or document.

#include "base/ErrorReporter.h"
#include "cli/CliCommand.h"
#include "cli/CliGrammarCommands.h"
#include "cli/GrammarTextWriter.h"
#include "model/CTree.h"
#include "script/CScript.h"
#include "script/CompileErrors.h"
#include "storage/CFileDescriptor.h"
#include "storage/CVersionInfo.h"

#include <algorithm>
#include <iostream>

namespace {

// Words of the version header: kind, format version, creating and last-writing program.
constexpr std::size_t kFormatVersionWord = 2;
constexpr std::size_t kCreatorWord = 3;
constexpr std::size_t kLastWriterWord = 4;

std::string versionWord(const std::vector<int32_t>& words, std::size_t index) {
    return index < words.size() ? std::to_string(words[index]) : std::string("unknown");
}

// A line ending with a line feed counts once; text after the last line feed is a line too.
std::size_t countLines(const std::string& text) {
    const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return text.empty() || text.back() == '\n' ? feeds : feeds + 1;
}

std::string scriptSummary(CTree& tree, const std::string& text) {
    if (text.empty())
        return "none";
    const std::string lines = std::to_string(countLines(text)) + " lines";
    CScript& script = *tree.script();
    script.setTraceOutput(nullptr);
    const RErr err = script.parseScript(false);
    if (!err)
        return lines + ", compiles";
    if (err != kErrScriptCompile)
        return lines + ", cannot be compiled (" + errorCodeText(err) + ")";
    return lines + ", error on line " + std::to_string(script.lastCompileErrorLine() + 1) + ": " +
           oneLine(compileErrorText(script.lastCompileErrorCode()));
}

} // namespace

int infoCommand(const std::vector<std::string>& arguments, std::ostream& out) {
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
        return usageError("info needs exactly one FILE");
    const std::string& path = arguments[0];
    std::unique_ptr<CTree> tree;
    if (!openDatabase(path, tree))
        return kExitInputFault;
    std::vector<int32_t> words;
    {
        CFileDescriptor file(path);
        CVersionInfo version(file);
        if (!version.readExistingInfo())
            words = version.words();
    }
    RGrammarText grammar;
    const RErr err = GrammarTextWriter().extract(*tree, grammar);
    if (err)
        return inputFault(path, "The file cannot be read (" + errorCodeText(err) + ").");

    std::string categories;
    for (const std::string& name : grammar.categories)
        categories += " " + name;
    std::string features;
    for (const std::string& name : grammar.features)
        features += " " + name;
    out << "format: ramex container, version " << versionWord(words, kFormatVersionWord)
        << " (program " << versionWord(words, kCreatorWord) << ", last written by "
        << versionWord(words, kLastWriterWord) << ")\n"
        << "records: " << tree->recordCount() << "\n"
        << "attributes: " << tree->attributeCount() << "\n"
        << "categories:" << categories << "\n"
        << "features:" << features << "\n"
        << "words: " << grammar.words.size() << "\n"
        << "work-area trees: " << grammar.trees.size() << "\n"
        << "script: " << scriptSummary(*tree, grammar.script) << "\n";
    return kExitSuccess;
}

int runInfo(const std::vector<std::string>& arguments) {
    return infoCommand(arguments, std::cout);
}
