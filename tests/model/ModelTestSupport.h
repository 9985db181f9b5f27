#pragma once

#include "support/HierarchyTestSupport.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

using RReports = std::vector<std::string>;

// The first error of calls made in order (a braced list is evaluated left to right).
inline RErr firstError(std::initializer_list<RErr> errors) {
    for (const RErr err : errors)
        if (err)
            return err;
    return kNoErr;
}

inline std::string str(const CRString* text) {
    return text ? text->str() : "<null>";
}

template <typename C> std::string joined(const C& values, const char* separator = " ") {
    std::string text;
    for (const auto& value : values)
        text += (text.empty() ? "" : separator) + std::to_string(value);
    return text;
}

inline int32_t countRecords(const CTree& tree, int32_t type) {
    int32_t count = 0;
    for (int32_t r = 2; r <= tree.recordCount(); ++r)
        count += tree.tablet().cell(r, kAttrType) == type;
    return count;
}

// The result of a call whose last parameter receives it; the call must succeed.
template <typename T = int32_t, typename O, typename F, typename... A>
T ask(O& object, F f, A... args) {
    T value{};
    EXPECT_EQ((object.*f)(args..., value), kNoErr);
    return value;
}

// A body that checks its own calls, or gives the first error, as the error of a step body.
template <typename Body> RErr runBody(Body& body) {
    if constexpr (std::is_void_v<decltype(body())>) {
        body();
        return kNoErr;
    } else {
        return body();
    }
}

template <typename Body> void step(CTree& tree, Body body, int32_t label = kLabelMenu) {
    ASSERT_EQ(inStep(tree, label, [&] { return runBody(body); }), kNoErr);
}

class ModelFixture : public HierarchyFixture {
protected:
    template <typename T = int32_t, typename F, typename... A> T q(F f, A... args) {
        return ask<T>(tree, f, args...);
    }
    template <typename Body> void step(Body body) { ::step(tree, body); }
    // The call failed with the code and its report is the newest.
    void bad(RErr got, const std::string& function, RErr code = kErrInvalidParameter) {
        EXPECT_EQ(got, code) << function;
        EXPECT_EQ(reports().empty() ? "" : reports().back(), bugReportText(function, code));
    }
    std::string text(int32_t n, int32_t attribute = kAttrLabel) {
        return cellText(tree, n, attribute);
    }
    // The record's cells of the attributes, in order.
    std::string row(int32_t n, std::initializer_list<int32_t> attributes,
                    const char* separator = " ") const {
        std::vector<int32_t> values;
        for (const int32_t attribute : attributes)
            values.push_back(cell(n, attribute));
        return joined(values, separator);
    }
    // The step marks the trees for layout, and undo leaves them marked so that they are laid
    // out again.
    template <typename Body> void marksForLayout(std::initializer_list<int32_t> roots, Body body) {
        const auto clearThenExpectMarked = [&](const char* after, auto then) {
            for (const int32_t root : roots)
                poke(root, kAttrDirty, 0);
            then();
            for (const int32_t root : roots)
                EXPECT_EQ(cell(root, kAttrDirty), 1) << after << " " << root;
        };
        clearThenExpectMarked("step", [&] { step(body); });
        clearThenExpectMarked("undo", [&] { EXPECT_EQ(tree.undoStructure().undo(), kNoErr); });
    }
    // Layout's own writes, made without undo.
    void poke(int32_t n, int32_t attribute, int32_t value) {
        ASSERT_EQ(tree.tablet().setValue(n, attribute, value), kNoErr);
    }
};
