#include "app/PictureExport.h"

#include <filesystem>
#include <iterator>

namespace {

struct RPictureFilter {
    const char* text;
    RPictureType type;
    int32_t scale;
    const char* extension;
};

const RPictureFilter kFilters[] = {
    {"PNG picture, 2x (*.png)", RPictureType::Png, 2, ".png"},
    {"PNG picture, 1x (*.png)", RPictureType::Png, 1, ".png"},
    {"PNG picture, 4x (*.png)", RPictureType::Png, 4, ".png"},
    {"SVG picture (*.svg)", RPictureType::Svg, 1, ".svg"},
    {"PDF document (*.pdf)", RPictureType::Pdf, 1, ".pdf"},
};

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

const RPictureFilter& filterNamed(const std::string& text) {
    for (const RPictureFilter& filter : kFilters)
        if (text == filter.text)
            return filter;
    return kFilters[0];
}

} // namespace

std::string pictureExportFilters() {
    std::string all;
    for (const RPictureFilter& filter : kFilters) {
        if (!all.empty())
            all += ";;";
        all += filter.text;
    }
    return all;
}

std::string defaultPictureExportFilter() {
    return kFilters[0].text;
}

RPictureChoice pictureChoice(const std::string& typedPath, const std::string& chosenFilter) {
    const RPictureFilter& filter = filterNamed(chosenFilter);
    RPictureChoice choice;
    choice.path = typedPath;
    const std::string extension =
        lowerCase(std::filesystem::u8path(typedPath).extension().u8string());
    bool typed = false;
    for (const RPictureFilter& known : kFilters)
        if (extension == known.extension) {
            choice.type = known.type;
            typed = true;
            break;
        }
    if (!typed) {
        choice.type = filter.type;
        choice.path += filter.extension;
    }
    // The scale chosen with a PNG filter; a PNG typed under another filter gets the default.
    choice.scale = choice.type == RPictureType::Png && filter.type == RPictureType::Png
                       ? filter.scale
                       : kFilters[0].scale;
    return choice;
}

std::string initialPictureName(const std::string& documentPath) {
    const std::filesystem::path path = std::filesystem::u8path(documentPath);
    const std::string stem = path.stem().u8string();
    return (stem.empty() ? std::string("Trees") : stem) + ".png";
}
