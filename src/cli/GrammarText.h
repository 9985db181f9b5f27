#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The text form of a grammar or document (.rgt) as plain data, between the text and a CTree:
// the reader parses text into it and builds a database from it; the writer fills it from a
// database and prints it. Names of categories and features are positions in the declared
// lists, so the data does not depend on record numbers.

// One node of a tree, with its final values (not only what the text spelled out).
struct RTextNode {
    std::string label;
    std::string subscript;
    int32_t mother = -1;   // position in the tree's node list; -1 for the root
    int32_t category = -1; // position in RGrammarText::categories; -1 for none
    int32_t projection = -1;
    int32_t color = 1; // 1 black .. 11 magenta
    int32_t style = 0; // bits: 1 italic, 2 bold, 4 underline
    bool triangle = false;
    bool main = false;
    bool foot = false;
    bool spine = false;
    std::vector<std::pair<int32_t, std::string>> features; // position in features, value
    std::vector<int32_t> daughters;                        // positions, left to right
};

// A word of the lexicon or a tree of the work area; nodes in pre-order, the root first.
struct RTextTree {
    int32_t line = 0; // where the text form gives it
    std::vector<RTextNode> nodes;
    std::string citationForm; // words only
    int32_t wordCategory = -1;
    bool hasPoint = false; // work-area trees: the absolute point, when one is given
    int32_t h = 0;
    int32_t v = 0;
};

struct RGrammarText {
    bool standardCategories = true;      // no "categories:" line: X N V A P, as a new grammar
    std::vector<std::string> categories; // creation order; the first is the blessed one
    std::vector<std::string> features;
    std::string fontName; // "" for none
    int32_t fontSize = 10;
    int32_t horizontalPadding = 10;
    int32_t verticalPadding = 2;
    int32_t lineHeight = 16;
    int32_t thickness = 0;
    std::vector<RTextTree> words;
    std::vector<RTextTree> trees;
    std::string script; // "" for none
};

// The category and projection a label stands for: a category's exact name is its head (0),
// the name followed by ' its intermediate projection (1), by P its maximal projection (2);
// anything else has no category (-1) and projection -1. An exact name always wins.
void categoryImpliedByLabel(const std::string& label, const std::vector<std::string>& categories,
                            int32_t& category, int32_t& projection);

// The node a word's main terminal defaults to: the leftmost leaf.
int32_t leftmostLeaf(const RTextTree& tree);
// The word category a word defaults to: the category of the main terminal node's mother,
// else of the root (-1 for none). mainTerminal is a position in the tree.
int32_t impliedWordCategory(const RTextTree& tree, int32_t mainTerminal);

// Colour names 1 to 11 ("black" .. "magenta"); 0 for an unknown name, compared ignoring
// case. colorName gives "" outside 1..11.
int32_t colorNumber(const std::string& name);
std::string colorName(int32_t color);

// Where a work-area tree without a point of its own goes: right of the previous tree (or at
// the left margin for the first), at the same height. Its width is estimated from the
// labels: every character counts 3/5 of the font size, a node is as wide as its label or
// as its daughters side by side with the horizontal padding between them, whichever is
// wider, and a triangle node as wide as its label or its words. The point is the top centre
// of the root's label; there is a gap of 40 pixels between trees and a margin of 20.
void placeAfter(const RTextTree* previous, const RTextTree& tree, int32_t fontSize,
                int32_t horizontalPadding, int32_t& h, int32_t& v);
int32_t estimatedTreeWidth(const RTextTree& tree, int32_t fontSize, int32_t horizontalPadding);

// Text as the text form writes it: bare when it can be read back bare, otherwise quoted with
// \" \\ and \n escapes.
std::string quotedIfNeeded(const std::string& text);
