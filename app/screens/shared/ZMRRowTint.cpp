#include "app/screens/shared/ZMRRowTint.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Collections.h"

std::optional<std::size_t> ZMRIndexOfObjectIdenticalTo(const pf::Array& objects, const pf::Value& object)
{
    const pf::Dictionary* wanted = object.dictionary().get();
    if (!wanted)
        return std::nullopt;
    for (std::size_t i = 0; i < objects.count(); ++i) {
        if (objects.at(i).dictionary().get() == wanted)
            return i;
    }
    return std::nullopt;
}

void ZMRTintRowDocument(KRDOMDocument& document, const pf::Value& row, const pf::Array* objects)
{
    auto bg = document.elementById("bg");
    if (!bg || !objects)
        return;
    if (auto index = ZMRIndexOfObjectIdenticalTo(*objects, row))
        bg->setAttributeValue(*index % 2 ? kZMROddRowColour : kZMREvenRowColour, "background-color");
}
