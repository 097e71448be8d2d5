// Links: kr_data
// List answers of any shape served as table rows: the input's first byte
// chooses whether the source reads its list at a data key, the rest is two
// JSON answers (page 1, then page 2) split at the first line break. Rows
// that are no dictionaries are kept; the table must show exactly the
// source's rows after each page and survive scrolling to the end.
#include "framework/core/KRJSON.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/data/KRTableDataController.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void expectRows(pf::TableView& table, KRDataSource& source)
{
    if (table.numberOfRowsInSection(0) != static_cast<int>(source.count()))
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool registered = (registerDataClasses(), true);
    (void)registered;
    if (size < 1)
        return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t split = text.find('\n');
    std::string page1 = text.substr(0, split);
    std::string page2 = split == std::string::npos ? std::string() : text.substr(split + 1);

    auto table = std::make_shared<KRTableView>(pf::Rect{0, 0, 320, 480});
    auto controller = std::make_shared<KRTableDataController>();
    auto source = std::make_shared<KRPageDataSource>();
    if (data[0] & 1)
        source->setDataKey(std::string(data[0] & 2 ? "data.items" : "list"));
    controller->setDataSource(source);
    controller->setTableView(table);

    source->reloadData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(page1), nullptr);
    expectRows(*table, *source);
    source->loadMoreData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(page2), nullptr);
    expectRows(*table, *source);
    table->setContentOffset(pf::Point{0, table->contentSize().height - 240});
    if (table->visibleCells().size() > source->count())
        std::abort();
    return 0;
}
