// Links: kr_dom
// For any UTF-8 text without NUL: decoding its encoding gives it back
// without CR; as the text of a label it reads back the same; as a quoted
// attribute value it stays one attribute.

#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string s(reinterpret_cast<const char*>(data), size);
    if (s.find('\0') != std::string::npos || !pf::isValidUtf8(s))
        return 0;
    std::string plain = s;
    std::erase(plain, '\r');
    std::string encoded = htmlEncodeString(s);
    check(htmlDecodeString(encoded) == plain);

    KRDOMElementRef wrapper = KRDOMElement::create("__ROOT__");
    check(KRDOMParse().parseHTML("<label>" + encoded + "</label>", wrapper));
    check(wrapper->childs().size() == 1 && wrapper->childs()[0]->text() == plain);

    KRDOMElementRef attributes = KRDOMElement::create("__ROOT__");
    check(KRDOMParse().parseHTML("<x a=\"" + encoded + "\"/>", attributes));
    check(attributes->childs().size() == 1 && attributes->childs()[0]->attributes().count() == 1);
    return 0;
}
