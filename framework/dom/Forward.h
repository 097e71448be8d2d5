#pragma once

#include <memory>

struct KRImage;
class KRDOMActionElement;
class KRDOMDocument;
class KRDOMElement;
class KRDOMElementDelegate;
class KRDOMLayer;
class KRDOMStringMap;
class KRDOMStyle;
class KRDOMStyleSheet;
class KRDOMStyleSheetObserver;
class KRDOMView;
class KRDOMViewClass;
class KRDOMViewDelegate;
class KRDOMViewElement;

using KRDOMElementRef = std::shared_ptr<KRDOMElement>;
using KRDOMDocumentRef = std::shared_ptr<KRDOMDocument>;
using KRDOMStyleRef = std::shared_ptr<KRDOMStyle>;
using KRDOMStyleSheetRef = std::shared_ptr<KRDOMStyleSheet>;
