#include "app/screens/people/ZMRUserFeedController.h"

#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/shared/ZMRRowTint.h"
#include "framework/data/KRDataSource.h"
#include "platform/foundation/Collections.h"

int ZMRUserFeedController::tableViewNumberOfRowsInSection(pf::TableView&, int)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    return headerCount() + n + footerCount();
}

void ZMRUserFeedController::documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row)
{
    ZMRFeedDocumentController::documentWillLoadDataObject(document, row, context());
    auto objects = dataSource() ? dataSource()->dataObjects() : nullptr;
    ZMRTintRowDocument(document, row, objects.get());
}
