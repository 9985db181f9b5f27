#pragma once

#include "ui/CFeaturesCategoriesDialog.h"

// The grammar's author-defined node features: removing one clears its values in every node.
class CFeaturesDialog : public CFeaturesCategoriesDialog {
public:
    explicit CFeaturesDialog(CRamexApp& application);
};
