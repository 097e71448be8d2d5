#pragma once

// Style entries, a style controller over them and a sheet that reads them, as
// a style file would give.

#include "framework/ui/KRStyle.h"
#include "framework/ui/KRStyleController.h"
#include "framework/ui/KRStyleSheet.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/View.h"

inline KRStyleRef styleEntry(const char* name, const char* key, pf::Value value, const char* font = nullptr)
{
    auto style = std::make_shared<KRStyle>();
    style->setName(name), style->setKey(key), style->setValue(std::move(value));
    if (font)
        style->setFontValue(font);
    return style;
}

// Images named by the styles come from `bundle`.
inline KRStyleControllerRef styleControllerWith(std::vector<KRStyleRef> styles, const pf::Bundle* bundle = nullptr)
{
    auto controller = std::make_shared<KRStyleController>("", bundle);
    controller->setView(pf::View::create());
    controller->setStyles(std::make_shared<pf::Array>(std::vector<pf::Value>(styles.begin(), styles.end())));
    return controller;
}

inline std::shared_ptr<KRStyleSheet> styleSheetWith(std::vector<KRStyleRef> styles)
{
    auto sheet = std::make_shared<KRStyleSheet>();
    sheet->setStyleController(styleControllerWith(std::move(styles)));
    return sheet;
}
