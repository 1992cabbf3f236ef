#pragma once
// The standard progress control's window. Screen readers read it as a
// progress bar through the control's own messages, so a control object that
// keeps its position itself is read correctly.
#include <QProgressBar>

#include "WndWidget.h"

class ProgressWidget : public WndWidget<QProgressBar> {
public:
    ProgressWidget(int id, QWidget* parent);
};
