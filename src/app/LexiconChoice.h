#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <vector>

class CTree;

// The categories and words the main window's panel offers, without any window.

// The categories that have at least one word, in the sorted category order.
RErr categoriesWithWords(CTree& tree, std::vector<int32_t>& categories);
// The words of a category in the order of the category's word chain.
RErr wordsOfCategory(CTree& tree, int32_t category, std::vector<int32_t>& words);
// The chosen category (1-based) kept across documents: one beyond the new grammar's count
// falls back to the first; 0 when there is none at all.
int32_t usableCategoryIndex(int32_t chosen, int32_t count);
