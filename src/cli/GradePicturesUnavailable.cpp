#include "cli/GradePictures.h"

// This build has no Qt, so there is nothing to draw pictures with.
struct CGradePictures::RState {};

bool CGradePictures::available() {
    return false;
}

CGradePictures::CGradePictures() = default;

CGradePictures::~CGradePictures() = default;

bool CGradePictures::write(CTree&, const std::string&, std::string& problem) {
    problem = "Pictures cannot be drawn: this build has no Qt.";
    return false;
}
