#include "sdk/zz/CorvanaMethodDescription.h"

#include <algorithm>

CorvanaMethodDescription::CorvanaMethodDescription(std::string methodSel, std::string jsMethodKey,
                                                   std::optional<std::vector<int>> attribute, int returnType,
                                                   Callable callable)
    : m_methodSel(std::move(methodSel))
    , m_jsMethodKey(std::move(jsMethodKey))
    , m_attribute(std::move(attribute))
    , m_returnType(returnType)
    , m_callable(std::move(callable))
{
}

int CorvanaMethodDescription::funcArgumentNumber() const
{
    return static_cast<int>(std::count(m_methodSel.begin(), m_methodSel.end(), ':'));
}
