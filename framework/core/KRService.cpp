#include "framework/core/KRService.h"

bool KRService::handle(const pf::Protocol*, const pf::ObjectRef&, int) { return false; }
bool KRService::cancelHandle(const pf::Protocol*, const pf::ObjectRef&) { return false; }
bool KRService::cancelHandleForSource(const pf::Object*) { return false; }
