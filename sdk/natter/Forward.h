#pragma once

#include <memory>

class AppCommunicate;
class AppCommunicateData;
class BaseReq;
class BaseResp;
class NTApiDelegate;
class NTMediaMessage;
class NTMediaObject;
