#include "framework/data/KRDataRegistration.h"

#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

void registerContainerLayoutClasses()
{
    pf::ClassBuilder<KRContainerLayout>("KRContainerLayout").commit();
    pf::ClassBuilder<KRFlowContainerLayout>("KRFlowContainerLayout").superclass<KRContainerLayout>().commit();
    pf::ClassBuilder<KRPageContainerLayout>("KRPageContainerLayout").superclass<KRContainerLayout>().commit();
    pf::ClassBuilder<KRFallsContainerLayout>("KRFallsContainerLayout")
        .superclass<KRContainerLayout>()
        .property("numberOfColumn", &KRFallsContainerLayout::numberOfColumn, &KRFallsContainerLayout::setNumberOfColumn)
        .property("columnSplitWidth", &KRFallsContainerLayout::columnSplitWidth,
                  &KRFallsContainerLayout::setColumnSplitWidth)
        .property("columnTopHeight", &KRFallsContainerLayout::columnTopHeight,
                  &KRFallsContainerLayout::setColumnTopHeight)
        .commit();
}

}

void registerDataClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUIClasses();
    registerContainerLayoutClasses();
}
