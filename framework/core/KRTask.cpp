#include "framework/core/KRTask.h"

void IKRUplinkTaskDelegate::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*) {}
void IKRUplinkTaskDelegate::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error&, const pf::Protocol*) {}

void IKRDownlinkTask::krDownlinkTaskDidLoadedFromCache(const pf::Value&, pf::Date, const pf::Protocol*) {}
void IKRDownlinkTask::krDownlinkTaskDidLoaded(const pf::Value&, const pf::Protocol*) {}
void IKRDownlinkTask::krDownlinkTaskDidFitalError(const pf::Error&, const pf::Protocol*) {}

void KRTask::setSource(const pf::ObjectRef& source)
{
    m_source = source;
    m_sourceIdentity = source.get();
}
