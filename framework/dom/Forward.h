#pragma once

#include <memory>

struct KRImage;
class KRDOMDocument;
class KRDOMElement;
class KRDOMElementDelegate;
class KRDOMStringMap;
class KRDOMStyle;
class KRDOMStyleSheet;
class KRDOMStyleSheetObserver;

using KRDOMElementRef = std::shared_ptr<KRDOMElement>;
using KRDOMDocumentRef = std::shared_ptr<KRDOMDocument>;
using KRDOMStyleRef = std::shared_ptr<KRDOMStyle>;
using KRDOMStyleSheetRef = std::shared_ptr<KRDOMStyleSheet>;
