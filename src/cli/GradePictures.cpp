#include "cli/GradePictures.h"

#include "base/ErrorReporter.h"
#include "render/TreePictureWriter.h"

#include <QGuiApplication>

struct CGradePictures::RState {
    std::unique_ptr<QGuiApplication> application;
};

bool CGradePictures::available() {
    return true;
}

CGradePictures::CGradePictures() : state(std::make_unique<RState>()) {
    state->application = TreePictureWriter::applicationIfNeeded();
}

CGradePictures::~CGradePictures() = default;

bool CGradePictures::write(CTree& tree, const std::string& path, std::string& problem) {
    TreePictureWriter writer(tree, false);
    RErr err = writer.prepare();
    if (err) {
        problem = "The trees cannot be laid out (" + errorCodeText(err) + ").";
        return false;
    }
    err = writer.write(path, TreePictureWriter::Format::Png);
    if (err) {
        problem = "The picture cannot be written.";
        return false;
    }
    return true;
}
