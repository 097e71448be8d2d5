#pragma once

#include <memory>

class CVOSDKEZJSON;
class CVOSDKEZJSONBase;
class CVOSDKEZJSONParser;
class CVOSDKEZJSONWriter;
struct CVOSDKEZJSONError;
