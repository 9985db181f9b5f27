#pragma once

#include <memory>
#include <string>

class CTree;

// The pictures `grade --pictures` draws: a graded document's work-area trees, its offending
// nodes framed as the program frames them, as a PNG. Drawing needs QtGui; a build without
// Qt has a version that is never available.
class CGradePictures {
public:
    static bool available();

    // Starts the offscreen application the drawing needs, unless one runs already. Make it,
    // and draw, on the main thread.
    CGradePictures();
    ~CGradePictures();
    CGradePictures(const CGradePictures&) = delete;
    CGradePictures& operator=(const CGradePictures&) = delete;

    // Writes the picture whole or not at all; false with the reason when it cannot.
    bool write(CTree& tree, const std::string& path, std::string& problem);

private:
    struct RState;
    std::unique_ptr<RState> state;
};
