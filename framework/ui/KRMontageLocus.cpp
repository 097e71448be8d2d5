#include "framework/ui/KRMontageLocus.h"

KRMontageLocusPoint KRMontageLocus::locusPoint(float progress, KRMontageElement&)
{
    return { progress, progress, progress };
}
