#pragma once

// The inline pieces of a rich text. Each remembers the range of characters
// (UTF-16 units) it occupies and any object its maker wants to find it by
// (the rich element stores the markup element that produced it).
//
// A draw element is drawn by the rich text itself over the box its
// placeholder takes; a view element's view is placed by the host; a link
// covers real characters and is found by hit testing. Main queue only.

#include "platform/foundation/Object.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/RichTextLayout.h"
#include "platform/ui/Forward.h"

#include <string>

class KRRichElement {
public:
    virtual ~KRRichElement() = default;

    pf::TextRange range() const { return m_range; }
    void setRange(pf::TextRange range) { m_range = range; }
    const pf::ObjectRef& userInfo() const { return m_userInfo; }
    void setUserInfo(pf::ObjectRef userInfo) { m_userInfo = std::move(userInfo); }

private:
    pf::TextRange m_range;
    pf::ObjectRef m_userInfo;
};

// The box of an inline object: `width` wide, `ascent` above the baseline and
// `descent` below it.
class IKRRichBoxElement {
public:
    virtual ~IKRRichBoxElement() = default;
    virtual double width() const = 0;
    virtual double ascent() const = 0;
    virtual double descent() const = 0;
};

class IKRRichDrawElement : public IKRRichBoxElement {
public:
    // `rect` is the object's box in the context's coordinates.
    virtual void drawRect(const pf::Rect& rect, pf::GraphicsContext& context) = 0;
};

class IKRRichViewElement : public IKRRichBoxElement {
public:
    virtual pf::ViewRef view() const = 0;
    virtual void setView(pf::ViewRef view) = 0;
};

class KRRichLinkElement final : public KRRichElement {
public:
    const std::string& href() const { return m_href; }
    void setHref(std::string href) { m_href = std::move(href); }

private:
    std::string m_href;
};
