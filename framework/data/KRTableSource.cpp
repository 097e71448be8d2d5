#include "framework/data/KRTableSource.h"

#include "framework/data/KRObjectArrays.h"

namespace {

double heightOf(const pf::ViewRef& view)
{
    return view ? view->frame().height() : 0;
}

}

pf::ArrayRef KRTableSection::cellsArray() const { return KRArrayOfObjects(m_cells); }
void KRTableSection::setCellsArray(pf::ArrayRef cells) { m_cells = KRObjectsOfArray<pf::TableViewCell>(cells); }
pf::ArrayRef KRTableSource::sectionsArray() const { return KRArrayOfObjects(m_sections); }
void KRTableSource::setSectionsArray(pf::ArrayRef sections) { m_sections = KRObjectsOfArray<KRTableSection>(sections); }

KRTableSection* KRTableSource::section(int index) const
{
    return index >= 0 && index < static_cast<int>(m_sections.size()) ? m_sections[index].get() : nullptr;
}

std::shared_ptr<pf::TableViewCell> KRTableSource::cell(const pf::IndexPath& path) const
{
    auto* s = section(path.section);
    if (!s || path.row < 0 || path.row >= static_cast<int>(s->cells().size()))
        return nullptr;
    return s->cells()[path.row];
}

int KRTableSource::tableViewNumberOfRowsInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? static_cast<int>(s->cells().size()) : 0;
}

std::shared_ptr<pf::TableViewCell> KRTableSource::tableViewCellForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path)
{
    return cell(path);
}

std::optional<std::string> KRTableSource::tableViewTitleForHeaderInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? s->title() : std::nullopt;
}

std::optional<double> KRTableSource::tableViewHeightForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path)
{
    return heightOf(cell(path));
}

pf::ViewRef KRTableSource::tableViewViewForHeaderInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? s->view() : nullptr;
}

std::optional<double> KRTableSource::tableViewHeightForHeaderInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? heightOf(s->view()) : 0;
}

pf::ViewRef KRTableSource::tableViewViewForFooterInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? s->footerView() : nullptr;
}

std::optional<double> KRTableSource::tableViewHeightForFooterInSection(pf::TableView&, int index)
{
    auto* s = section(index);
    return s ? heightOf(s->footerView()) : 0;
}
