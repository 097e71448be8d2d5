#pragma once

#include "platform/foundation/Forward.h"

struct byte_buffer;
struct item_array;
struct ptr_list;
struct json_callbacks;
struct md5_context;

class KRUnZip;
class KRReportDocument;
