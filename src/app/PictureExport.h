#pragma once

#include <cstdint>
#include <string>

// What File > Export Picture... writes: the type comes from the name typed, or from the type
// chosen in the file dialog when the name has no picture extension (which is then added); a
// PNG is 1, 2 or 4 times as sharp as the screen, as chosen in the dialog (2 by default).
enum class RPictureType { Svg, Png, Pdf };

struct RPictureChoice {
    std::string path;
    RPictureType type = RPictureType::Png;
    int32_t scale = 2; // pixels of a PNG per pixel of the screen
};

// The file dialog's type list (filters separated by ";;") and the one it starts on.
std::string pictureExportFilters();
std::string defaultPictureExportFilter();

// The choice for a typed name and the dialog's chosen filter (empty: the default one).
RPictureChoice pictureChoice(const std::string& typedPath, const std::string& chosenFilter);

// The name the dialog offers: the document's file name with ".png", or "Trees.png".
std::string initialPictureName(const std::string& documentPath);
