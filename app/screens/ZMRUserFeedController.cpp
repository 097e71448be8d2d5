#include "app/screens/ZMRUserFeedController.h"

#include "app/screens/ZMRFeedDocumentController.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Collections.h"

int ZMRUserFeedController::tableViewNumberOfRowsInSection(pf::TableView&, int)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    return headerCount() + n + footerCount();
}

void ZMRUserFeedController::documentWillLoadDataObject(KRDOMDocument& document, const pf::Value& row)
{
    ZMRFeedDocumentController::documentWillLoadDataObject(document, row, context());
    KRDOMElementRef bg = document.elementById("bg");
    pf::ArrayRef objects = dataSource() ? dataSource()->dataObjects() : nullptr;
    const pf::Dictionary* entry = row.dictionary().get();
    if (!bg || !objects || !entry)
        return;
    for (std::size_t i = 0; i < objects->count(); ++i) {
        if (objects->at(i).dictionary().get() == entry) {
            bg->setAttributeValue(i % 2 ? "#f7e3db" : "#f8ece5", "background-color");
            return;
        }
    }
}
