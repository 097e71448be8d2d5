#include "platform/web/HtmlRootElement.h"

#include "platform/web/LayoutShape.h"
#include "platform/web/PageBudget.h"

namespace pf {

HtmlRootElement::HtmlRootElement(const std::shared_ptr<litehtml::document>& document, PageBudget* budget)
    : litehtml::html_tag(document), m_budget(budget)
{
}

void HtmlRootElement::init()
{
    if (m_budget && !m_budget->setLayoutShape(layoutShapeOf(*this)))
        return;
    litehtml::html_tag::init();
}

}
