#include "framework/ui/KRStyleSheet.h"

#include "platform/foundation/Boxed.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The scan formats read NUL-terminated text; views are not.
std::string terminated(std::string_view text) { return std::string(text); }

bool hasParentComponent(std::string_view name)
{
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// "dir/name.png" -> "dir/name@2x.png"; the extension is that of the last component.
std::string twoTimesPath(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

}

std::shared_ptr<const KRStyleSelection> KRStyleSheet::selectorStyle(std::string_view styleNames)
{
    if (!m_controller)
        return std::make_shared<const KRStyleSelection>();
    m_controller->view(); // loads the interface file, which fills `styles`
    pf::ArrayRef styles = m_controller->styles();
    dropStaleCaches(styles.get());
    std::string names(styleNames);
    if (auto found = m_selections.find(names); found != m_selections.end())
        return found->second;

    auto selection = std::make_shared<KRStyleSelection>();
    std::size_t start = 0;
    while (styles && start <= styleNames.size()) {
        std::size_t end = std::min(styleNames.find(' ', start), styleNames.size());
        std::string_view word = styleNames.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        for (const pf::Value& item : *styles) {
            auto style = item.objectAs<KRStyle>();
            if (!style || !style->key() || style->name() != word)
                continue;
            auto slot = std::find_if(selection->begin(), selection->end(),
                                     [&](const auto& entry) { return entry.first == *style->key(); });
            if (slot != selection->end())
                slot->second = style;
            else
                selection->emplace_back(*style->key(), style);
        }
    }
    m_selections.emplace(std::move(names), selection);
    return selection;
}

void KRStyleSheet::dropStaleCaches(const pf::Array* styles)
{
    std::size_t count = styles ? styles->count() : 0;
    bool same = *m_mutations == m_cachedMutations && count == m_cachedEntries.size();
    for (std::size_t i = 0; same && i < count; i++)
        same = styles->values()[i].objectPointer() == m_cachedEntries[i];
    if (same)
        return;
    m_selections.clear();
    m_converted.clear();
    m_cachedEntries.clear();
    for (std::size_t i = 0; i < count; i++) {
        const pf::Value& item = styles->values()[i];
        m_cachedEntries.push_back(item.objectPointer());
        if (auto style = item.objectAs<KRStyle>())
            style->addMutationCounter(m_mutations);
    }
    m_cachedMutations = *m_mutations;
}

pf::Color KRStyleSheet::styleValueColor(std::string_view text)
{
    unsigned red = 0, green = 0, blue = 0;
    float alpha = 1.0f;
    std::sscanf(terminated(text).c_str(), "#%02x%02x%02x %f", &red, &green, &blue, &alpha);
    double a = std::isfinite(alpha) ? std::clamp(double(alpha), 0.0, 1.0) : 1.0;
    return pf::Color::rgb(red / 255.0, green / 255.0, blue / 255.0, a);
}

std::optional<pf::Font> KRStyleSheet::styleValueFont(std::string_view text)
{
    float size = 0;
    char word[256] = {};
    std::sscanf(terminated(text).c_str(), "%f %255s", &size, word);
    std::string_view name(word);
    if (name == "bold")
        return pf::Font::boldSystem(size);
    if (name == "italic")
        return pf::Font(pf::Font::defaultFamily(), size, pf::FontWeight::Regular, true);
    if (!name.empty())
        return pf::Font::installed(name, size);
    return pf::Font::system(size);
}

double KRStyleSheet::styleValueFloat(std::string_view text)
{
    float value = 0;
    std::sscanf(terminated(text).c_str(), "%f", &value);
    return value;
}

pf::EdgeInsets KRStyleSheet::styleValueEdge(std::string_view text)
{
    float top = 0, left = 0, bottom = 0, right = 0;
    std::sscanf(terminated(text).c_str(), " {%f ,%f ,%f ,%f", &top, &left, &bottom, &right);
    return {top, left, bottom, right};
}

pf::ImageRef KRStyleSheet::styleValueImage(std::string_view text)
{
    std::string_view name = text;
    float leftCap = 0, topCap = 0;
    if (std::size_t blank = text.find(' '); blank != std::string_view::npos) {
        name = text.substr(0, blank);
        std::sscanf(terminated(text.substr(blank + 1)).c_str(), "%f %f", &leftCap, &topCap);
    }
    pf::ImageRef image;
    if (!name.empty() && name.front() == '@') {
        image = pf::Image::named(std::string(name.substr(1)));
    } else {
        while (!name.empty() && name.front() == '/')
            name.remove_prefix(1);
        if (name.empty() || hasParentComponent(name))
            return nullptr;
        std::shared_ptr<pf::Bundle> mainBundle;
        const pf::Bundle* bundle = m_controller ? m_controller->nibBundle() : nullptr;
        if (!bundle) {
            mainBundle = pf::Bundle::main();
            bundle = mainBundle.get();
        }
        std::string path = bundle->resourcePath() + "/" + std::string(name);
        if (auto cached = m_images.find(path); cached != m_images.end()) {
            image = cached->second;
        } else {
            if (pf::Screen::main().scale() > 1.0)
                image = readImageFile(twoTimesPath(path));
            if (!image)
                image = readImageFile(path);
            if (!image)
                image = readImageFile(twoTimesPath(path));
            if (image)
                m_images.emplace(path, image);
        }
    }
    // Caps that are not finite, or too large for a whole number, stretch nothing.
    auto usable = [](float cap) { return std::isfinite(cap) && cap != 0 && std::fabs(cap) < 1e6f; };
    if (image && usable(leftCap) && usable(topCap))
        return image->stretchableImage(int(leftCap), int(topCap));
    return image;
}

std::optional<pf::Value> KRStyleSheet::styleValue(const KRStyle& style)
{
    // Images are not kept here: the path cache holds them, so that a memory
    // warning or another screen scale reads the file again.
    if (style.imageValue()) {
        pf::ImageRef image = styleValueImage(*style.imageValue());
        return image ? pf::Value(pf::ObjectRef(image)) : pf::Value();
    }
    const std::optional<std::string>& text = style.fontValue() ? style.fontValue() : style.edgeValue();
    if (!text)
        return style.value().isNil() ? std::nullopt : std::optional<pf::Value>(style.value());
    auto cached = m_converted.find(&style);
    if (cached != m_converted.end() && cached->second.text == *text)
        return cached->second.value;
    pf::Value value;
    if (style.fontValue()) {
        if (auto font = styleValueFont(*text))
            value = pf::Boxed<pf::Font>::make(*font);
    } else {
        value = pf::Boxed<pf::EdgeInsets>::make(styleValueEdge(*text));
    }
    m_converted[&style] = {*text, value};
    return value;
}

pf::ImageRef KRStyleSheet::readImageFile(const std::string& path)
{
    auto image = pf::Image::contentsOfFile(path);
    return image ? image.value() : nullptr;
}

void KRStyleSheet::setStyleController(KRStyleControllerRef controller)
{
    if (controller == m_controller)
        return;
    m_controller = std::move(controller);
    setVersion(m_version + 1);
}

void KRStyleSheet::setVersion(int version)
{
    int old = m_version;
    m_version = version;
    ++*m_mutations;
    for (const auto& weak : m_observers.snapshot()) {
        if (auto observer = weak.lock())
            observer->styleSheetVersionDidChange(*this, old, version);
    }
    m_observers.dropExpired();
}
