#pragma once
// The toolbar that drives a running slide show. Its buttons arrive with the toolbar itself; the panel
// already shows and hides it around slide shows.
#include "platform/messages.h"

#include <QWidget>

namespace DIALOG {

class CPPTToolBar : public QWidget {
    Q_OBJECT
public:
    explicit CPPTToolBar(QWidget* owner);

    void SetTarget(const platform::WindowRef& show) { target_ = show; }
    const platform::WindowRef& Target() const { return target_; }
    // The arrow and pen actions: the presentation gets Ctrl+A or Ctrl+P.
    void ArrowAction();
    void PenAction();

private:
    platform::WindowRef target_;
};

} // namespace DIALOG
