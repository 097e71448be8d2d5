#include "sdk/zz/CVWebNavigationController.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/NavigationBar.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Image.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/TOSDKRSACryptor.h"

#include <cmath>

std::optional<std::string> CVWebNavigationController::navigationBarImagePath()
{
    auto bundle = pf::Bundle::main();
    pf::DictionaryRef define = CvApiTool::getAppDefinePath();
    pf::Value entry = define ? define->get("NavigationBar") : pf::Value();
    std::optional<std::string> path;
    if (const std::string* name = entry.string()) {
        if (name->find(".bundle") != std::string::npos)
            path = bundle->resourcePath() + "/" + *name;
        else
            path = bundle->pathForResource(*name, "");
    } else if (entry.isNil()) {
        path = bundle->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/corvanaSDKNavigationBar.png";
    }
    if (!path || !pf::fileExists(*path))
        return std::nullopt;
    return path;
}

void CVWebNavigationController::viewDidLoad()
{
    pf::NavigationController::viewDidLoad();
    auto path = navigationBarImagePath();
    if (!path)
        return;
    auto image = pf::Image::contentsOfFile(*path);
    if (!image)
        return;
    const auto& bar = navigationBar();
    pf::Rect bounds = bar->bounds();
    auto stretched = (*image)->stretchableImage(static_cast<int>(std::floor(bounds.size.width)),
                                                static_cast<int>(std::floor(bounds.size.height)));
    // Under everything the bar draws.
    auto background = std::make_shared<pf::ImageView>(stretched);
    background->setFrame(bounds);
    background->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    bar->insertSubview(background, 0);
    // Light text on the picture's blue.
    bar->setTintColor(pf::Color::whiteColor());
    bar->setTitleColor(pf::Color::whiteColor());
}
