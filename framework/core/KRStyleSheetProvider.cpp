#include "framework/core/KRStyleSheetProvider.h"

namespace {

std::shared_ptr<IKRDOMStyleSheetProvider>& domProvider()
{
    static std::shared_ptr<IKRDOMStyleSheetProvider> provider;
    return provider;
}

std::shared_ptr<IKRStyleSheetProvider>& kitProvider()
{
    static std::shared_ptr<IKRStyleSheetProvider> provider;
    return provider;
}

}

void setDOMStyleSheetProvider(std::shared_ptr<IKRDOMStyleSheetProvider> provider)
{
    domProvider() = std::move(provider);
}

const std::shared_ptr<IKRDOMStyleSheetProvider>& domStyleSheetProvider() { return domProvider(); }

void setStyleSheetProvider(std::shared_ptr<IKRStyleSheetProvider> provider) { kitProvider() = std::move(provider); }

const std::shared_ptr<IKRStyleSheetProvider>& styleSheetProvider() { return kitProvider(); }
