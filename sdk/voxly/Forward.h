#pragma once

#include <memory>

class InstallVoxlyAppAlert;
class VXAuthorizeDialog;
class VXAuthorizeRequest;
class VXAuthorizeResponse;
class VXBaseMediaObject;
class VXBaseRequest;
class VXBaseResponse;
class VXDataTransferObject;
class VXImageObject;
class VXMessageObject;
class VoxlySDK3rdApp;
class VoxlySDKDelegate;
class VoxlySDKRequestDelegate;
