#include "framework/ui/KRStyleOutlet.h"

#include "platform/foundation/Log.h"

#include <string_view>
#include <unordered_set>

namespace {

// A cell class missing a key would otherwise log once per cell and apply.
void reportOnce(const pf::Object& view, const std::string& key, const pf::Error& error)
{
    static std::unordered_set<std::string> reported;
    const pf::Class* cls = view.objectClass();
    std::string id = cls ? cls->name() : std::string("?");
    id += '.';
    id += key;
    if (reported.insert(id).second)
        pf::log("KRStyleOutlet: style key skipped: %s", error.description.c_str());
}

}

void KRStyleOutlet::setStyleName(std::optional<std::string> name)
{
    if (name == m_styleName)
        return;
    m_styleName = std::move(name);
    if (!m_styleSheet.expired())
        applyStyle();
}

void KRStyleOutlet::setStyleSheet(const std::shared_ptr<KRStyleSheet>& sheet)
{
    m_styleSheet = sheet;
    applyStyle();
}

void KRStyleOutlet::applyStyle()
{
    auto sheet = m_styleSheet.lock();
    if (!sheet) {
        m_version = 0;
        return;
    }
    auto selection = sheet->selectorStyle(m_styleName ? std::string_view(*m_styleName) : std::string_view());
    // Copies: setting a key may run view code that edits the outlet.
    pf::ArrayRef views = m_views;
    if (views && !selection->empty()) {
        std::vector<std::optional<pf::Value>> values;
        values.reserve(selection->size());
        for (const auto& [key, style] : *selection)
            values.push_back(sheet->styleValue(*style));
        for (const pf::Value& entry : *views) {
            pf::ObjectRef view = entry.object();
            if (!view)
                continue;
            for (std::size_t i = 0; i < selection->size(); ++i) {
                if (!values[i])
                    continue;
                const std::string& key = (*selection)[i].first;
                if (auto error = view->trySetValueForKey(key, *values[i]))
                    reportOnce(*view, key, *error);
            }
        }
    }
    m_version = sheet->version();
}
