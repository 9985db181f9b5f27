#pragma once

#include "base/ErrorCodes.h"
#include "drawing/RGeometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPort;
class CTree;
class QByteArray;
class QGuiApplication;
class QImage;
class QPaintDevice;

// Draws a document's trees into an SVG, PNG or PDF file with the document's font and drawing
// preferences, on a white picture with a margin around the trees' bounding box. The tree
// area's trees keep their places; with allTrees every tree is drawn, one below the other; with
// a subtree only that node and what hangs below it, as its tree on the tree area shows it.
// Needs a QGuiApplication (see applicationIfNeeded). The file is written whole or not at all.
class TreePictureWriter {
public:
    enum class Format { Svg, Png, Pdf };
    static constexpr int32_t kMargin = 20;
    static constexpr int32_t kPixelsPerInch = 96;

    TreePictureWriter(CTree& tree, bool allTrees);
    // Only the subtree from `node` down (0: the trees chosen by allTrees); before prepare.
    void onlySubtree(int32_t node) { subtree = node; }

    // The format a file name asks for, by its extension in any letter case.
    static bool formatOf(const std::string& path, Format& format);
    // A GUI application on the offscreen platform (unless another platform is asked for),
    // so that fonts can be measured without a display; none when one exists already.
    static std::unique_ptr<QGuiApplication> applicationIfNeeded();

    // Lays the trees out and finds the bounding box of what will be drawn.
    RErr prepare();
    // The picture's size in pixels, margins included; valid after prepare.
    int32_t width() const;
    int32_t height() const;
    // The picture as the format's bytes. A PNG has `scale` pixels per picture pixel (2 for a
    // picture twice as sharp) and a resolution to match, so it prints at the same size.
    RErr render(Format format, double scale, QByteArray& bytes);
    // The picture as an image whose device pixel ratio is `scale`.
    RErr renderImage(double scale, QImage& image);
    // Writes beside the file first and renames, so a failure leaves no half-written picture
    // and an existing file as it was.
    RErr write(const std::string& path, Format format, double scale = 1.0);

private:
    // Gives the port the document's font and the tree the port.
    RErr attach(CPort& port);
    RErr drawTree(std::size_t index);
    RErr paintOn(QPaintDevice& device, bool& finished);

    CTree& tree;
    bool allTrees;
    int32_t subtree = 0;
    std::vector<int32_t> roots;
    std::vector<RPoint> places; // where each tree is drawn when stacked
    RRect bounds;
    bool anyTree = false;
};
