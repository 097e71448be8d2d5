#pragma once

#include <memory>

struct KRColor;
struct KREdgeInsets;
struct KRFont;
struct KRImage;
struct KRPoint;
struct KRRect;
struct KRSize;
class KRDOMDocument;
class KRDOMElement;
class KRDOMElementDelegate;
class KRDOMStringMap;
class KRDOMStyle;
class KRDOMStyleSheet;
class KRDOMStyleSheetObserver;
class KRTextMeasurer;

using KRDOMElementRef = std::shared_ptr<KRDOMElement>;
using KRDOMDocumentRef = std::shared_ptr<KRDOMDocument>;
using KRDOMStyleRef = std::shared_ptr<KRDOMStyle>;
using KRDOMStyleSheetRef = std::shared_ptr<KRDOMStyleSheet>;
