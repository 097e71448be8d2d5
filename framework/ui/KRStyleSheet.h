#pragma once

// The application-wide named-style sheet. It reads the entries of its style
// controller, answers per property key the entry that wins for a list of
// blank-separated style names, converts entry texts into colours, fonts,
// edge insets and images, and counts a version that tells observers to
// restyle. Main queue only.
//
// Lookups are cached per style-name text. The cache is dropped whenever
// what it was made from changes, so a lookup always sees the entries as
// they are: the sheet's mutation count, raised by the setters of every entry
// it has read and by a version change, and the entries of the controller's
// `styles` (another collection, or entries added, removed or replaced in
// place), which every lookup compares with those the cache was made from.
// Images read from files are kept in a path cache until
// didReceiveMemoryWarning().

#include "framework/util/KRWeakObserverList.h"
#include "framework/ui/KRStyle.h"
#include "framework/ui/KRStyleController.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class KRStyleSheet;

class KRStyleSheetObserver {
public:
    virtual void styleSheetVersionDidChange(KRStyleSheet& sheet, int oldVersion, int newVersion) = 0;

protected:
    ~KRStyleSheetObserver() = default;
};

// Property key -> winning entry, keys in the order they first appeared.
using KRStyleSelection = std::vector<std::pair<std::string, KRStyleRef>>;

class KRStyleSheet {
public:
    // For each word of `styleNames` split at every single blank (empty words
    // match nothing), every entry of that exact name in collection order
    // replaces the entry held for its key. Shared and never changed.
    std::shared_ptr<const KRStyleSelection> selectorStyle(std::string_view styleNames);

    // "#rrggbb alpha": missing fields keep red, green, blue 0 and alpha 1; an
    // alpha that is not finite reads 1 and any alpha is held to [0, 1].
    static pf::Color styleValueColor(std::string_view text);
    // "size word": "bold", "italic", a font name, or nothing for the system
    // font. Nothing when the named font is not installed.
    static std::optional<pf::Font> styleValueFont(std::string_view text);
    // The leading decimal number, 0 when there is none.
    static double styleValueFloat(std::string_view text);
    // "{top, left, bottom, right}"; fields that do not scan read 0.
    static pf::EdgeInsets styleValueEdge(std::string_view text);
    // "name [leftCap topCap]": "@name" is a bundle image by name; any other
    // name is a file below the controller's bundle, its "@2x" twin preferred
    // on a screen of scale above 1. Null for a missing file or a name with a
    // ".." component; a leading "/" is ignored.
    pf::ImageRef styleValueImage(std::string_view text);

    // What an entry sets on a view: its image, font or edge insets made from
    // the text, else its `value`; nothing for an entry without any. A font
    // or edge text is converted once per entry while the text stays the same.
    std::optional<pf::Value> styleValue(const KRStyle& style);

    const KRStyleControllerRef& styleController() const { return m_controller; }
    // A different controller raises the version by one; the same does nothing.
    void setStyleController(KRStyleControllerRef controller);

    int version() const { return m_version; }
    // Tells every observer, also when the value is the same.
    void setVersion(int version);
    // Observers are held weakly; one whose owner was released is skipped.
    // They are told in the order they were added; adding one again moves it
    // to the end. Adding and removing cost no more as observers grow: every
    // styled container of a long list observes the one sheet and removes
    // itself when released.
    void addObserver(std::weak_ptr<KRStyleSheetObserver> observer) { m_observers.add(std::move(observer)); }
    void removeObserver(const KRStyleSheetObserver* observer) { m_observers.remove(observer); }
    // Observers kept, released ones not yet dropped included.
    std::size_t observerCount() const { return m_observers.size(); }

    // Raised by every change of an entry the sheet has read and by every
    // version change.
    unsigned mutationCount() const { return *m_mutations; }

    // Empties the image cache.
    void didReceiveMemoryWarning() { m_images.clear(); }

private:
    pf::ImageRef readImageFile(const std::string& path);
    // Drops the lookup caches unless they were made from these entries at
    // the current mutation count.
    void dropStaleCaches(const pf::Array* styles);

    std::unordered_map<std::string, pf::ImageRef> m_images;
    int m_version = 0;
    KRStyleControllerRef m_controller;
    KRWeakObserverList<KRStyleSheetObserver> m_observers;
    std::unordered_map<std::string, std::shared_ptr<const KRStyleSelection>> m_selections;
    // Shared with the entries read, which raise it.
    std::shared_ptr<unsigned> m_mutations = std::make_shared<unsigned>(0);
    // What the caches were made from: the mutation count and the entries.
    unsigned m_cachedMutations = 0;
    std::vector<const pf::Object*> m_cachedEntries;
    struct Converted {
        std::string text;
        pf::Value value;
    };
    // Dropped with m_selections; the text check keeps a reused address honest.
    std::unordered_map<const KRStyle*, Converted> m_converted;
};

using KRStyleSheetRef = std::shared_ptr<KRStyleSheet>;
