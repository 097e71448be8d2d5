#include "sdk/voxly/VoxlySDK3rdApp.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "sdk/voxly/VXMessageObject.h"
#include "sdk/voxly/VoxlySDK.h"

#include <filesystem>

namespace {

std::optional<pf::Bytes> iconBytes(const pf::Bundle& bundle, const std::string& fileName)
{
    std::filesystem::path path(fileName);
    auto found = bundle.pathForResource(path.stem().string(), path.has_extension() ? path.extension().string().substr(1) : "");
    if (!found)
        return std::nullopt;
    return pf::readFile(*found);
}

}

std::shared_ptr<VoxlySDK3rdApp> VoxlySDK3rdApp::currentApp()
{
    auto bundle = pf::Bundle::main();
    auto info = bundle->infoDictionary();
    auto app = std::make_shared<VoxlySDK3rdApp>();
    app->name = info->string("CFBundleDisplayName");
    app->bundleID = info->string("CFBundleIdentifier");
    auto files = info->array("CFBundleIconFiles");
    if (!files)
        if (auto icons = info->dictionary("CFBundleIcons"))
            if (auto primary = icons->dictionary("CFBundlePrimaryIcon"))
                files = primary->array("CFBundleIconFiles");
    std::optional<std::string> iconName;
    if (files && files->count() >= 2)
        iconName = files->at(1).stringValue();
    else if (files && files->count() == 1)
        iconName = files->at(0).stringValue();
    if (iconName)
        app->iconData = iconBytes(*bundle, *iconName);
    for (const char* fallback : {"icon@2x.png", "Icon@2x.png", "icon.png", "Icon.png"}) {
        if (app->iconData)
            break;
        app->iconData = iconBytes(*bundle, fallback);
    }
    app->appKey = VoxlySDK::registeredAppKey();
    return app;
}

pf::DictionaryRef VoxlySDK3rdApp::dictionaryWithApp(const VoxlySDK3rdApp& app)
{
    auto dictionary = pf::Dictionary::create();
    vx::setField(*dictionary, "name", app.name);
    vx::setField(*dictionary, "appKey", app.appKey);
    vx::setField(*dictionary, "bundleID", app.bundleID);
    vx::setField(*dictionary, "iconData", app.iconData);
    return dictionary;
}

std::shared_ptr<VoxlySDK3rdApp> VoxlySDK3rdApp::appWithDictionary(const pf::Dictionary& dictionary)
{
    auto app = std::make_shared<VoxlySDK3rdApp>();
    app->name = vx::stringField(dictionary, "name");
    app->appKey = vx::stringField(dictionary, "appKey");
    app->bundleID = vx::stringField(dictionary, "bundleID");
    app->iconData = vx::dataField(dictionary, "iconData");
    return app;
}

bool VoxlySDK3rdApp::isEqual(const VoxlySDK3rdApp& other) const
{
    return this == &other || (appKey == other.appKey && bundleID == other.bundleID);
}

bool VoxlySDK3rdApp::isAppInstalled() const
{
    if (!appKey) {
        pf::log("VoxlySDK3rdApp isAppInstalled appKey 为空，默认返回未安装！");
        return false;
    }
    auto url = pf::URL::create(callbackScheme());
    return url && pf::Application::shared().canOpenURL(*url);
}
