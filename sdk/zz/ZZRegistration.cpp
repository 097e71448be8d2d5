#include "sdk/zz/ZZRegistration.h"

#include "platform/foundation/ClassBuilder.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CVOSDKReachability.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZPluginMetadata.h"

namespace {

// The call layer: request classes declare their parameters over this base.
void registerCallLayerClasses()
{
    pf::ClassBuilder<CVAPIRequest>("CVAPIRequest").commit();
    pf::ClassBuilder<APIResponse>("APIResponse")
        .property("detailRetCode", &APIResponse::detailRetCode, &APIResponse::setDetailRetCode)
        .property("retCode", &APIResponse::retCode, &APIResponse::setRetCode)
        .property("seq", &APIResponse::seq, &APIResponse::setSeq)
        .property("errorMsg", &APIResponse::errorMsg, &APIResponse::setErrorMsg)
        .property("jsonResponse", &APIResponse::jsonResponse, &APIResponse::setJsonResponse)
        .property("message", &APIResponse::message, &APIResponse::setMessage)
        .property("userData", &APIResponse::userData, &APIResponse::setUserData)
        .commit();
    pf::ClassBuilder<CVOSDKReachability>("CVOSDKReachability")
        .property("key", &CVOSDKReachability::key, &CVOSDKReachability::setKey)
        .commit();
}

// The share model: records scripts and boards name.
void registerShareClasses()
{
    pf::ClassBuilder<ZZApiObject>("ZZApiObject").commit();
    pf::ClassBuilder<ZZApiTextObject>("ZZApiTextObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiExtendObject>("ZZApiExtendObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiImageObject>("ZZApiImageObject").superclass<ZZApiExtendObject>().commit();
    pf::ClassBuilder<ZZApiResultObject>("ZZApiResultObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiURLObject>("ZZApiURLObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiAudioObject>("ZZApiAudioObject").superclass<ZZApiURLObject>().commit();
    pf::ClassBuilder<ZZApiVideoObject>("ZZApiVideoObject").superclass<ZZApiURLObject>().commit();
    pf::ClassBuilder<ZZApiNewsObject>("ZZApiNewsObject").superclass<ZZApiURLObject>().commit();
    pf::ClassBuilder<ZZApiPayObject>("ZZApiPayObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiCommonContentObject>("ZZApiCommonContentObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiWPAObject>("ZZApiWPAObject").superclass<ZZApiObject>().commit();
    pf::ClassBuilder<ZZApiMessage>("ZZApiMessage").commit();
    pf::ClassBuilder<ZZApiObjectCoderImpl>("ZZApiObjectCoderImpl").commit();
    pf::ClassBuilder<ZZApiAdItem>("ZZApiAdItem").commit();
    pf::ClassBuilder<ZZDataArray>("ZZDataArray").commit();
    pf::ClassBuilder<ZZPluginMetadata>("ZZPluginMetadata").commit();
}

}

void registerZZClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The codec, error tables, app-id table, server table and settings are
    // plain classes; the request classes that scripts look up by name join
    // here as they arrive.
    registerCallLayerClasses();
    registerShareClasses();
}
