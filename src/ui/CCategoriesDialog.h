#pragma once

#include "ui/CFeaturesCategoriesDialog.h"

// The grammar's categories: the blessed category cannot be removed, nor one that a node or a
// word uses.
class CCategoriesDialog : public CFeaturesCategoriesDialog {
public:
    explicit CCategoriesDialog(CRamexApp& application);
};
