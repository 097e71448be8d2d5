#include "sdk/zz/ZZRegistration.h"

#include "platform/foundation/ClassBuilder.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CVOSDKReachability.h"

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
}
