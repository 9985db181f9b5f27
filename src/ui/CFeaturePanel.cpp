#include "ui/CFeaturePanel.h"

#include "ui/CTypingField.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

CFeaturePanel::CFeaturePanel(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int32_t row = 1; row <= CFeatureRows::kRows; ++row) {
        labels[row - 1] = new QLabel(QStringLiteral("Feature %1").arg(row), this);
        fields[row - 1] = new QLineEdit(this);
        fields[row - 1]->setObjectName(QStringLiteral("feature%1").arg(row));
        grid->addWidget(labels[row - 1], row - 1, 0);
        grid->addWidget(fields[row - 1], row - 1, 1);
    }
    bar = new QScrollBar(Qt::Vertical, this);
    bar->setSingleStep(CFeatureRows::kLine);
    bar->setPageStep(CFeatureRows::kPage);
    bar->setRange(0, 0);
    bar->setEnabled(false);
    grid->addWidget(bar, 0, 2, CFeatureRows::kRows, 1);
    grid->setColumnStretch(1, 1);
    // Only whole actions move the rows: a line, a page, or the thumb where it is let go.
    connect(bar, &QScrollBar::actionTriggered, this, [this](int action) {
        int32_t step = 0;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            step = -CFeatureRows::kLine;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            step = CFeatureRows::kLine;
            break;
        case QAbstractSlider::SliderPageStepSub:
            step = -CFeatureRows::kPage;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            step = CFeatureRows::kPage;
            break;
        default:
            return;
        }
        if (scrolled)
            scrolled(step, 0);
    });
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        if (scrolled)
            scrolled(0, bar->sliderPosition());
    });
}

void CFeaturePanel::bindTyping(CTypingRuns& runs,
                               std::function<RErr(int32_t, RTypingField&)> locate) {
    for (int32_t row = 1; row <= CFeatureRows::kRows; ++row)
        typings[row - 1] =
            new CTypingField(*fields[row - 1], runs,
                             [locate, row](RTypingField& field) { return locate(row, field); });
}

void CFeaturePanel::setScrollHandler(std::function<void(int32_t, int32_t)> handler) {
    scrolled = std::move(handler);
}
