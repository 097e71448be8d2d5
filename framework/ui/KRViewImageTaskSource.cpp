#include "framework/ui/KRViewImageTaskSource.h"

#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRViewImageTasks.h"

void KRViewImageTaskSource::downloadImagesForView(pf::View& view)
{
    if (auto context = imageTaskContext())
        KRDownloadImagesForView(*context, imageTaskSource(), view);
}

void KRViewImageTaskSource::loadImagesForView(pf::View& view)
{
    if (auto context = imageTaskContext())
        KRLoadImagesForView(*context, view);
}

void KRViewImageTaskSource::cancelDownloadImagesForView(pf::View& view)
{
    if (auto context = imageTaskContext())
        KRCancelDownloadImagesForView(*context, view);
}
