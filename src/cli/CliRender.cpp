#include "cli/CliRender.h"

#include "base/ErrorReporter.h"
#include "cli/CliCommand.h"
#include "render/TreePictureWriter.h"
#include "model/CTree.h"

#include <QGuiApplication>

int runRender(const std::vector<std::string>& arguments) {
    std::string path;
    std::string output;
    bool allTrees = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-o" && i + 1 < arguments.size() && output.empty())
            output = arguments[++i];
        else if (arguments[i] == "--all")
            allTrees = true;
        else if (path.empty() && arguments[i].rfind("-", 0) != 0)
            path = arguments[i];
        else
            return usageError("unexpected argument '" + arguments[i] + "'");
    }
    if (path.empty() || output.empty())
        return usageError("render needs a file and -o OUT.svg, OUT.png or OUT.pdf");
    TreePictureWriter::Format format = TreePictureWriter::Format::Png;
    if (!TreePictureWriter::formatOf(output, format))
        return usageError("the picture must be named .svg, .png or .pdf: '" + output + "'");

    std::unique_ptr<CTree> tree;
    if (!openAnyFile(path, tree))
        return kExitInputFault;
    const std::unique_ptr<QGuiApplication> application = TreePictureWriter::applicationIfNeeded();
    TreePictureWriter writer(*tree, allTrees);
    RErr err = writer.prepare();
    if (err)
        return inputFault(path, "The trees cannot be laid out (" + errorCodeText(err) + ").");
    err = writer.write(output, format);
    if (err)
        return inputFault(output, "The picture cannot be written.");
    return kExitSuccess;
}
