#include "framework/ui/UIViewDataOutlet.h"

#include "platform/controls/Control.h"
#include "platform/ui/View.h"

bool isVisable(const pf::View& view)
{
    return !view.isHidden();
}

void setVisable(pf::View& view, bool visable)
{
    view.setHidden(!visable);
}

bool isDisabled(const pf::Control& control)
{
    return !control.isEnabled();
}

void setDisabled(pf::Control& control, bool disabled)
{
    control.setEnabled(!disabled);
}
