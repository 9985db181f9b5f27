#include "app/FileTypes.h"

RErr fileRequestForType(int32_t fileType, bool forOpening, FileRequest& request) {
    request = FileRequest();
    request.forSaving = !forOpening;
    switch (fileType) {
    case kFileTypeDocument:
        request.defaultExtension = "rdc";
        request.initialName = ".rdc";
        request.filter = "Ramex documents (*.rdc)";
        return kNoErr;
    case kFileTypeGrammar:
    case kFileTypeCurrentGrammar:
        // The grammar filter says "documents" too.
        request.defaultExtension = "rgr";
        request.initialName = ".rgr";
        request.filter = "Ramex documents (*.rgr)";
        return kNoErr;
    default:
        return kErrGeneral;
    }
}

std::string applyDotRule(const std::string& path) {
    std::string name = path;
    const std::size_t separator = name.find_last_of("/\\");
    const std::size_t first = separator == std::string::npos ? 0 : separator + 1;
    // The last four characters (the extension with its dot) keep their dot.
    if (name.size() < 5)
        return name;
    const std::size_t last = name.size() - 5;
    for (std::size_t i = first; i <= last; ++i) {
        if (name[i] == '.')
            name[i] = '-';
    }
    return name;
}
